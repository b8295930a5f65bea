#include "image/raster.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "base/error.h"
#include "image/limits.h"

namespace tapisto {

Raster::Raster(int width, int height, Colour fill) {
  SetFillColour(fill);
  SetSize(width, height);
}

void Raster::SetWidth(int width) {
  SetSize(width, height_);
}
void Raster::SetHeight(int height) {
  SetSize(width_, height);
}

void Raster::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return;
  CheckSize(width, height);
  Resize(width, height);
}

void Raster::SetSizeUnpainted(int width, int height) {
  SetSize(0, 0);
  width = std::max(width, 0);
  height = std::max(height, 0);
  CheckSize(width, height);
  // Made without a value, the pixels stay unwritten (PixelAllocator).
  pixels_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  width_ = width;
  height_ = height;
}

void Raster::CheckSize(int width, int height) {
  const ImageLimits limits;
  if (width > limits.maxWidth || height > limits.maxHeight ||
      std::int64_t{width} * height > limits.maxPixels) {
    throw RasterError("raster size " + std::to_string(width) + " x " + std::to_string(height) +
                      " exceeds the limit of 32768 x 32768 and 2^28 pixels");
  }
}

void Raster::Resize(int width, int height) {
  const auto w = static_cast<std::size_t>(width);
  const auto h = static_cast<std::size_t>(height);
  if (width == width_ && height <= height_) {
    // Same width: the rows that stay keep their place in memory.
    pixels_.resize(w * h);
  } else if (width == width_) {
    pixels_.resize(w * h, fill_);
  } else {
    std::vector<Colour, PixelAllocator<Colour>> next(w * h, fill_);
    const auto keepW = static_cast<std::size_t>(std::min(width, width_));
    const int keepH = std::min(height, height_);
    for (int y = 0; y < keepH; ++y) {
      const Colour* from = Row(y);
      std::copy(from, from + keepW, next.data() + static_cast<std::size_t>(y) * w);
    }
    pixels_.swap(next);
  }
  width_ = width;
  height_ = height;
}

void Raster::FillRect(Rect r) {
  const int left = std::max(r.left, 0);
  const int top = std::max(r.top, 0);
  const int right = std::min(r.right, width_);
  const int bottom = std::min(r.bottom, height_);
  if (left >= right || top >= bottom) return;
  for (int y = top; y < bottom; ++y) std::fill(Row(y) + left, Row(y) + right, fill_);
}

void BitBlt(Raster& dst, int dx, int dy, int w, int h, const Raster& src, int sx, int sy,
            RowBand band) {
  // Clip in 64 bits so that far-off offsets cannot overflow.
  std::int64_t x0 = 0, y0 = 0, x1 = w, y1 = h;
  x0 = std::max({x0, std::int64_t{0} - dx, std::int64_t{0} - sx});
  y0 = std::max({y0, std::int64_t{band.top} - dy, std::int64_t{0} - dy, std::int64_t{0} - sy});
  x1 = std::min({x1, std::int64_t{dst.Width()} - dx, std::int64_t{src.Width()} - sx});
  y1 = std::min({y1, std::int64_t{dst.Height()} - dy, std::int64_t{band.bottom} - dy,
                 std::int64_t{src.Height()} - sy});
  if (x0 >= x1 || y0 >= y1) return;
  const auto count = static_cast<std::size_t>(x1 - x0);
  for (std::int64_t y = y0; y < y1; ++y) {
    const Colour* from = src.Row(static_cast<int>(sy + y)) + (sx + x0);
    Colour* to = dst.Row(static_cast<int>(dy + y)) + (dx + x0);
    std::copy(from, from + count, to);
  }
}

namespace {
// to[i] = from[n - 1 - i] for i < n; the two do not overlap. Where the compiler has vector
// types, four pixels are reversed at a time.
void ReverseCopy(const Colour* from, Colour* to, std::size_t n) {
  std::size_t i = 0;
#if defined(__GNUC__)
  using Quad = std::uint32_t __attribute__((vector_size(16)));
  static_assert(sizeof(Colour) == sizeof(std::uint32_t));
  for (; i + 4 <= n; i += 4) {
    // The source is read from its end down, a direction the processor's own prefetching
    // follows poorly: ask for the line 256 bytes ahead.
    if (n - 4 - i >= 64) __builtin_prefetch(from + (n - 4 - i - 64));
    Quad q;
    std::memcpy(&q, from + (n - 4 - i), sizeof q);
#if defined(__clang__)
    q = __builtin_shufflevector(q, q, 3, 2, 1, 0);
#else
    q = __builtin_shuffle(q, Quad{3, 2, 1, 0});
#endif
    std::memcpy(to + i, &q, sizeof q);
  }
#endif
  for (; i < n; ++i) to[i] = from[n - 1 - i];
}
}  // namespace

