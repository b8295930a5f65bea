#include "image/rgba_image.h"

#include <algorithm>
#include <cstring>

namespace tapisto {

namespace {
// (s * a + d * (255 - a)) / 255 rounded to nearest, exact for all 8-bit inputs: alpha 0 gives
// d and alpha 255 gives s.
inline std::uint32_t Blend(std::uint32_t s, std::uint32_t d, std::uint32_t a) {
  const std::uint32_t t = s * a + d * (255 - a) + 128;
  return (t + (t >> 8)) >> 8;
}

// The pixel at `out` with `p` composed over it.
inline void Compose(Colour& out, const Rgba& p) {
  if (p.a == 0) return;
  out = Blend(p.r, RedOf(out), p.a) | (Blend(p.g, GreenOf(out), p.a) << 8) |
        (Blend(p.b, BlueOf(out), p.a) << 16);
}

// The bytes of two pixels side by side, as they lie in memory and widened to 16 bits (GCC and
// Clang vector extensions). Blend's sums stay under 2^16: s * a + d * (255 - a) + 128 is at
// most 255 * 255 + 128.
using TwoPixelBytes = std::uint8_t __attribute__((vector_size(8)));
using TwoPixels = std::uint16_t __attribute__((vector_size(16)));

// Compose of the two image pixels at `from` over out[0] and out[1], both at once and without a
// branch; swapped first (from[1] over out[0]) when kSwapped.
template <bool kSwapped>
inline void ComposeTwo(Colour* out, const Rgba* from) {
  TwoPixelBytes bytes;
  std::memcpy(&bytes, from, sizeof bytes);
  TwoPixels s = __builtin_convertvector(bytes, TwoPixels);
  if constexpr (kSwapped) s = __builtin_shufflevector(s, s, 4, 5, 6, 7, 0, 1, 2, 3);
  // Each pixel's alpha for its colour bytes, and 0 for its pad byte, which keeps it (0, as in
  // every raster).
  const TwoPixels a = __builtin_shufflevector(s, s, 3, 3, 3, 3, 7, 7, 7, 7) &
                      TwoPixels{0xFF, 0xFF, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0};
  std::memcpy(&bytes, out, sizeof bytes);
  const TwoPixels t = s * a + __builtin_convertvector(bytes, TwoPixels) * (255 - a) + 128;
  bytes = __builtin_convertvector((t + (t >> 8)) >> 8, TwoPixelBytes);
  std::memcpy(out, &bytes, sizeof bytes);
}

// Draws `image` at (x, y), left to right or mirrored. Destination column x + i receives the
// image's column i, or width - 1 - i when mirrored; the loops run over the destination columns
// and rows that lie inside `dst`, two pixels at a time.
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
    Colour* row = dst.Row(static_cast<int>(y + j)) + x;
    const Rgba* from = &image.At(0, static_cast<int>(j));
    std::int64_t i = x0;
    for (; i + 2 <= x1; i += 2) {
      // Mirrored, columns i and i + 1 take the image's pixels last - i and last - i - 1.
      ComposeTwo<kMirrored>(row + i, from + (kMirrored ? last - i - 1 : i));
    }
    if (i < x1) Compose(row[i], from[kMirrored ? last - i : i]);
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
