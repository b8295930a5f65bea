// Each composing row of the style table runs its own composition: the file it writes and the
// copies of the picture on the canvas.
#include "compose/run_composition.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "image/bmp.h"
#include "picture_kinds.h"

namespace tapisto::test {
namespace {

TEST(RunComposition, EachComposingStyleBuildsItsPicture) {
  struct Row {
    const char* style;
    const char* output;
    // The copies on the 40 x 30 screen for an 8 x 6 picture at offsets (3, 5): x, mirrored.
    std::vector<std::pair<int, bool>> copies;
  };
  const Row rows[] = {
      {"normal", "0Logo.jpg", {{3, false}}},
      {"spiegeln", "MirrLogo.jpg", {{3, true}}},
      {"duplizieren", "2Logo.jpg", {{32, false}, {0, false}}},
      {"duplizieren und spiegeln", "2Logo.jpg", {{32, true}, {0, false}}},
      {"duplizieren und doppelt spiegeln", "2Logo.jpg", {{32, false}, {0, true}}},
  };
  std::size_t composing = 1;  // "addieren", below
  for (const Row& row : rows) {
    SCOPED_TRACE(row.style);
    const StyleRow* style = FindStyleRow(row.style);
    ASSERT_TRUE(style != nullptr && style->composition);
    ++composing;
    ComposeRig rig;
    const KindPicture picture = MakeKindPicture(rig, Kind::Bmp, 8, 6, "Logo");
    rig.controls.x = 3;
    rig.controls.y = 5;
    RunComposition(*style->composition, rig.ctx, picture.path);
    EXPECT_TRUE(rig.dialogs.messages.empty());
    EXPECT_EQ(rig.state.ComposedFile, rig.Output(row.output));
    std::vector<Placement> placements;
    for (const auto& [x, mirrored] : row.copies)
      placements.push_back({&picture.expected, x, 5, mirrored});
    EXPECT_EQ(FirstDifference(rig.LastCanvas(),
                              ExpectedCanvas(40, 30, ComposeRig::kBackground, placements)),
              "");
  }

  // "addieren" composes over the state's start wallpaper, at its size.
  ComposeRig rig;
  Raster base(30, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) base.SetPixel(x, y, ComposeRgb(100 + x, 50 + y, 90));
  base.SetFormat(PixelFormat::Bit24);
  rig.state.PreviousWallpaper = rig.Picture("start.bmp", EncodeBmp(base));
  const KindPicture picture = MakeKindPicture(rig, Kind::Bmp, 8, 6, "Logo");
  rig.controls.x = 3;
  rig.controls.y = 5;
  RunComposition(*FindStyleRow("addieren")->composition, rig.ctx, picture.path);
  EXPECT_EQ(rig.state.ComposedFile, rig.Output("AddLogo.jpg"));
  EXPECT_EQ(
      FirstDifference(rig.LastCanvas(), ExpectedCanvas(30, 20, ComposeRig::kBackground,
                                                       {{&base, 0, 0}, {&picture.expected, 3, 5}})),
      "");

  const auto inTable = std::ranges::count_if(
      kStyleTable, [](const StyleRow& row) { return row.composition.has_value(); });
  EXPECT_EQ(static_cast<std::size_t>(inTable), composing);
}

}  // namespace
}  // namespace tapisto::test
