// JPEG files through the IJG libjpeg API (libjpeg-turbo).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "image/limits.h"
#include "image/raster.h"

namespace tapisto {

// Decodes a baseline or progressive, greyscale or colour JPEG into a raster of pixel format
// Bit24. CMYK/YCCK files are refused. Throws ImageFormatError (ImageTooLargeError over
// `limits`).
Raster DecodeJpeg(std::span<const std::uint8_t> bytes, const ImageLimits& limits = {});

// Encodes `raster` as a colour, baseline JPEG at `quality` (1 to 100), every other setting the
// library's default. A 0 x 0 raster gives no bytes at all.
std::vector<std::uint8_t> EncodeJpeg(const Raster& raster, int quality);

Raster ReadJpegFile(const std::string& path, const ImageLimits& limits = {});
void WriteJpegFile(const Raster& raster, int quality, const std::string& path);

}  // namespace tapisto
