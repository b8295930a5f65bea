// The Windows view's arithmetic: the window definitions scaled to a monitor's dots per inch, the
// control identifiers, the file dialog's filter text and which spin arrow a point is on.
#include "ui/win32/view_geometry.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ui/win32/win32_dialogs.h"

namespace tapisto {
namespace {

TEST(ScaleToDpi, RoundsHalfAwayFromZeroAndTakesNoDpiAs96) {
  struct Case {
    int pixels, dpi, expected;
  };
  const Case cases[] = {
      {11, 96, 11},  {11, 120, 14},  // 13.75
      {11, 144, 17},                 // 16.5 rounds up
      {11, 192, 22}, {394, 144, 591}, {-780, 144, -1170}, {-11, 144, -17}, {1, 72, 1},  // 0.75
      {1, 47, 0},                                                                       // 0.49
      {253, 0, 253}, {253, -5, 253},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScaleToDpi(c.pixels, c.dpi), c.expected) << c.pixels << " at " << c.dpi;
  }
}

TEST(ScaledRect, ScalesEachEdgeSoThatTouchingControlsStillTouch) {
  // At 144 dpi: left 5 -> 7.5 -> 8, right 330 -> 495; so the width is 487, not 325 * 1.5.
  const ControlLayout& edit = LayoutOf(kForm1Layout, "Edit1");
  EXPECT_EQ(ScaledRect(edit, 96), (PixelRect{5, 40, 325, 25}));
  EXPECT_EQ(ScaledRect(edit, 144), (PixelRect{8, 60, 487, 38}));
  EXPECT_EQ(ScaledRect(edit, 120), (PixelRect{6, 50, 407, 31}));
  // The link label runs across the whole client area at every scale.
  for (const int dpi : {96, 120, 144, 168, 192}) {
    const PixelRect link = ScaledRect(LayoutOf(kForm1Layout, "StaticText1"), dpi);
    EXPECT_EQ(link.left, 0);
    EXPECT_EQ(link.left + link.width, ScaledClientSize(kForm1Window, dpi).width) << dpi;
  }
}

TEST(ScaledClientSize, GrowsWithTheDpi) {
  EXPECT_EQ(ScaledClientSize(kForm1Window, 96), (PixelSize{394, 253}));
  EXPECT_EQ(ScaledClientSize(kForm1Window, 144), (PixelSize{591, 380}));
  EXPECT_EQ(ScaledClientSize(kForm2Window, 192), (PixelSize{964, 512}));
}

// The name of the row an identifier leads to; "" for none.
template <std::size_t N>
std::string_view NameOfId(const std::array<ControlLayout, N>& layout, int id) {
  const ControlLayout* row = RowOfControlId(layout, id);
  return row != nullptr ? row->name : std::string_view();
}

TEST(ControlIds, AreDistinctFreeOfDialogCommandsAndLeadBackToTheirRows) {
  std::set<int> ids;
  for (const ControlLayout& row : kForm1Layout) {
    const int id = ControlIdOf(kForm1Layout, row.name);
    EXPECT_GE(id, kFirstControlId) << row.name;
    EXPECT_TRUE(ids.insert(id).second) << row.name;
    EXPECT_TRUE(ids.insert(id + kArrowsIdOffset).second) << row.name;
    EXPECT_EQ(NameOfId(kForm1Layout, id), row.name);
    // A spin field's arrows lead to the field.
    EXPECT_EQ(NameOfId(kForm1Layout, id + kArrowsIdOffset), row.name);
  }
  EXPECT_FALSE(ids.contains(1));  // IDOK
  EXPECT_FALSE(ids.contains(2));  // IDCANCEL
  EXPECT_EQ(ControlIdOf(kForm1Layout, "Memo1"), -1);
  for (const int id : {0, 1, 2, 99, kFirstControlId + 14, kFirstControlId + kArrowsIdOffset - 1,
                       kFirstControlId + kArrowsIdOffset + 14}) {
    EXPECT_EQ(RowOfControlId(kForm1Layout, id), nullptr) << id;
  }
  EXPECT_EQ(NameOfId(kForm2Layout, ControlIdOf(kForm2Layout, "Button1")), "Button1");
}

TEST(OpenDialogFilter, TurnsBarsIntoTheNulSeparatedPairsTheDialogTakes) {
  using namespace std::string_literals;
  EXPECT_EQ(OpenDialogFilter("Grafik-Dateien (*.bmp, *.gif, *.jpg, *.png)|*.bmp;*.gif;*.jpg;*.png"),
            L"Grafik-Dateien (*.bmp, *.gif, *.jpg, *.png)\0*.bmp;*.gif;*.jpg;*.png\0\0"s);
  EXPECT_EQ(OpenDialogFilter("Bilder|*.bmp|Alle|*.*"), L"Bilder\0*.bmp\0Alle\0*.*\0\0"s);
  // A description without patterns matches every file; umlauts arrive as UTF-16.
  EXPECT_EQ(OpenDialogFilter("Alle Dateien"), L"Alle Dateien\0*.*\0\0"s);
  EXPECT_EQ(OpenDialogFilter("Bilder für später|"), L"Bilder f\u00fcr sp\u00e4ter\0*.*\0\0"s);
  EXPECT_EQ(OpenDialogFilter(""), L""s);
}

TEST(ArrowAt, SplitsTheControlIntoAnUpperAndALowerHalf) {
  struct Case {
    int x, y;
    SpinArrow expected;
  };
  const Case cases[] = {{0, 0, SpinArrow::Up},     {15, 10, SpinArrow::Up},
                        {15, 11, SpinArrow::Down}, {0, 21, SpinArrow::Down},
                        {16, 5, SpinArrow::None},  {-1, 5, SpinArrow::None},
                        {5, -1, SpinArrow::None},  {5, 22, SpinArrow::None}};
  for (const Case& c : cases) {
    EXPECT_EQ(ArrowAt(16, 22, c.x, c.y), c.expected) << c.x << "," << c.y;
  }
}

}  // namespace
}  // namespace tapisto
