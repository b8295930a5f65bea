// Every fuzz target defines LLVMFuzzerTestOneInput. Built with libFuzzer (preset "fuzz") the
// fuzzer drives it; built without, replay_main.cpp feeds it files or folders, so a finding can
// be replayed with the ordinary tool chain.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
