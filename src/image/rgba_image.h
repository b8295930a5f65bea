// A picture with an alpha channel (what the PNG reader gives), and drawing it onto a raster.
#pragma once

#include <cstdint>
#include <vector>

#include "image/raster.h"

namespace tapisto {

struct Rgba {
  std::uint8_t r = 0, g = 0, b = 0, a = 0;
  friend bool operator==(const Rgba&, const Rgba&) = default;
};

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<Rgba> pixels;  // rows top-down, width * height entries

  const Rgba& At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

// Draws `image` with its top-left corner at (x, y) of `dst`, composed over what `dst` holds:
// alpha 255 replaces the pixel, alpha 0 leaves it, anything between blends
// (src * a + dst * (255 - a)) / 255, rounded. What falls outside `dst` is dropped.
void DrawRgba(Raster& dst, const RgbaImage& image, int x, int y, RowBand band = {});

// DrawRgba of `image` mirrored left to right: its pixel (i, j) lands at (x + width - 1 - i,
// y + j).
void DrawRgbaMirrored(Raster& dst, const RgbaImage& image, int x, int y, RowBand band = {});

}  // namespace tapisto
