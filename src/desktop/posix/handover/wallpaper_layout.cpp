#include "desktop/posix/handover/wallpaper_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <vector>

namespace tapisto {

namespace {

// The source pixels one output pixel of an axis is made of, and their weights (summing to 1).
struct Taps {
  int first = 0;
  std::vector<float> weights;
};

// The taps of output pixels [from, to) of an axis resampled from srcSize to dstSize pixels.
std::vector<Taps> AxisTaps(int srcSize, int dstSize, int from, int to) {
  std::vector<Taps> taps;
  taps.reserve(static_cast<std::size_t>(to - from));
  const double scale = static_cast<double>(srcSize) / static_cast<double>(dstSize);
  for (int i = from; i < to; ++i) {
    Taps t;
    if (srcSize == dstSize) {
      t.first = i;
      t.weights = {1.0f};
    } else if (srcSize > dstSize) {
      // Shrinking: the output pixel covers the source interval [lo, hi).
      const double lo = i * scale;
      const double hi = (i + 1) * scale;
      const int first = static_cast<int>(std::floor(lo));
      const int last = std::min(srcSize, static_cast<int>(std::ceil(hi)));
      t.first = first;
      for (int j = first; j < last; ++j) {
        const double covered = std::min(hi, j + 1.0) - std::max(lo, static_cast<double>(j));
        t.weights.push_back(static_cast<float>(covered / scale));
      }
    } else {
      // Growing: between the centres of the two nearest source pixels.
      const double at = std::clamp((i + 0.5) * scale - 0.5, 0.0, srcSize - 1.0);
      const int j = static_cast<int>(std::floor(at));
      const double f = at - j;
      t.first = j;
      if (j + 1 < srcSize && f > 0.0) {
        t.weights = {static_cast<float>(1.0 - f), static_cast<float>(f)};
      } else {
        t.weights = {1.0f};
      }
    }
    taps.push_back(std::move(t));
  }
  return taps;
}

std::uint32_t RoundChannel(float value) {
  const float rounded = std::floor(value + 0.5f);
  return static_cast<std::uint32_t>(std::clamp(rounded, 0.0f, 255.0f));
}

Rect Intersect(Rect a, Rect b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

bool IsEmpty(Rect r) {
  return r.right <= r.left || r.bottom <= r.top;
}

int ClampToInt(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min() / 2,
                                                   std::numeric_limits<int>::max() / 2));
}

// a * b / c rounded to the nearest whole number, for positive values.
std::int64_t ScaleRounded(std::int64_t a, std::int64_t b, std::int64_t c) {
  return (2 * a * b + c) / (2 * c);
}

Rect Centred(int width, int height, Rect area) {
  const int left = area.left + (area.right - area.left - width) / 2;
  const int top = area.top + (area.bottom - area.top - height) / 2;
  return {left, top, left + width, top + height};
}

}  // namespace

void DrawScaled(Raster& dst, Rect target, Rect clip, const Raster& src) {
  const int targetWidth = target.right - target.left;
  const int targetHeight = target.bottom - target.top;
  if (src.Empty() || targetWidth <= 0 || targetHeight <= 0) return;
  const Rect visible = Intersect(Intersect(target, clip), Rect{0, 0, dst.Width(), dst.Height()});
  if (IsEmpty(visible)) return;

  const std::vector<Taps> columns =
      AxisTaps(src.Width(), targetWidth, visible.left - target.left, visible.right - target.left);
  const std::vector<Taps> rows =
      AxisTaps(src.Height(), targetHeight, visible.top - target.top, visible.bottom - target.top);
  const std::size_t outWidth = columns.size();

  // Source rows resampled across, three channels per output column. Output rows ask for source
  // rows in rising order, so rows below the current window are dropped as it moves.
  std::map<int, std::vector<float>> across;
  auto acrossRow = [&](int y) -> const std::vector<float>& {
    auto found = across.find(y);
    if (found != across.end()) return found->second;
    std::vector<float> out(outWidth * 3, 0.0f);
    const Colour* row = src.Row(y);
    for (std::size_t x = 0; x < outWidth; ++x) {
      const Taps& t = columns[x];
      float r = 0, g = 0, b = 0;
      for (std::size_t k = 0; k < t.weights.size(); ++k) {
        const Colour c = row[t.first + static_cast<int>(k)];
        r += t.weights[k] * static_cast<float>(RedOf(c));
        g += t.weights[k] * static_cast<float>(GreenOf(c));
        b += t.weights[k] * static_cast<float>(BlueOf(c));
      }
      out[3 * x] = r;
      out[3 * x + 1] = g;
      out[3 * x + 2] = b;
    }
    return across.emplace(y, std::move(out)).first->second;
  };

  std::vector<float> sum(outWidth * 3);
  for (std::size_t oy = 0; oy < rows.size(); ++oy) {
    const Taps& t = rows[oy];
    across.erase(across.begin(), across.lower_bound(t.first));
    std::fill(sum.begin(), sum.end(), 0.0f);
    for (std::size_t k = 0; k < t.weights.size(); ++k) {
      const std::vector<float>& line = acrossRow(t.first + static_cast<int>(k));
      for (std::size_t i = 0; i < sum.size(); ++i) sum[i] += t.weights[k] * line[i];
    }
    Colour* out = dst.Row(visible.top + static_cast<int>(oy)) + visible.left;
    for (std::size_t x = 0; x < outWidth; ++x) {
      out[x] = RoundChannel(sum[3 * x]) | (RoundChannel(sum[3 * x + 1]) << 8) |
               (RoundChannel(sum[3 * x + 2]) << 16);
    }
  }
}

