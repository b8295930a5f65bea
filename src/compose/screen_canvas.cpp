#include "compose/screen_canvas.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace tapisto {

namespace {
// Paints rows [top, bottom) of `raster` in its fill colour, except inside `covered`.
void FillAround(Raster& raster, Rect covered, int top, int bottom) {
  const int width = raster.Width();
  raster.FillRect({0, top, width, std::min(bottom, covered.top)});
  const int midTop = std::max(top, covered.top);
  const int midBottom = std::min(bottom, covered.bottom);
  raster.FillRect({0, midTop, covered.left, midBottom});
  raster.FillRect({covered.right, midTop, width, midBottom});
  raster.FillRect({0, std::max(top, covered.bottom), width, bottom});
}
}  // namespace

RowBand RowsOf(int y, int height) {
  const std::int64_t bottom = std::int64_t{y} + std::max(height, 0);
  return {y, static_cast<int>(std::min<std::int64_t>(bottom, INT_MAX))};
}

ScreenCanvas::ScreenCanvas(int width, int height, Colour background, Rect covered) {
  raster_.SetFillColour(background);
  // Made unpainted; the background is the first step.
  raster_.SetSizeUnpainted(width, height);
  painted_.assign(static_cast<std::size_t>(raster_.Height()), 0);
  Rect hole{std::clamp(covered.left, 0, raster_.Width()), std::clamp(covered.top, 0, Height()),
            std::clamp(covered.right, 0, raster_.Width()), std::clamp(covered.bottom, 0, Height())};
  if (hole.left >= hole.right || hole.top >= hole.bottom) hole = {};
  steps_.push_back(
      [hole](Raster& raster, RowBand band) { FillAround(raster, hole, band.top, band.bottom); });
  // The hole holds no background: its rows are not plain.
  if (hole.top < hole.bottom) reached_.push_back({hole.top, hole.bottom});
}

void ScreenCanvas::Record(Step step, RowBand rows) {
  steps_.push_back(std::move(step));
  reached_.push_back(rows);
}

std::optional<Colour> ScreenCanvas::PlainColour(RowBand band) const {
  if (steps_.empty()) return std::nullopt;  // a 0 x 0 canvas
  for (const RowBand& rows : reached_) {
    if (rows.top < band.bottom && band.top < rows.bottom) return std::nullopt;
  }
  return raster_.FillColour();
}

void ScreenCanvas::Paint(RowBand band) {
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
    for (const Step& step : steps_) step(raster_, {y, end});
    std::fill(painted_.begin() + y, painted_.begin() + end, std::uint8_t{1});
    y = end;
  }
}

const Raster& ScreenCanvas::Painted() {
  Paint({0, Height()});
  return raster_;
}

}  // namespace tapisto
