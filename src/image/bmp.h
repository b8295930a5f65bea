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
// keeps the file's pixel format (and colour table for indexed files); an index past the colour
// table reads as black, and pixels an RLE stream skips keep colour-table entry 0. Throws
// ImageFormatError (ImageTooLargeError over `limits`) for damaged or truncated files.
Raster DecodeBmp(std::span<const std::uint8_t> bytes, const ImageLimits& limits = {});

// Encodes `raster` as a Windows BMP (BITMAPFILEHEADER + BITMAPINFOHEADER) in its pixel format:
// Bit1/4/8 with a colour table, Bit16 as 5-5-5, Bit24, Bit32 (BI_RGB); Device as 24 bit.
// The colour table of an indexed file is the raster's palette when every pixel is in it, else
// the raster's distinct colours when they fit, else the nearest entry of the palette (or of a
// fixed black/white, 4-bit or 3-3-2 table when there is none) stands for each pixel. Throws
// ImageFormatError for an empty raster, which no BMP reader would open.
std::vector<std::uint8_t> EncodeBmp(const Raster& raster);

Raster ReadBmpFile(const std::string& path, const ImageLimits& limits = {});
void WriteBmpFile(const Raster& raster, const std::string& path);

}  // namespace tapisto
