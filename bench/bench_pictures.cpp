#include "bench_pictures.h"

#include "support/picture_files.h"

namespace tapisto::bench {

Raster PhotoLike(int w, int h) {
  Raster r(w, h);
  for (int y = 0; y < h; ++y) {
    Colour* row = r.Row(y);
    for (int x = 0; x < w; ++x) {
      const int detail = ((x * 7) ^ (y * 13)) & 15;
      row[x] =
          ComposeRgb((x * 255) / w + detail, (y * 255) / h, ((x + y) * 255) / (w + h) + detail);
    }
  }
  return r;
}

std::vector<std::uint8_t> PngBytes(int w, int h) {
  const Raster photo = PhotoLike(w, h);
  RgbaImage image{w, h, {}};
  image.pixels.reserve(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Colour c = photo.Pixel(x, y);
      image.pixels.push_back({RedOf(c), GreenOf(c), BlueOf(c),
                              static_cast<std::uint8_t>((x + y) % 3 == 0 ? 128 : 255)});
    }
  return test::MakePng(image);
}

std::vector<std::uint8_t> GifBytes(int w, int h) {
  Raster indexed(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      indexed.SetPixel(x, y, ComposeRgb((x / 8) % 16 * 16, (y / 8) % 15 * 16, 64));
  return test::MakeGif(indexed);
}

}  // namespace tapisto::bench
