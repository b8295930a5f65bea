#include "image/limits.h"

#include "base/error.h"

namespace tapisto {

void CheckHeader(const char* format, std::int64_t width, std::int64_t height,
                 const ImageLimits& limits) {
  const std::string name(format);
  if (width <= 0 || height <= 0) {
    throw ImageFormatError(name + ": invalid picture size " + std::to_string(width) + " x " +
                           std::to_string(height));
  }
  if (width > limits.maxWidth) {
    throw ImageTooLargeError(name + ": width " + std::to_string(width) + " exceeds the limit of " +
                             std::to_string(limits.maxWidth));
  }
  if (height > limits.maxHeight) {
    throw ImageTooLargeError(name + ": height " + std::to_string(height) +
                             " exceeds the limit of " + std::to_string(limits.maxHeight));
  }
  if (width * height > limits.maxPixels) {
    throw ImageTooLargeError(name + ": " + std::to_string(width * height) +
                             " pixels exceed the limit of " + std::to_string(limits.maxPixels));
  }
}

std::size_t CheckedMul(std::size_t a, std::size_t b) {
  std::size_t r = 0;
  if (__builtin_mul_overflow(a, b, &r)) throw ImageTooLargeError("size overflow");
  return r;
}

std::size_t CheckedAdd(std::size_t a, std::size_t b) {
  std::size_t r = 0;
  if (__builtin_add_overflow(a, b, &r)) throw ImageTooLargeError("size overflow");
  return r;
}

}  // namespace tapisto
