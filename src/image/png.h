// PNG files (ISO/IEC 15948), read with our own parser; the image data is inflated with zlib.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "image/limits.h"
#include "image/rgba_image.h"

namespace tapisto {

// Decodes every colour type and bit depth (grey 1/2/4/8/16, RGB 8/16, palette 1/2/4/8,
// grey+alpha and RGBA 8/16), tRNS, Adam7 interlacing, with CRC checks on critical chunks. The
// result keeps its alpha channel (16-bit samples are reduced to 8 bits). Throws
// ImageFormatError (ImageTooLargeError over `limits`).
RgbaImage DecodePng(std::span<const std::uint8_t> bytes, const ImageLimits& limits = {});

RgbaImage ReadPngFile(const std::string& path, const ImageLimits& limits = {});

}  // namespace tapisto