Rect PicturePlacement(DesktopStyle style, int pictureWidth, int pictureHeight, Rect area) {
  const std::int64_t w = pictureWidth;
  const std::int64_t h = pictureHeight;
  const std::int64_t areaWidth = area.right - area.left;
  const std::int64_t areaHeight = area.bottom - area.top;
  switch (style) {
    case DesktopStyle::Tile:
      return {area.left, area.top, area.left + pictureWidth, area.top + pictureHeight};
    case DesktopStyle::Centre:
      return Centred(pictureWidth, pictureHeight, area);
    case DesktopStyle::Stretch:
    case DesktopStyle::Span:
      return area;
    case DesktopStyle::Fit:
    case DesktopStyle::Fill:
      break;
  }
  if (w <= 0 || h <= 0 || areaWidth <= 0 || areaHeight <= 0) {
    return {area.left, area.top, area.left, area.top};
  }
  // The width decides when areaWidth / w is the smaller factor (fit) or the larger (fill).
  const bool widthIsTighter = areaWidth * h < areaHeight * w;
  const bool byWidth = style == DesktopStyle::Fit ? widthIsTighter : !widthIsTighter;
  if (areaWidth * h == areaHeight * w) return area;
  if (byWidth) {
    return Centred(static_cast<int>(areaWidth),
                   ClampToInt(std::max<std::int64_t>(1, ScaleRounded(h, areaWidth, w))), area);
  }
  return Centred(ClampToInt(std::max<std::int64_t>(1, ScaleRounded(w, areaHeight, h))),
                 static_cast<int>(areaHeight), area);
}

Raster RenderDesktop(const Raster* picture, Colour background, DesktopStyle style, int width,
                     int height, std::span<const Rect> monitors) {
  Raster desktop(width, height, background);
  if (picture == nullptr || picture->Empty() || desktop.Empty()) return desktop;
  const Rect whole{0, 0, width, height};
  std::vector<Rect> areas(monitors.begin(), monitors.end());
  if (areas.empty()) areas.push_back(whole);

  if (style == DesktopStyle::Tile) {
    for (int y = 0; y < height; y += picture->Height()) {
      for (int x = 0; x < width; x += picture->Width()) {
        BitBlt(desktop, x, y, picture->Width(), picture->Height(), *picture, 0, 0);
      }
    }
    return desktop;
  }
  if (style == DesktopStyle::Span) {
    Rect all = areas.front();
    for (const Rect& a : areas) {
      all = {std::min(all.left, a.left), std::min(all.top, a.top), std::max(all.right, a.right),
             std::max(all.bottom, a.bottom)};
    }
    DrawScaled(desktop, all, whole, *picture);
    return desktop;
  }
  for (const Rect& area : areas) {
    DrawScaled(desktop, PicturePlacement(style, picture->Width(), picture->Height(), area), area,
               *picture);
  }
  return desktop;
}

}  // namespace tapisto
