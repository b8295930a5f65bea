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

Canvas::Canvas(int width, int height, Colour background, Rect covered) : filled_(true) {
  raster_.SetFillColour(background);
  // Made unpainted; the fill is painted with the steps.
  raster_.SetSizeUnpainted(width, height);
  painted_.assign(static_cast<std::size_t>(raster_.Height()), 0);
  hole_ = {std::clamp(covered.left, 0, raster_.Width()), std::clamp(covered.top, 0, Height()),
           std::clamp(covered.right, 0, raster_.Width()), std::clamp(covered.bottom, 0, Height())};
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
    if (!s->fixed || !CoversBand(*s, band, raster_.Width())) return std::nullopt;
    StripContent content;
    content.picture = s->raster;
    content.x = s->x;
    content.y = s->y - band.top;
    content.mirrored = s->mirrored;
    return content;
  }
  // No step reaches it: the fill, unless its hole does.
  if (Overlap({hole_.top, hole_.bottom}, band)) return std::nullopt;
  return PlainStrip(raster_.FillColour());
}

void Canvas::Render(int top, int bottom) {
  // The fill: rows [top, bottom) in the fill colour, except inside the hole.
  const int width = raster_.Width();
  raster_.FillRect({0, top, width, std::min(bottom, hole_.top)});
  const int midTop = std::max(top, hole_.top);
  const int midBottom = std::min(bottom, hole_.bottom);
  raster_.FillRect({0, midTop, hole_.left, midBottom});
  raster_.FillRect({hole_.right, midTop, width, midBottom});
  raster_.FillRect({0, std::max(top, hole_.bottom), width, bottom});

  const RowBand band{top, bottom};
  for (const CanvasStep& s : steps_) {
    if (s.rgba != nullptr) {
      if (s.mirrored) {
        DrawRgbaMirrored(raster_, *s.rgba, s.x, s.y, band);
      } else {
        DrawRgba(raster_, *s.rgba, s.x, s.y, band);
      }
    } else if (s.raster != nullptr) {
      if (s.mirrored) {
        BitBltMirrored(raster_, s.x, s.y, s.w, s.h, *s.raster, band);
      } else {
        BitBlt(raster_, s.x, s.y, s.w, s.h, *s.raster, 0, 0, band);
      }
    }
  }
}

void Canvas::Paint(RowBand band) {
  const int top = std::max(band.top, 0);
  const int bottom = std::min(band.bottom, Height());
  // Runs of rows not painted yet.
  for (int y = top; y < bottom;) {
    if (painted_[static_cast<std::size_t>(y)] != 0) {
      ++y;
      continue;
    }
    int end = y;
    while (end < bottom && painted_[static_cast<std::size_t>(end)] == 0) ++end;
    Render(y, end);
    std::fill(painted_.begin() + y, painted_.begin() + end, std::uint8_t{1});
    y = end;
  }
}

const Raster& Canvas::Painted() {
  Paint({0, Height()});
  return raster_;
}

}  // namespace tapisto
