// The bounds every picture reader checks before it allocates anything. A picture over them is
// refused with an ImageTooLargeError that names the limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tapisto {

struct ImageLimits {
  std::int64_t maxWidth = 32768;
  std::int64_t maxHeight = 32768;
  std::int64_t maxPixels = std::int64_t{1} << 28;
  // Largest picture file read into memory.
  std::int64_t maxInputBytes = std::int64_t{1} << 30;
};

// Throws ImageTooLargeError when width x height breaks `limits`, ImageFormatError when a
// dimension is zero or negative. `format` names the format in the message ("PNG", "GIF" ...).
void CheckHeader(const char* format, std::int64_t width, std::int64_t height,
                 const ImageLimits& limits = {});

// a * b and a + b for sizes, throwing ImageTooLargeError instead of overflowing.
std::size_t CheckedMul(std::size_t a, std::size_t b);
std::size_t CheckedAdd(std::size_t a, std::size_t b);

}  // namespace tapisto
