#include "picture_kinds.h"

#include "image/bmp.h"
#include "image/jpeg_decode.h"
#include "image/jpeg_encode.h"
#include "support/picture_files.h"

namespace tapisto::test {

const char* NameOf(Kind kind) {
  switch (kind) {
    case Kind::Bmp:
      return "BMP";
    case Kind::Jpeg:
      return "JPEG";
    case Kind::Gif:
      return "GIF";
    case Kind::Png:
      return "PNG";
  }
  return "?";
}

KindPicture MakeKindPicture(const ComposeRig& rig, Kind kind, int w, int h,
                            const std::string& stem) {
  switch (kind) {
    case Kind::Bmp: {
      Raster pattern = PatternRaster(w, h);
      pattern.SetFormat(PixelFormat::Bit24);
      return {rig.Picture(stem + ".bmp", EncodeBmp(pattern)), pattern};
    }
    case Kind::Jpeg: {
      const auto bytes = EncodeJpeg(PatternRaster(w, h), 90);
      return {rig.Picture(stem + ".jpg", bytes), DecodeJpeg(bytes)};
    }
    case Kind::Gif: {
      // Four colours in stripes; the white one is transparent and shows the background.
      constexpr Colour kClear = ComposeRgb(255, 255, 255);
      const Colour colours[] = {ComposeRgb(200, 0, 0), ComposeRgb(0, 200, 0), ComposeRgb(0, 0, 200),
                                kClear};
      Raster picture(w, h);
      Raster expected(w, h);
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
          const Colour c = colours[(x + 2 * y) % 4];
          picture.SetPixel(x, y, c);
          expected.SetPixel(x, y, c == kClear ? ComposeRig::kBackground : c);
        }
      }
      return {rig.Picture(stem + ".gif", MakeGif(picture, true, kClear)), expected};
    }
    case Kind::Png: {
      RgbaImage image = PatternRgba(w, h);
      // Opaque, half-transparent and fully transparent pixels in turn.
      for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        image.pixels[i].a = static_cast<std::uint8_t>(i % 3 == 0 ? 255 : i % 3 == 1 ? 128 : 0);
      }
      return {rig.Picture(stem + ".png", MakePng(image)),
              OverBackground(image, ComposeRig::kBackground)};
    }
  }
  return {};
}

}  // namespace tapisto::test
