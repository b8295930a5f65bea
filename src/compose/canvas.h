// Canvas: the picture a composition saves, described once as a list of steps and painted by
// one renderer, either whole (a BMP save, the observer, tests) or band by band into the JPEG
// encoder's strip buffers while it compresses them (as its BandPainter).
//
// The canvas starts as its fill: the background colour everywhere but a hole that the caller's
// next step overwrites whole. Each step then places a picture: a raster copied as BitBlt does
// (or mirrored left to right as BitBltMirrored does), or an RGBA picture drawn over the canvas
// by its alpha (or mirrored). Steps own or share what they draw, so a canvas depends on nothing
// that lives outside it. Painting is deferred: each band of rows is painted just before it is
// compressed, on the thread that compresses it, into a small buffer of that thread's, so the
// painting runs on all cores and the encoder reads pixels that are still in the cache; a
// canvas that is only saved as JPEG is never painted whole, nor even given its memory. Bands
// that only the fill reaches are known to be plain without being painted, and bands that a
// fixed raster step covers alone (the start wallpaper under an added picture) are known to
// show that raster: the encoder keeps such strips from one offset step to the next. The pixels
// come out exactly as if every step had been done at once, in order.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "image/colour.h"
#include "image/jpeg_encode.h"
#include "image/raster.h"
#include "image/rgba_image.h"

namespace tapisto {

// Rows [y, y + height) as a band, its edges clamped to the range of int.
RowBand RowsOf(int y, int height);

// One placement on a canvas, with what it draws: either `raster`, whose w x h block at (0, 0)
// goes to (x, y), or `rgba`, drawn whole with its top-left corner at (x, y).
struct CanvasStep {
  std::shared_ptr<const Raster> raster;
  std::shared_ptr<const RgbaImage> rgba;
  int x = 0;
  int y = 0;
  int w = 0;  // the raster's block; an RGBA picture's own size
  int h = 0;
  bool mirrored = false;  // left to right
  // Placed the same way at every offset step, so that the strips it alone covers are worth
  // keeping: the encoder then compresses them once.
  bool fixed = false;
};

CanvasStep PlaceRaster(std::shared_ptr<const Raster> raster, int x, int y, int w, int h,
                       bool mirrored = false);
// The raster placed whole at (0, 0), the same at every offset step.
CanvasStep PlaceFixedRaster(std::shared_ptr<const Raster> raster);
CanvasStep PlaceRgba(std::shared_ptr<const RgbaImage> picture, int x, int y, bool mirrored = false);

class Canvas final : public BandPainter {
 public:
  // A 0 x 0 canvas.
  Canvas() = default;
  // A width x height canvas in `background`, except inside `covered`, which the caller's
  // next step overwrites whole. Throws RasterError for a size over the picture limits.
  Canvas(int width, int height, Colour background, Rect covered = {});

  Canvas(Canvas&&) = default;
  Canvas& operator=(Canvas&&) = default;
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  int Width() const noexcept override { return width_; }
  int Height() const noexcept override { return height_; }

  // Adds `step` after the steps added before.
  void Add(CanvasStep step);

  // The background colour when no step but the fill reaches any row of `band`; the raster of
  // a fixed step when that step is the last to reach the band and covers all of it.
  std::optional<StripContent> ContentOf(RowBand band) const override;

  // The renderer: the fill and every step, on the rows of `band`, into `target` (whose row 0
  // is the canvas's row `targetTop`; rows that fall outside it are left out). Safe to call
  // from several threads at once with targets of their own.
  void PaintRows(RowBand band, Raster& target, int targetTop) const override;

  // The canvas with every step done, painted the first time it is asked for.
  const Raster& Painted() override;

 private:
  int width_ = 0;
  int height_ = 0;
  Colour fill_ = 0;
  bool filled_ = false;  // false for a 0 x 0 canvas made by default
  Rect hole_;
  std::vector<CanvasStep> steps_;
  Raster painted_;  // sized and painted by Painted()
  bool paintedWhole_ = false;
};

}  // namespace tapisto
