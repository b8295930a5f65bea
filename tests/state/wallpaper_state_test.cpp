#include "state/wallpaper_state.h"

#include <gtest/gtest.h>

namespace tapisto {
namespace {

WallpaperState Filled() {
  WallpaperState s;
  s.OpenedFileName = "open";
  s.TempFolder = "temp\\";
  s.CurrentWallpaper = "cur";
  s.PreviousWallpaper = "prev";
  s.TileWallpaper = 1;
  s.WallpaperStyle = 22;
  s.OriginX = 5;
  s.OriginY = 6;
  s.LockWaitMs = 70;
  s.HasConvertedWallpaper = true;
  s.BackgroundText = "3";
  s.BackgroundRed = "1";
  s.BackgroundGreen = "2";
  s.BackgroundBlue = "3";
  s.ComposedFile = "out.jpg";
  s.WallpaperFolder = "folder";
  s.SourceIsBmp = s.SourceIsJpeg = s.SourceIsGif = s.SourceIsPng = true;
  s.MouseButtonDown = true;
  s.TranscodedImageCache[0] = 9;
  s.TranscodedMode = true;
  s.TranscodedImageCacheSize = 12;
  s.ThemesFolder = "themes";
  return s;
}

TEST(WallpaperState, StartsEmptyZeroAndFalse) {
  const WallpaperState s;
  EXPECT_TRUE(s.OpenedFileName.empty() && s.ComposedFile.empty() && s.ThemesFolder.empty());
  EXPECT_EQ(s.TileWallpaper, 0);
  EXPECT_EQ(s.TranscodedImageCacheSize, 0);
  EXPECT_FALSE(s.MouseButtonDown || s.TranscodedMode || s.HasConvertedWallpaper);
  EXPECT_EQ(s.TranscodedImageCache.size(), 800u);
  for (auto b : s.TranscodedImageCache) EXPECT_EQ(b, 0);
}

TEST(WallpaperState, StartUpResetClearsItsFieldsAndKeepsTheRest) {
  WallpaperState s = Filled();
  ResetForStartUp(s);
  EXPECT_FALSE(s.TranscodedMode);
  EXPECT_TRUE(s.ThemesFolder.empty() && s.TempFolder.empty());
  EXPECT_FALSE(s.SourceIsBmp || s.SourceIsJpeg || s.SourceIsGif || s.SourceIsPng);
  EXPECT_EQ(s.OriginX, 0);
  EXPECT_EQ(s.OriginY, 0);
  EXPECT_FALSE(s.HasConvertedWallpaper);
  EXPECT_TRUE(s.BackgroundText.empty() && s.BackgroundRed.empty() &&
              s.BackgroundGreen.empty() && s.BackgroundBlue.empty() && s.ComposedFile.empty());
  EXPECT_TRUE(s.CurrentWallpaper.empty() && s.PreviousWallpaper.empty());
  // Not part of the reset: start-up fills or overwrites these itself.
  EXPECT_EQ(s.OpenedFileName, "open");
  EXPECT_EQ(s.WallpaperFolder, "folder");
  EXPECT_EQ(s.TileWallpaper, 1);
  EXPECT_EQ(s.WallpaperStyle, 22);
  EXPECT_EQ(s.LockWaitMs, 70);
  EXPECT_TRUE(s.MouseButtonDown);
  EXPECT_EQ(s.TranscodedImageCacheSize, 12);
  EXPECT_EQ(s.TranscodedImageCache[0], 9);
}

TEST(WallpaperState, ReleaseEmptiesEveryTextAndNothingElse) {
  WallpaperState s = Filled();
  ReleaseTexts(s);
  for (const std::string* t :
       {&s.OpenedFileName, &s.TempFolder, &s.CurrentWallpaper, &s.PreviousWallpaper,
        &s.BackgroundText, &s.BackgroundRed, &s.BackgroundGreen, &s.BackgroundBlue,
        &s.ComposedFile, &s.WallpaperFolder, &s.ThemesFolder}) {
    EXPECT_TRUE(t->empty());
  }
  EXPECT_EQ(s.WallpaperStyle, 22);
  EXPECT_TRUE(s.TranscodedMode);
}

}  // namespace
}  // namespace tapisto
