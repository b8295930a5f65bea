#include "desktop/background_colour.h"

#include <gtest/gtest.h>

namespace tapisto {
namespace {

TEST(SplitBackgroundText, SplitsAtTheFirstTwoBlanksAndTrimsOnlyBlue) {
  struct Case {
    const char* text;
    const char* red;
    const char* green;
    const char* blue;
  };
  const Case cases[] = {
      {"58 110 165", "58", "110", "165"},
      {"58 110 165 ", "58", "110", "165"},
      {"0  128 255", "0", "", "128 255"},
      {"255", "", "", "255"},
      {" 1 2", "", "1", "2"},
      {"1 2\t\r\n", "1", "", "2"},  // one blank only: green stays as it was
      {"", "", "", ""},
  };
  for (const Case& c : cases) {
    WallpaperState state;
    SplitBackgroundText(state, c.text);
    EXPECT_EQ(state.BackgroundRed, c.red) << '"' << c.text << '"';
    EXPECT_EQ(state.BackgroundGreen, c.green) << '"' << c.text << '"';
    EXPECT_EQ(state.BackgroundBlue, c.blue) << '"' << c.text << '"';
  }
}

TEST(SplitBackgroundText, AFieldWithoutItsBlankKeepsItsOldValue) {
  WallpaperState state;
  state.BackgroundGreen = "alt";
  SplitBackgroundText(state, "9 7");
  EXPECT_EQ(state.BackgroundRed, "9");
  EXPECT_EQ(state.BackgroundGreen, "alt");
  EXPECT_EQ(state.BackgroundBlue, "7");
  EXPECT_EQ(state.BackgroundText, "7");
}

}  // namespace
}  // namespace tapisto
