#include "compose/canvas.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "image/rgba_image.h"

namespace tapisto {
namespace {

// A picture whose every pixel differs from its neighbours, so a shifted or repeated copy shows.
Raster Numbered(int w, int h) {
  Raster r(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) r.SetPixel(x, y, ComposeRgb(x * 7, y * 11, (x + y) * 3));
  return r;
}

// Half see-through: blending it twice over the same pixel gives another colour than once.
RgbaImage SeeThrough(int w, int h) {
  RgbaImage image{w, h, {}};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      image.pixels.push_back({static_cast<std::uint8_t>(x * 9), static_cast<std::uint8_t>(y * 5),
                              200, static_cast<std::uint8_t>(x % 3 == 0 ? 255 : 120)});
  return image;
}

TEST(Canvas, BandsInAnyOrderGiveThePixelsOfPaintingAllAtOnce) {
  const Colour background = ComposeRgb(10, 20, 30);
  const Raster photo = Numbered(30, 25);
  const RgbaImage logo = SeeThrough(13, 9);
  const int W = 40;
  const int H = 32;
  // The photo covers (4, 3) to (34, 28) whole, so that part is left unpainted by the fill.
  const Rect covered{4, 3, 34, 28};

  // Every step done at once, on a raster painted in full.
  Raster expected(W, H, background);
  BitBlt(expected, 4, 3, 30, 25, photo, 0, 0);
  BitBltMirrored(expected, -6, 20, 30, 25, photo);
  DrawRgba(expected, logo, 30, -2);
  DrawRgbaMirrored(expected, logo, 2, 26);

  // The steps own what they draw: the canvas outlives the pictures it was made from.
  const auto canvasOf = [&] {
    const auto sharedPhoto = std::make_shared<const Raster>(photo);
    const auto sharedLogo = std::make_shared<const RgbaImage>(logo);
    Canvas canvas(W, H, background, covered);
    canvas.Add(PlaceRaster(sharedPhoto, 4, 3, 30, 25));
    canvas.Add(PlaceRaster(sharedPhoto, -6, 20, 30, 25, true));
    canvas.Add(PlaceRgba(sharedLogo, 30, -2));
    canvas.Add(PlaceRgba(sharedLogo, 2, 26, true));
    return canvas;
  };
  const std::vector<std::vector<RowBand>> orders = {
      {{0, H}},
      {{20, 32}, {0, 7}, {7, 20}},
      {{31, 32}, {-5, 1}, {1, 2}, {2, 31}},
      // Overlapping and repeated bands: rows already painted are not painted again.
      {{5, 15}, {0, 10}, {5, 15}, {12, 40}},
      {},  // Painted() alone
  };
  for (std::size_t i = 0; i < orders.size(); ++i) {
    SCOPED_TRACE("order " + std::to_string(i));
    Canvas canvas = canvasOf();
    for (const RowBand& band : orders[i]) canvas.Paint(band);
    const Raster& painted = canvas.Painted();
    EXPECT_TRUE(painted == expected);
    EXPECT_TRUE(canvas.Painted() == expected) << "painted again";
  }
  // Only rows no step reaches are plain: the steps reach rows -2 to 34 here.
  Canvas canvas = canvasOf();
  EXPECT_EQ(canvas.PlainColour({0, H}), std::nullopt);
  Canvas low(W, 60, background);
  low.Add(PlaceRgba(std::make_shared<const RgbaImage>(logo), 2, 26));
  EXPECT_EQ(low.PlainColour({0, 26}), background);
  EXPECT_EQ(low.PlainColour({30, 35}), std::nullopt);
  EXPECT_EQ(low.PlainColour({35, 60}), background);
  EXPECT_EQ(Canvas().PlainColour({0, 1}), std::nullopt);
}

TEST(Canvas, OnlyTheCoveredPartIsLeftForTheStepsAndEmptyCanvasesPaintNothing) {
  const Colour background = ComposeRgb(1, 2, 3);
  // A hole reaching past the canvas is clipped; a reversed one leaves nothing unpainted.
  for (const Rect& hole : {Rect{-3, 5, 10, 50}, Rect{12, 3, 4, 9}}) {
    Canvas canvas(16, 12, background, hole);
    const Raster& painted = canvas.Painted();
    int wrong = 0;
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 16; ++x) {
        const bool inside = x >= hole.left && x < hole.right && y >= hole.top && y < hole.bottom;
        if (!inside && painted.Pixel(x, y) != background) ++wrong;
      }
    EXPECT_EQ(wrong, 0);
  }
  Canvas empty;
  EXPECT_TRUE(empty.Painted().Empty());
  Canvas flat(0, 5, background);
  flat.Paint({0, 5});
  EXPECT_TRUE(flat.Painted().Empty());
}

}  // namespace
}  // namespace tapisto