void BitBltMirrored(Raster& dst, int dx, int dy, int w, int h, const Raster& src, RowBand band) {
  std::int64_t x0 = 0, y0 = 0, x1 = w, y1 = h;
  x0 = std::max(x0, std::int64_t{0} - dx);
  y0 = std::max({y0, std::int64_t{0} - dy, std::int64_t{band.top} - dy});
  x1 = std::min({x1, std::int64_t{dst.Width()} - dx, std::int64_t{src.Width()}});
  y1 = std::min({y1, std::int64_t{dst.Height()} - dy, std::int64_t{band.bottom} - dy,
                 std::int64_t{src.Height()}});
  if (x0 >= x1 || y0 >= y1) return;
  const std::int64_t last = src.Width() - 1;
  const auto count = static_cast<std::size_t>(x1 - x0);
  for (std::int64_t y = y0; y < y1; ++y) {
    // Destination column dx + x takes source column last - x.
    const Colour* from = src.Row(static_cast<int>(y)) + (last - x1 + 1);
    Colour* to = dst.Row(static_cast<int>(dy + y)) + (dx + x0);
    ReverseCopy(from, to, count);
  }
}

namespace {
// One axis of a stretching copy: the destination span [first, first + count) and whether it is
// mirrored. A reversed pair (end < start) covers end+1 .. start.
struct Span {
  std::int64_t first;
  std::int64_t count;
  bool mirrored;
};
Span SpanOf(int start, int end) {
  if (end >= start) return {start, std::int64_t{end} - start, false};
  return {std::int64_t{end} + 1, std::int64_t{start} - end, true};
}
// A copy without stretching (the mirror of a picture, or a plain copy): source column and row
// follow from the destination's by adding or reflecting, with no division per pixel.
void CopySameSize(Raster& dst, const Span& dx, const Span& dy, const Raster& src, const Span& sx,
                  const Span& sy, bool mirrorX, bool mirrorY) {
  const std::int64_t n = dx.count;
  // Destination indices i in [i0, i1) whose source column also lies inside src.
  std::int64_t i0 = std::max<std::int64_t>(0, -dx.first);
  std::int64_t i1 = std::min<std::int64_t>(n, dst.Width() - dx.first);
  if (mirrorX) {
    // u = n - 1 - i must lie in [-sx.first, src.Width() - sx.first).
    i0 = std::max(i0, n - (src.Width() - sx.first));
    i1 = std::min(i1, n + sx.first);
  } else {
    i0 = std::max(i0, -sx.first);
    i1 = std::min(i1, src.Width() - sx.first);
  }
  if (i0 >= i1) return;
  const std::int64_t j0 = std::max<std::int64_t>(0, -dy.first);
  const std::int64_t j1 = std::min<std::int64_t>(dy.count, dst.Height() - dy.first);
  for (std::int64_t j = j0; j < j1; ++j) {
    const std::int64_t v = sy.first + (mirrorY ? dy.count - 1 - j : j);
    if (v < 0 || v >= src.Height()) continue;
    const Colour* from = src.Row(static_cast<int>(v)) + sx.first;
    Colour* to = dst.Row(static_cast<int>(dy.first + j)) + dx.first;
    if (mirrorX) {
      for (std::int64_t i = i0; i < i1; ++i) to[i] = from[n - 1 - i];
    } else {
      std::copy(from + i0, from + i1, to + i0);
    }
  }
}

}  // namespace

void CopyRect(Raster& dst, Rect dstRect, const Raster& src, Rect srcRect) {
  const Span dx = SpanOf(dstRect.left, dstRect.right);
  const Span dy = SpanOf(dstRect.top, dstRect.bottom);
  const Span sx = SpanOf(srcRect.left, srcRect.right);
  const Span sy = SpanOf(srcRect.top, srcRect.bottom);
  if (dx.count == 0 || dy.count == 0 || sx.count == 0 || sy.count == 0) return;
  const bool mirrorX = dx.mirrored != sx.mirrored;
  const bool mirrorY = dy.mirrored != sy.mirrored;
  if (dx.count == sx.count && dy.count == sy.count) {
    CopySameSize(dst, dx, dy, src, sx, sy, mirrorX, mirrorY);
    return;
  }
  // The destination rows and columns that lie inside dst.
  const std::int64_t i0 = std::max<std::int64_t>(0, -dx.first);
  const std::int64_t i1 = std::min<std::int64_t>(dx.count, dst.Width() - dx.first);
  const std::int64_t j0 = std::max<std::int64_t>(0, -dy.first);
  const std::int64_t j1 = std::min<std::int64_t>(dy.count, dst.Height() - dy.first);
  for (std::int64_t j = j0; j < j1; ++j) {
    // Nearest source row for the centre of destination row j.
    std::int64_t v = (2 * j + 1) * sy.count / (2 * dy.count);
    if (mirrorY) v = sy.count - 1 - v;
    const std::int64_t syAbs = sy.first + v;
    if (syAbs < 0 || syAbs >= src.Height()) continue;
    const Colour* from = src.Row(static_cast<int>(syAbs));
    Colour* to = dst.Row(static_cast<int>(dy.first + j));
    for (std::int64_t i = i0; i < i1; ++i) {
      std::int64_t u = (2 * i + 1) * sx.count / (2 * dx.count);
      if (mirrorX) u = sx.count - 1 - u;
      const std::int64_t sxAbs = sx.first + u;
      if (sxAbs < 0 || sxAbs >= src.Width()) continue;
      to[dx.first + i] = from[sxAbs];
    }
  }
}

}  // namespace tapisto
