#include "compose/canvas.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

namespace tapisto {

RowBand RowsOf(int y, int height) {
  const std::int64_t bottom = std::int64_t{y} + std::max(height, 0);
  return {y, static_cast<int>(std::min<std::int64_t>(bottom, INT_MAX))};
}

CanvasStep PlaceRaster(std::shared_ptr<const Raster> raster, int x, int y, int w, int h,
                       bool mirrored) {
  return {std::move(raster), nullptr, x, y, w, h, mirrored};
}

CanvasStep PlaceFixedRaster(std::shared_ptr<const Raster> raster) {
  const int w = raster->Width();
  const int h = raster->Height();
  CanvasStep step{std::move(raster), nullptr, 0, 0, w, h, false};
  step.fixed = true;
  return step;
}

CanvasStep PlaceRgba(std::shared_ptr<const RgbaImage> picture, int x, int y, bool mirrored) {
  const int w = picture->width;
  const int h = picture->height;
  return {nullptr, std::move(picture), x, y, w, h, mirrored};
}

Canvas::Canvas(int width, int height, Colour background, Rect covered)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      fill_(background & 0x00FFFFFFu),
      filled_(true) {
  Raster::CheckSize(width_, height_);
  hole_ = {std::clamp(covered.left, 0, width_), std::clamp(covered.top, 0, height_),
           std::clamp(covered.right, 0, width_), std::clamp(covered.bottom, 0, height_)};
  if (hole_.left >= hole_.right || hole_.top >= hole_.bottom) hole_ = {};
}

void Canvas::Add(CanvasStep step) {
  steps_.push_back(std::move(step));
}

namespace {

bool Overlap(RowBand a, RowBand b) {
  return a.top < b.bottom && b.top < a.bottom;
}

// Whether the raster step writes every pixel of `band`, all columns of a canvas `width` wide.
bool CoversBand(const CanvasStep& s, RowBand band, int width) {
  if (s.raster == nullptr) return false;
  const std::int64_t w = std::min(s.w, s.raster->Width());
  const std::int64_t h = std::min(s.h, s.raster->Height());
  return s.x <= 0 && s.x + w >= width && s.y <= band.top && s.y + h >= band.bottom;
}

}  // namespace

std::optional<StripContent> Canvas::ContentOf(RowBand band) const {
  if (!filled_) return std::nullopt;
  // The last step that reaches the band is what it shows, if it covers the band alone.
  for (auto s = steps_.rbegin(); s != steps_.rend(); ++s) {
    if (!Overlap(RowsOf(s->y, s->h), band)) continue;
    if (!s->fixed || !CoversBand(*s, band, width_)) return std::nullopt;
    StripContent content;
    content.picture = s->raster;
    content.x = s->x;
    content.y = s->y - band.top;
    content.mirrored = s->mirrored;
    return content;
  }
  // No step reaches it: the fill, unless its hole does.
  if (Overlap({hole_.top, hole_.bottom}, band)) return std::nullopt;
  return PlainStrip(fill_);
}

void Canvas::PaintRows(RowBand band, Raster& target, int targetTop) const {
  // In the target's rows: the band, clipped to the canvas.
  const int top = std::max(band.top, 0) - targetTop;
  const int bottom = std::min(band.bottom, height_) - targetTop;
  if (top >= bottom) return;
  // Rows far enough off the target to leave the range of int stay off it.
  const auto shifted = [&](int y) {
    return static_cast<int>(
        std::clamp<std::int64_t>(std::int64_t{y} - targetTop, INT_MIN, INT_MAX));
  };

  // The fill: the band in the fill colour, except inside the hole.
  target.SetFillColour(fill_);
  const int holeTop = shifted(hole_.top);
  const int holeBottom = shifted(hole_.bottom);
  target.FillRect({0, top, width_, std::min(bottom, holeTop)});
  const int midTop = std::max(top, holeTop);
  const int midBottom = std::min(bottom, holeBottom);
  target.FillRect({0, midTop, hole_.left, midBottom});
  target.FillRect({hole_.right, midTop, width_, midBottom});
  target.FillRect({0, std::max(top, holeBottom), width_, bottom});

  const RowBand rows{top, bottom};
  for (const CanvasStep& s : steps_) {
    const int y = shifted(s.y);
    if (s.rgba != nullptr) {
      if (s.mirrored) {
        DrawRgbaMirrored(target, *s.rgba, s.x, y, rows);
      } else {
        DrawRgba(target, *s.rgba, s.x, y, rows);
      }
    } else if (s.raster != nullptr) {
      if (s.mirrored) {
        BitBltMirrored(target, s.x, y, s.w, s.h, *s.raster, rows);
      } else {
        BitBlt(target, s.x, y, s.w, s.h, *s.raster, 0, 0, rows);
      }
    }
  }
}

const Raster& Canvas::Painted() {
  if (!paintedWhole_) {
    painted_.SetFillColour(fill_);
    painted_.SetSizeUnpainted(width_, height_);
    PaintRows({0, height_}, painted_, 0);
    paintedWhole_ = true;
  }
  return painted_;
}

}  // namespace tapisto
