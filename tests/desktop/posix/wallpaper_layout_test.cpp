// The desktop background drawn by style: placement on each monitor, the background colour
// around the picture, and the resampling of the picture's pixels.
#include "desktop/posix/handover/wallpaper_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace tapisto {
namespace {

using Rows = std::vector<std::vector<Colour>>;

constexpr Colour kBg = 0x00102030u;

Colour Grey(int v) {
  return ComposeRgb(v, v, v);
}

Raster FromRows(const Rows& rows) {
  Raster r(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), 0);
  for (int y = 0; y < r.Height(); ++y) {
    for (int x = 0; x < r.Width(); ++x) {
      r.SetPixel(x, y, rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]);
    }
  }
  return r;
}

Rows ToRows(const Raster& r) {
  Rows rows(static_cast<std::size_t>(r.Height()));
  for (int y = 0; y < r.Height(); ++y) {
    for (int x = 0; x < r.Width(); ++x) rows[static_cast<std::size_t>(y)].push_back(r.Pixel(x, y));
  }
  return rows;
}

Raster Scaled(const Raster& src, int w, int h) {
  Raster dst(w, h, kBg);
  DrawScaled(dst, {0, 0, w, h}, {0, 0, w, h}, src);
  return dst;
}

TEST(Resampling, ShrinkingByTwoAveragesEachTwoByTwoBlock) {
  const Raster src = FromRows({
      {ComposeRgb(0, 10, 255), ComposeRgb(100, 10, 255), Grey(7), Grey(7)},
      {ComposeRgb(200, 11, 0), ComposeRgb(101, 11, 0), Grey(8), Grey(8)},
      {Grey(1), Grey(2), Grey(255), Grey(0)},
      {Grey(3), Grey(4), Grey(0), Grey(255)},
  });
  // (0+100+200+101)/4 = 100.25, (10+10+11+11)/4 = 10.5 rounds up, (255+255)/4 = 127.5 too.
  EXPECT_EQ(ToRows(Scaled(src, 2, 2)),
            (Rows{{ComposeRgb(100, 11, 128), Grey(8)}, {Grey(3), Grey(128)}}));
}

TEST(Resampling, ShrinkingByAFractionWeighsPartlyCoveredPixels) {
  // Three pixels into two: each output covers one and a half source pixels.
  const Raster src = FromRows({{Grey(0), Grey(90), Grey(180)}});
  EXPECT_EQ(ToRows(Scaled(src, 2, 1)), (Rows{{Grey(30), Grey(150)}}));
  // All into one: the plain average.
  EXPECT_EQ(ToRows(Scaled(src, 1, 1)), (Rows{{Grey(90)}}));
}

TEST(Resampling, EnlargingInterpolatesBetweenPixelCentres) {
  const Raster src = FromRows({{Grey(0), Grey(200)}});
  // Output centres fall at source positions -0.25 (edge), 0.25, 0.75 and 1.25 (edge).
  EXPECT_EQ(ToRows(Scaled(src, 4, 1)), (Rows{{Grey(0), Grey(50), Grey(150), Grey(200)}}));
  // Down the other axis alone: a 1-pixel column grows, the row count stays.
  EXPECT_EQ(ToRows(Scaled(FromRows({{Grey(40)}, {Grey(80)}}), 3, 4)),
            (Rows{{Grey(40), Grey(40), Grey(40)},
                  {Grey(50), Grey(50), Grey(50)},
                  {Grey(70), Grey(70), Grey(70)},
                  {Grey(80), Grey(80), Grey(80)}}));
}

TEST(Resampling, EachAxisUsesItsOwnMethod) {
  // Widths shrink 4 -> 2 (averaging), heights grow 1 -> 2 (one row: copied down).
  const Raster src = FromRows({{Grey(10), Grey(20), Grey(100), Grey(200)}});
  EXPECT_EQ(ToRows(Scaled(src, 2, 2)), (Rows{{Grey(15), Grey(150)}, {Grey(15), Grey(150)}}));
}

TEST(Resampling, SameSizeCopiesAndOnlyTheClipIsDrawn) {
  const Raster src = FromRows({{Grey(1), Grey(2)}, {Grey(3), Grey(4)}});
  Raster dst(4, 3, kBg);
  // The target reaches past the raster's left edge; the clip leaves out row 2.
  DrawScaled(dst, {-1, 1, 1, 3}, {0, 0, 4, 2}, src);
  EXPECT_EQ(ToRows(dst),
            (Rows{{kBg, kBg, kBg, kBg}, {Grey(2), kBg, kBg, kBg}, {kBg, kBg, kBg, kBg}}));
}

