// Fuzz target: the settings hive file parser. Any SettingsError is an expected answer to bad
// input. A hive that parses must write out as text that parses again to the same text: the
// store rewrites the file on every change and must never change what it did not touch.
#include <string>
#include <string_view>

#include "desktop/posix/hive/reg_hive.h"
#include "fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    const std::string once = tapisto::FormatHive(tapisto::ParseHive(bytes, "fuzz.reg"));
    const std::string twice = tapisto::FormatHive(tapisto::ParseHive(once, "fuzz.reg"));
    if (once != twice) __builtin_trap();
  } catch (const tapisto::SettingsError&) {
  }
  return 0;
}
