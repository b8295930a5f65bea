// Fuzz target: the JPEG reader with the program's own limits. Any Error is an expected
// answer to bad input; anything else (a crash, a sanitizer report, another exception) is a
// finding.
#include "base/error.h"
#include "fuzz_target.h"
#include "image/jpeg_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  try {
    static_cast<void>(tapisto::DecodeJpeg(bytes));
  } catch (const tapisto::Error&) {
  }
  return 0;
}
