// Small, plain writers of test pictures, so the tests can make every input they read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/raster.h"
#include "image/rgba_image.h"

namespace tapisto::test {

// An 8-bit RGBA PNG (every row filter 0).
std::vector<std::uint8_t> MakePng(const RgbaImage& image);

// A GIF89a with a global colour table of the raster's distinct colours (at most 255) and a
// single frame covering the logical screen; `transparent` pixels (if any colour equals it)
// become the transparent index. The background index points at entry 0.
std::vector<std::uint8_t> MakeGif(const Raster& picture, bool useTransparent = false,
                                  Colour transparent = 0);

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// An RGBA picture whose pixel (x, y) is opaque and distinct per position, with alpha set by
// `alpha(x, y)` when given.
RgbaImage PatternRgba(int w, int h, std::uint8_t alpha = 255);
Raster PatternRaster(int w, int h);

}  // namespace tapisto::test