TEST(Resampling, NothingToDrawFromAnEmptyPictureOrTarget) {
  Raster dst(2, 2, kBg);
  DrawScaled(dst, {0, 0, 2, 2}, {0, 0, 2, 2}, Raster());
  DrawScaled(dst, {0, 0, 0, 2}, {0, 0, 2, 2}, FromRows({{Grey(9)}}));
  DrawScaled(dst, {1, 1, 0, 0}, {0, 0, 2, 2}, FromRows({{Grey(9)}}));
  EXPECT_EQ(ToRows(dst), (Rows{{kBg, kBg}, {kBg, kBg}}));
}

TEST(Placement, WhereEachStylePutsAPicture) {
  const Rect monitor{10, 20, 110, 120};  // 100 x 100 at (10, 20)
  struct Row {
    DesktopStyle style;
    int w, h;
    Rect expected;
  };
  for (const Row& row : {
           // 3:2 fits by its width: 100 x 66.67 rounds to 67, centred with 33 rows left over.
           Row{DesktopStyle::Fit, 3, 2, {10, 36, 110, 103}},
           Row{DesktopStyle::Fit, 2, 3, {26, 20, 93, 120}},
           Row{DesktopStyle::Fit, 500, 500, {10, 20, 110, 120}},
           // Filling by the height: 150 x 100, 25 cut off at each side.
           Row{DesktopStyle::Fill, 3, 2, {-15, 20, 135, 120}},
           Row{DesktopStyle::Fill, 2, 3, {10, -5, 110, 145}},
           Row{DesktopStyle::Fill, 1, 1000, {10, -49930, 110, 50070}},
           Row{DesktopStyle::Stretch, 3, 2, monitor},
           Row{DesktopStyle::Centre, 30, 20, {45, 60, 75, 80}},
           Row{DesktopStyle::Centre, 104, 103, {8, 19, 112, 122}},
           Row{DesktopStyle::Tile, 30, 20, {10, 20, 40, 40}},
       }) {
    SCOPED_TRACE(std::to_string(static_cast<int>(row.style)) + ": " + std::to_string(row.w) + "x" +
                 std::to_string(row.h));
    const Rect got = PicturePlacement(row.style, row.w, row.h, monitor);
    EXPECT_EQ((std::vector<int>{got.left, got.top, got.right, got.bottom}),
              (std::vector<int>{row.expected.left, row.expected.top, row.expected.right,
                                row.expected.bottom}));
  }
}

const Colour A = Grey(0);
const Colour B = Grey(200);
// Two columns, A then B: every scaled copy shows where its left and right ends went.
const Raster kTwoColumns = FromRows({{A, B}});

TEST(RenderDesktop, FitLeavesBarsOfTheBackgroundColour) {
  const Raster desktop = RenderDesktop(&kTwoColumns, kBg, DesktopStyle::Fit, 4, 4, {});
  EXPECT_EQ(ToRows(desktop), (Rows{{kBg, kBg, kBg, kBg},
                                   {Grey(0), Grey(50), Grey(150), Grey(200)},
                                   {Grey(0), Grey(50), Grey(150), Grey(200)},
                                   {kBg, kBg, kBg, kBg}}));
}

TEST(RenderDesktop, FillCoversTheScreenAndCutsTheOverhangEvenly) {
  // 2 x 1 filling 2 x 2 is 4 x 2 wide, one column cut off at each side.
  EXPECT_EQ(ToRows(RenderDesktop(&kTwoColumns, kBg, DesktopStyle::Fill, 2, 2, {})),
            (Rows{{Grey(50), Grey(150)}, {Grey(50), Grey(150)}}));
  // A wide picture that needs no scaling shows its middle.
  const Raster wide = FromRows({{Grey(1), Grey(2), Grey(3), Grey(4), Grey(5), Grey(6)}});
  EXPECT_EQ(ToRows(RenderDesktop(&wide, kBg, DesktopStyle::Fill, 2, 1, {})),
            (Rows{{Grey(3), Grey(4)}}));
}

