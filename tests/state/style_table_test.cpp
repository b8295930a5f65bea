// The style table's look-ups: by the list's text, by the desktop style, and by the stored
// "TileWallpaper" and "WallpaperStyle" values.
#include "state/style_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

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

TEST(StyleTable, EachDesktopStyleHasOneRowWithoutComposition) {
  struct Row {
    DesktopStyle style;
    const char* text;
  };
  for (const Row row :
       {Row{DesktopStyle::Centre, "zentriert"}, Row{DesktopStyle::Tile, "nebeneinander"},
        Row{DesktopStyle::Stretch, "dehnen"}, Row{DesktopStyle::Fit, "anpassen"},
        Row{DesktopStyle::Fill, "ausfüllen"}, Row{DesktopStyle::Span, "strecken"}}) {
    const StyleRow* found = RowOfDesktopStyle(row.style);
    ASSERT_NE(found, nullptr) << row.text;
    EXPECT_EQ(found->text, row.text);
  }
  const auto desktopRows = std::ranges::count_if(
      kStyleTable, [](const StyleRow& row) { return !row.composition.has_value(); });
  EXPECT_EQ(static_cast<std::size_t>(desktopRows), kDesktopStyleCount);
}

TEST(StyleTable, StoredValuesFindTheRowTheDesktopPlacesItself) {
  struct Row {
    int tile;
    int code;
    const char* text;  // "" for no row
  };
  for (const Row row : {
           Row{0, 10, "ausfüllen"},
           Row{1, 10, "ausfüllen"},  // tiling counts only with code 0
           Row{0, 6, "anpassen"},
           Row{0, 2, "dehnen"},
           Row{5, 22, "strecken"},
           Row{0, 0, "zentriert"},  // not "normal": the compositions are never found
           Row{1, 0, "nebeneinander"},
           Row{2, 0, ""},
           Row{-1, 0, ""},
           Row{0, 7, ""},
           Row{1, 1, ""},
       }) {
    SCOPED_TRACE(std::to_string(row.tile) + "/" + std::to_string(row.code));
    const StyleRow* found = RowOfStoredValues(row.tile, row.code);
    EXPECT_EQ(found == nullptr ? "" : found->text, row.text);
  }
  // Every row's values are placed the way the row says, a composition's centred.
  for (const StyleRow& row : kStyleTable) {
    SCOPED_TRACE(row.text);
    const StyleRow* found = RowOfStoredValues(row.tileWallpaper, row.wallpaperStyle);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->desktopStyle, row.desktopStyle);
    if (row.composition) {
      EXPECT_EQ(row.desktopStyle, DesktopStyle::Centre);
    }
  }
}

}  // namespace
}  // namespace tapisto
