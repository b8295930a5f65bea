// Windows bitmap files (BMP): the formats Windows itself reads and writes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "image/limits.h"
#include "image/raster.h"

namespace tapisto {

// Decodes a BMP file: 1, 4 and 8 bit with a colour table, 16 bit (5-5-5 and BI_BITFIELDS
// 5-6-5), 24 bit, 32 bit (BI_RGB and BI_BITFIELDS), bottom-up and top-down rows, RLE8 and
// RLE4, the BITMAPINFOHEADER, its V4 and V5 successors and the OS/2 core header. The raster
// keeps the file's pixel format (and colour table for indexed files). Throws ImageFormatError
// (ImageTooLargeError over `limits`).
Raster DecodeBmp(std::span<const std::uint8_t> bytes, const ImageLimits& limits = {});

// Encodes `raster` as a Windows BMP (BITMAPFILEHEADER + BITMAPINFOHEADER) in its pixel format:
// Bit1/4/8 with a colour table, Bit16 as 5-5-5, Bit24, Bit32 (BI_RGB); Device as 24 bit.
std::vector<std::uint8_t> EncodeBmp(const Raster& raster);

Raster ReadBmpFile(const std::string& path, const ImageLimits& limits = {});
void WriteBmpFile(const Raster& raster, const std::string& path);

}  // namespace tapisto
