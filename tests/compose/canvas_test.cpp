#include "compose/canvas.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <tuple>
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

TEST(Canvas, BandsPaintedIntoBuffersGiveThePixelsOfPaintingAllAtOnce) {
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
  // Bands in any order, each into a buffer of its own rows (one band reaching past the
  // canvas), put together: the canvas as painted whole.
  const std::vector<std::vector<RowBand>> cuts = {
      {{0, H}},
      {{20, 32}, {0, 7}, {7, 20}},
      {{31, 32}, {-5, 1}, {1, 2}, {2, 31}, {32, 40}},
  };
  for (std::size_t i = 0; i < cuts.size(); ++i) {
    SCOPED_TRACE("cut " + std::to_string(i));
    const Canvas canvas = canvasOf();
    Raster joined(W, H, ComposeRgb(255, 0, 255));
    for (const RowBand& band : cuts[i]) {
      Raster buffer(W, band.bottom - band.top, ComposeRgb(0, 255, 0));
      canvas.PaintRows(band, buffer, band.top);
      BitBlt(joined, 0, band.top, W, buffer.Height(), buffer, 0, 0);
    }
    EXPECT_TRUE(joined == expected);
  }
  Canvas canvas = canvasOf();
  EXPECT_TRUE(canvas.Painted() == expected);
  EXPECT_TRUE(canvas.Painted() == expected) << "asked for again";
}

TEST(Canvas, KnowsTheBandsOnlyTheFillOrAFixedRasterReaches) {
  const Colour background = ComposeRgb(10, 20, 30);
  const int W = 40;
  const auto base = std::make_shared<const Raster>(Numbered(W, 60));
  const auto wide = std::make_shared<const Raster>(Numbered(W + 5, 20));
  // A fixed base covering all, a logo over rows 26 to 34, a raster over rows 50 to 59 that is
  // not fixed, and, on a canvas of its own, a fixed raster one column short of the width.
  Canvas added(W, 60, background, {0, 0, W, 60});
  added.Add(PlaceFixedRaster(base));
  added.Add(PlaceRgba(std::make_shared<const RgbaImage>(SeeThrough(13, 9)), 2, 26));
  added.Add(PlaceRaster(wide, -5, 50, W + 5, 10));
  Canvas plain(W, 60, background, {0, 45, W, 48});
  plain.Add(PlaceRgba(std::make_shared<const RgbaImage>(SeeThrough(13, 9)), 2, 26));
  Canvas narrow(W, 20, background);
  narrow.Add(PlaceFixedRaster(std::make_shared<const Raster>(Numbered(W - 1, 20))));
  const Canvas empty;
  struct Row {
    const char* name;
    const Canvas& canvas;
    RowBand band;
    std::optional<Colour> colour;  // plain
    const Raster* picture;         // the fixed raster it shows, at (0, -band.top)
  };
  const Row rows[] = {
      {"base alone", added, {0, 26}, std::nullopt, base.get()},
      {"base under the logo", added, {20, 30}, std::nullopt, nullptr},
      {"base alone between", added, {35, 50}, std::nullopt, base.get()},
      {"a raster that is not fixed", added, {45, 55}, std::nullopt, nullptr},
      {"fill alone", plain, {0, 26}, background, nullptr},
      {"fill and the logo", plain, {30, 35}, std::nullopt, nullptr},
      {"fill and the hole", plain, {40, 46}, std::nullopt, nullptr},
      {"fill alone below", plain, {48, 60}, background, nullptr},
      {"a raster short of the width", narrow, {0, 20}, std::nullopt, nullptr},
      {"a canvas made by default", empty, {0, 1}, std::nullopt, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::optional<StripContent> content = row.canvas.ContentOf(row.band);
    ASSERT_EQ(content.has_value(), row.colour.has_value() || row.picture != nullptr);
    if (!content) continue;
    EXPECT_EQ(content->picture.get(), row.picture);
    if (row.colour) {
      EXPECT_EQ(content->colour, *row.colour);
    } else {
      EXPECT_EQ(std::tuple(content->x, content->y, content->mirrored),
                std::tuple(0, -row.band.top, false));
    }
  }
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
  EXPECT_TRUE(flat.Painted().Empty());
}

}  // namespace
}  // namespace tapisto
