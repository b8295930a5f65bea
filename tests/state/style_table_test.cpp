// The style table's look-ups by the list's text and by the desktop style. The look-up by
// stored values is checked where it is used: the hand-over's DesktopStyleFromValues and
// start-up's selection of the style entry.
#include "state/style_table.h"

#include <gtest/gtest.h>

namespace tapisto {

namespace {

TEST(StyleTable, EachTextFindsItsOwnRowAndNothingElseFindsOne) {
  for (const StyleRow& row : kStyleTable) {
    EXPECT_EQ(FindStyleRow(row.text), &row) << row.text;
  }
  for (const char* text : {"", "Normal", "normal ", "duplizieren und", "ausfuellen"}) {
    EXPECT_EQ(FindStyleRow(text), nullptr) << text;
  }
}

TEST(StyleTable, EachRowIsPlacedAsItsValuesAskAndEachDesktopStyleHasOneOwnRow) {
  std::size_t desktopRows = 0;
  for (const StyleRow& row : kStyleTable) {
    SCOPED_TRACE(row.text);
    // A composition is shown centred, as the "zentriert" row's values ask.
    const StyleRow* placing = RowOfStoredValues(row.tileWallpaper, row.wallpaperStyle);
    ASSERT_NE(placing, nullptr);
    EXPECT_FALSE(placing->composition.has_value());
    EXPECT_EQ(placing->desktopStyle, row.desktopStyle);
    if (!row.composition) {
      ++desktopRows;
      EXPECT_EQ(RowOfDesktopStyle(row.desktopStyle), &row);
    }
  }
  EXPECT_EQ(desktopRows, kDesktopStyleCount);
}

}  // namespace
}  // namespace tapisto
