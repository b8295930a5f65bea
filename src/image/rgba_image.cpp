#include "image/rgba_image.h"

#include <algorithm>

namespace tapisto {

namespace {
// (s * a + d * (255 - a)) / 255 rounded to nearest, exact for all 8-bit inputs.
inline std::uint32_t Blend(std::uint32_t s, std::uint32_t d, std::uint32_t a) {
  const std::uint32_t t = s * a + d * (255 - a) + 128;
  return (t + (t >> 8)) >> 8;
}

// The pixel at `out` with `p` composed over it.
inline void Compose(Colour& out, const Rgba& p) {
  if (p.a == 0) return;
  if (p.a == 255) {
    out = ComposeRgb(p.r, p.g, p.b);
    return;
  }
  out = Blend(p.r, RedOf(out), p.a) | (Blend(p.g, GreenOf(out), p.a) << 8) |
        (Blend(p.b, BlueOf(out), p.a) << 16);
}

// Draws `image` at (x, y), left to right or mirrored. Destination column x + i receives the
// image's column i, or width - 1 - i when mirrored; the loops run over the destination columns
// and rows that lie inside `dst`.
template <bool kMirrored>
void Draw(Raster& dst, const RgbaImage& image, int x, int y, RowBand band) {
  const std::int64_t x0 = std::max<std::int64_t>(0, -std::int64_t{x});
  const std::int64_t y0 = std::max<std::int64_t>({0, -std::int64_t{y}, std::int64_t{band.top} - y});
  const std::int64_t x1 = std::min<std::int64_t>(image.width, std::int64_t{dst.Width()} - x);
  const std::int64_t y1 = std::min<std::int64_t>(
      {image.height, std::int64_t{dst.Height()} - y, std::int64_t{band.bottom} - y});
  if (x0 >= x1) return;
  const std::int64_t last = image.width - 1;
  for (std::int64_t j = y0; j < y1; ++j) {
    Colour* row = dst.Row(static_cast<int>(y + j));
    const Rgba* from = &image.At(0, static_cast<int>(j));
    for (std::int64_t i = x0; i < x1; ++i) Compose(row[x + i], from[kMirrored ? last - i : i]);
  }
}
}  // namespace

void DrawRgba(Raster& dst, const RgbaImage& image, int x, int y, RowBand band) {
  Draw<false>(dst, image, x, y, band);
}

void DrawRgbaMirrored(Raster& dst, const RgbaImage& image, int x, int y, RowBand band) {
  Draw<true>(dst, image, x, y, band);
}

}  // namespace tapisto
