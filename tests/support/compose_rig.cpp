#include "support/compose_rig.h"

#include <sstream>

#include "image/rgba_image.h"
#include "support/picture_files.h"

namespace tapisto::test {

std::string ComposeRig::Picture(const std::string& name,
                                const std::vector<std::uint8_t>& bytes) const {
  const std::string path = dir.File(name);
  WriteBytes(path, bytes);
  return path;
}

Raster ExpectedCanvas(int w, int h, Colour background, const std::vector<Placement>& placements) {
  Raster canvas(w, h, background);
  for (const Placement& p : placements) {
    const Raster& pic = *p.picture;
    for (int j = 0; j < pic.Height(); ++j) {
      for (int i = 0; i < pic.Width(); ++i) {
        const long long x = static_cast<long long>(p.x) + i;
        const long long y = static_cast<long long>(p.y) + j;
        if (x < 0 || y < 0 || x >= w || y >= h) continue;
        const int from = p.mirrored ? pic.Width() - 1 - i : i;
        canvas.SetPixel(static_cast<int>(x), static_cast<int>(y), pic.Pixel(from, j));
      }
    }
  }
  return canvas;
}

std::string FirstDifference(const Raster& actual, const Raster& expected) {
  std::ostringstream out;
  if (actual.Width() != expected.Width() || actual.Height() != expected.Height()) {
    out << "size " << actual.Width() << "x" << actual.Height() << ", expected " << expected.Width()
        << "x" << expected.Height();
    return out.str();
  }
  for (int y = 0; y < actual.Height(); ++y) {
    for (int x = 0; x < actual.Width(); ++x) {
      if (actual.Pixel(x, y) != expected.Pixel(x, y)) {
        out << "pixel (" << x << "," << y << ") is " << std::hex << actual.Pixel(x, y)
            << ", expected " << expected.Pixel(x, y);
        return out.str();
      }
    }
  }
  return "";
}

Raster OverBackground(const RgbaImage& picture, Colour background) {
  Raster r(picture.width, picture.height, background);
  DrawRgba(r, picture, 0, 0);
  return r;
}

}  // namespace tapisto::test
