// Inputs for the benchmarks, made in memory: a photo-like raster (smooth gradients with some
// detail, so the encoder does realistic work), and PNG and GIF files of it.
#pragma once

#include <cstdint>
#include <vector>

#include "image/raster.h"

namespace tapisto::bench {

Raster PhotoLike(int w, int h);
// An 8-bit RGBA PNG with varying alpha.
std::vector<std::uint8_t> PngBytes(int w, int h);
// A GIF with a 256-colour table and a full-screen frame.
std::vector<std::uint8_t> GifBytes(int w, int h);

}  // namespace tapisto::bench