TEST(RenderDesktop, CentreKeepsThePicturesPixelsInTheMiddle) {
  const Raster picture = FromRows({{Grey(1), Grey(2)}, {Grey(3), Grey(4)}});
  EXPECT_EQ(ToRows(RenderDesktop(&picture, kBg, DesktopStyle::Centre, 5, 4, {})),
            (Rows{{kBg, kBg, kBg, kBg, kBg},
                  {kBg, Grey(1), Grey(2), kBg, kBg},
                  {kBg, Grey(3), Grey(4), kBg, kBg},
                  {kBg, kBg, kBg, kBg, kBg}}));
  // A screen-sized composition lands exactly on the screen.
  EXPECT_EQ(RenderDesktop(&picture, kBg, DesktopStyle::Centre, 2, 2, {}), picture);
}

TEST(RenderDesktop, TileRepeatsFromTheTopLeftCorner) {
  const Raster picture = FromRows({{Grey(1), Grey(2)}, {Grey(3), Grey(4)}});
  const std::vector<Rect> monitors{{1, 1, 5, 3}};  // tiling ignores the monitors
  EXPECT_EQ(ToRows(RenderDesktop(&picture, kBg, DesktopStyle::Tile, 5, 3, monitors)),
            (Rows{{Grey(1), Grey(2), Grey(1), Grey(2), Grey(1)},
                  {Grey(3), Grey(4), Grey(3), Grey(4), Grey(3)},
                  {Grey(1), Grey(2), Grey(1), Grey(2), Grey(1)}}));
}

TEST(RenderDesktop, StretchFillsEveryMonitorAndSpanCoversThemAll) {
  const std::vector<Rect> monitors{{0, 0, 2, 1}, {2, 0, 4, 1}};
  EXPECT_EQ(ToRows(RenderDesktop(&kTwoColumns, kBg, DesktopStyle::Stretch, 4, 1, monitors)),
            (Rows{{A, B, A, B}}));
  EXPECT_EQ(ToRows(RenderDesktop(&kTwoColumns, kBg, DesktopStyle::Span, 4, 1, monitors)),
            (Rows{{Grey(0), Grey(50), Grey(150), Grey(200)}}));
  // With one monitor span is stretching over the whole screen.
  EXPECT_EQ(RenderDesktop(&kTwoColumns, kBg, DesktopStyle::Span, 3, 2, {}),
            RenderDesktop(&kTwoColumns, kBg, DesktopStyle::Stretch, 3, 2, {}));
}

TEST(RenderDesktop, EachMonitorGetsItsOwnCopyAndUncoveredAreaTheColour) {
  // A 2 x 2 monitor and a 4 x 2 one below-right of it; (2..5, 0..1) belongs to none.
  const std::vector<Rect> monitors{{0, 0, 2, 2}, {2, 2, 6, 4}};
  const Raster picture = FromRows({{Grey(9)}});
  EXPECT_EQ(ToRows(RenderDesktop(&picture, kBg, DesktopStyle::Centre, 6, 4, monitors)),
            (Rows{{Grey(9), kBg, kBg, kBg, kBg, kBg},
                  {kBg, kBg, kBg, kBg, kBg, kBg},
                  {kBg, kBg, kBg, Grey(9), kBg, kBg},
                  {kBg, kBg, kBg, kBg, kBg, kBg}}));
  EXPECT_EQ(ToRows(RenderDesktop(&picture, kBg, DesktopStyle::Fit, 6, 4, monitors)),
            (Rows{{Grey(9), Grey(9), kBg, kBg, kBg, kBg},
                  {Grey(9), Grey(9), kBg, kBg, kBg, kBg},
                  {kBg, kBg, kBg, Grey(9), Grey(9), kBg},
                  {kBg, kBg, kBg, Grey(9), Grey(9), kBg}}));
}

TEST(RenderDesktop, NoPictureShowsTheBackgroundColourAlone) {
  for (const DesktopStyle style : {DesktopStyle::Fill, DesktopStyle::Tile}) {
    EXPECT_EQ(ToRows(RenderDesktop(nullptr, kBg, style, 2, 1, {})), (Rows{{kBg, kBg}}));
    const Raster empty;
    EXPECT_EQ(ToRows(RenderDesktop(&empty, kBg, style, 2, 1, {})), (Rows{{kBg, kBg}}));
  }
}

}  // namespace
}  // namespace tapisto
