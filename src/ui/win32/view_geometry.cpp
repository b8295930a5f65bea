#include "ui/win32/view_geometry.h"

namespace tapisto {

int ScaleToDpi(int pixels, int dpi) noexcept {
  if (dpi <= 0) dpi = kDesignDpi;
  const long long scaled = static_cast<long long>(pixels) * dpi;
  const long long half = kDesignDpi / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / kDesignDpi
                                      : -((-scaled + half) / kDesignDpi));
}

PixelRect ScaledRect(const ControlLayout& row, int dpi) noexcept {
  const int left = ScaleToDpi(row.left, dpi);
  const int top = ScaleToDpi(row.top, dpi);
  return {left, top, ScaleToDpi(row.left + row.width, dpi) - left,
          ScaleToDpi(row.top + row.height, dpi) - top};
}

PixelSize ScaledClientSize(const WindowDefinition& window, int dpi) noexcept {
  return {ScaleToDpi(window.clientWidth, dpi), ScaleToDpi(window.clientHeight, dpi)};
}

SpinArrow ArrowAt(int width, int height, int x, int y) noexcept {
  if (x < 0 || y < 0 || x >= width || y >= height) return SpinArrow::None;
  return y < height / 2 ? SpinArrow::Up : SpinArrow::Down;
}

}  // namespace tapisto
