// How the window definitions become Win32 geometry: their pixel numbers are meant for 96 dots
// per inch and are scaled to the dots per inch of the monitor the window is on. Also the
// control identifiers, by which the windows' WM_COMMAND and WM_NOTIFY messages name their
// controls and by which other programs (the end-to-end test) find them.
#pragma once

#include <string_view>

#include "ui/controls.h"
#include "ui/layout.h"

namespace tapisto {

inline constexpr int kDesignDpi = 96;

// `pixels` at 96 dots per inch as pixels at `dpi`, rounded half away from zero; a dpi of 0 or
// less counts as 96.
int ScaleToDpi(int pixels, int dpi) noexcept;

struct PixelRect {
  int left;
  int top;
  int width;
  int height;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Where the control of `row` goes in its window's client area at `dpi`. Each edge is scaled on
// its own, so controls that touch at 96 dpi still touch when scaled.
PixelRect ScaledRect(const ControlLayout& row, int dpi) noexcept;

struct PixelSize {
  int width;
  int height;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};
PixelSize ScaledClientSize(const WindowDefinition& window, int dpi) noexcept;

// The arrow at client point (x, y) of an arrow control of `width` x `height` stacked
// vertically: the upper half is Up, the lower half Down, outside is None.
SpinArrow ArrowAt(int width, int height, int x, int y) noexcept;

// The identifiers: 100 + the control's index in its window's layout; the arrow control of a spin
// field has its field's identifier + kArrowsIdOffset. Identifiers 1 and 2 (IDOK, IDCANCEL),
// which dialog navigation sends for Enter and Escape, belong to no control. -1 for a name the
// layout does not hold.
inline constexpr int kFirstControlId = 100;
inline constexpr int kArrowsIdOffset = 1000;

template <std::size_t N>
constexpr int ControlIdOf(const std::array<ControlLayout, N>& layout, std::string_view name) {
  for (std::size_t i = 0; i < N; ++i) {
    if (layout[i].name == name) return kFirstControlId + static_cast<int>(i);
  }
  return -1;
}

// The row of the control with identifier `id` (an arrow control's id gives its spin field's
// row); null when no control has it.
template <std::size_t N>
constexpr const ControlLayout* RowOfControlId(const std::array<ControlLayout, N>& layout, int id) {
  if (id >= kFirstControlId + kArrowsIdOffset) id -= kArrowsIdOffset;
  const int index = id - kFirstControlId;
  if (index < 0 || index >= static_cast<int>(N)) return nullptr;
  return &layout[static_cast<std::size_t>(index)];
}

}  // namespace tapisto
