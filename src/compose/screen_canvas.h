// ScreenCanvas: the canvas of a composition (the screen's size, or the start wallpaper's for
// "addieren"), painted when it is saved.
//
// A composition records its fill and its copies on the canvas; nothing is painted then.
// Saving the canvas as a JPEG paints each band of rows on the thread that compresses it, just
// before it is compressed: the painting runs on all cores, and the encoder reads pixels that
// are still in the cache. Bands that only the background reaches are known to be plain
// without being painted. The pixels come out exactly as if every step had been done at once,
// in the order recorded.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "image/colour.h"
#include "image/jpeg.h"
#include "image/raster.h"

namespace tapisto {

// Rows [y, y + height) as a band, its edges clamped to the range of int.
RowBand RowsOf(int y, int height);

class ScreenCanvas final : public BandPainter {
 public:
  // One recorded step: paints its part of the rows in `band` of the raster and nothing else.
  // Steps run on several threads at once, on bands that never overlap.
  using Step = std::function<void(Raster& raster, RowBand band)>;

  // A 0 x 0 canvas.
  ScreenCanvas() = default;
  // A width x height canvas in `background`, except inside `covered`, which the caller's
  // next step overwrites whole. Throws RasterError for a size over the picture limits.
  ScreenCanvas(int width, int height, Colour background, Rect covered = {});

  ScreenCanvas(ScreenCanvas&&) = default;
  ScreenCanvas& operator=(ScreenCanvas&&) = default;
  ScreenCanvas(const ScreenCanvas&) = delete;
  ScreenCanvas& operator=(const ScreenCanvas&) = delete;

  int Height() const noexcept { return raster_.Height(); }

  // Records `step`, which changes no row outside `rows`. What it reads must stay unchanged
  // until the canvas is painted or dropped.
  void Record(Step step, RowBand rows);

  // The background colour when no step but the background reaches any row of `band`.
  std::optional<Colour> PlainColour(RowBand band) const override;

  // Paints the rows of `band` that are not painted yet; every row is painted once. Safe to
  // call from several threads at once for bands that do not overlap.
  void Paint(RowBand band) override;

  // The canvas with every step done.
  const Raster& Painted();

  // The raster as far as it is painted, for an encoder that paints it band by band through
  // Paint.
  const Raster& Unfinished() const noexcept { return raster_; }

 private:
  Raster raster_;
  std::vector<Step> steps_;
  // The rows each step but the background may change, and the rows of the background's hole.
  std::vector<RowBand> reached_;
  // One flag per row: painted. A byte each, so that threads marking disjoint bands never
  // write the same memory.
  std::vector<std::uint8_t> painted_;
};

}  // namespace tapisto
