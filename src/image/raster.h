// Raster: the in-memory bitmap every composition paints on. It behaves like a window system's
// bitmap with a canvas: a new raster is 0 x 0; resizing keeps the old pixels top-left and
// paints new area in the fill colour (white until one is set); a pixel-format tag records the
// format a BMP file had, and BMP writing honours it.
//
// Storage is always one 32-bit Colour per pixel, rows top-down, no padding: the tag changes
// only how the raster is written, never what it holds.
#pragma once

#include <climits>
#include <cstdint>
#include <span>
#include <vector>

#include "image/colour.h"
#include "image/pixel_memory.h"

namespace tapisto {

enum class PixelFormat { Device, Bit1, Bit4, Bit8, Bit16, Bit24, Bit32 };

// Edges as the window system gives them: left/top included, right/bottom excluded.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// Rows [top, bottom) of a destination raster. A drawing call given a band changes no pixel
// outside it, so that threads may paint disjoint bands of one raster at the same time; the
// default band holds every row.
struct RowBand {
  int top = 0;
  int bottom = INT_MAX;
};

class Raster {
 public:
  Raster() = default;
  // A width x height raster painted in `fill` (which also becomes its fill colour).
  Raster(int width, int height, Colour fill = kWhite);

  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }
  bool Empty() const noexcept { return width_ == 0 || height_ == 0; }

  // Resizing keeps what lies inside both sizes at the same place and paints the rest in the
  // fill colour. Negative sizes count as 0; a size over the picture limits throws RasterError.
  void SetWidth(int width);
  void SetHeight(int height);
  void SetSize(int width, int height);

  // SetSize of a 0 x 0 raster, except that no pixel is painted: they hold what the memory
  // held, for a caller that writes every one of them before anything reads them.
  void SetSizeUnpainted(int width, int height);

  Colour FillColour() const noexcept { return fill_; }
  void SetFillColour(Colour colour) noexcept { fill_ = colour & 0x00FFFFFFu; }

  PixelFormat Format() const noexcept { return format_; }
  void SetFormat(PixelFormat format) noexcept { format_ = format; }

  // The colour table of an indexed picture as it was read; BMP writing reuses it where the
  // pixels still fit it. Empty for every other raster.
  const std::vector<Colour>& Palette() const noexcept { return palette_; }
  void SetPalette(std::vector<Colour> palette) { palette_ = std::move(palette); }

  Colour Pixel(int x, int y) const noexcept {
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                   static_cast<std::size_t>(x)];
  }
  void SetPixel(int x, int y, Colour c) noexcept {
    pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
            static_cast<std::size_t>(x)] = c & 0x00FFFFFFu;
  }
  Colour* Row(int y) noexcept {
    return pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
  }
  const Colour* Row(int y) const noexcept {
    return pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
  }
  std::span<const Colour> Pixels() const noexcept { return pixels_; }

  // Paints the rectangle in the fill colour, clipped to the raster. A rectangle whose right
  // edge is not right of its left edge, or whose bottom is not below its top, paints nothing,
  // as the window system's FillRect does.
  void FillRect(Rect r);

  friend bool operator==(const Raster& a, const Raster& b) noexcept {
    return a.width_ == b.width_ && a.height_ == b.height_ && a.pixels_ == b.pixels_;
  }

  // Throws RasterError for a size over the picture limits.
  static void CheckSize(int width, int height);

 private:
  void Resize(int width, int height);

  int width_ = 0;
  int height_ = 0;
  Colour fill_ = kWhite;
  PixelFormat format_ = PixelFormat::Device;
  std::vector<Colour> palette_;
  std::vector<Colour, PixelAllocator<Colour>> pixels_;
};

// Copies the w x h block at (sx, sy) of `src` to (dx, dy) of `dst`. Pixels whose source or
// destination lies outside its raster are dropped; nothing else changes.
void BitBlt(Raster& dst, int dx, int dy, int w, int h, const Raster& src, int sx, int sy,
            RowBand band = {});

// What BitBlt(dst, dx, dy, w, h, M, 0, 0) copies, where M is `src` mirrored left to right (the
// pixel (x, y) of M is the pixel (width - 1 - x, y) of `src`), without making M.
void BitBltMirrored(Raster& dst, int dx, int dy, int w, int h, const Raster& src,
                    RowBand band = {});

// Copies the source rectangle into the destination rectangle, stretching with the nearest
// pixel. A destination whose right edge lies left of its left edge receives the copy mirrored
// left to right, covering columns right+1 .. left; likewise a bottom above the top mirrors it
// upside down. So the rectangle (width-1, 0, -1, height) mirrors a same-sized picture with no
// shift of one pixel. Pixels outside either raster are dropped.
void CopyRect(Raster& dst, Rect dstRect, const Raster& src, Rect srcRect);

}  // namespace tapisto
