// Reading JPEG files through the IJG libjpeg API (libjpeg-turbo).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "image/limits.h"
#include "image/raster.h"

namespace tapisto {

// Decodes a baseline or progressive, greyscale or colour JPEG into a raster of pixel format
// Bit24. CMYK/YCCK files are refused, and so is a file whose data ends early ("JPEG data ends
// early"), even when only its end marker is missing. Throws ImageFormatError
// (ImageTooLargeError over `limits`).
Raster DecodeJpeg(std::span<const std::uint8_t> bytes, const ImageLimits& limits = {});

// The file at `path` (up to limits.maxInputBytes), decoded as DecodeJpeg does.
Raster ReadJpegFile(const std::string& path, const ImageLimits& limits = {});

// DecodeJpeg of the picture's top `rows` rows only (at least one, at most all): for a picture
// whose lower part lies off the canvas. The decoder stops after them when the data runs on to
// the end marker; a file cut short is read to its end, and fails as DecodeJpeg does.
Raster DecodeJpegTop(std::span<const std::uint8_t> bytes, int rows, const ImageLimits& limits = {});
Raster ReadJpegFileTop(const std::string& path, int rows, const ImageLimits& limits = {});

}  // namespace tapisto
