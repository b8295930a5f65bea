#include "image/wallpaper_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/error.h"
#include "desktop/native_files.h"
#include "image/file_io.h"
#include "support/held_file.h"
#include "support/picture_files.h"
#include "support/temp_dir.h"

namespace tapisto::test {
namespace {

TEST(BackgroundColour, PacksTheThreeTextsAndRefusesNonNumbers) {
  WallpaperState state;
  state.BackgroundRed = "0";
  state.BackgroundGreen = "128";
  state.BackgroundBlue = "255";
  EXPECT_EQ(BackgroundColourOf(state), 16744448u);
  state.BackgroundRed = "256";  // only the low 8 bits count
  EXPECT_EQ(BackgroundColourOf(state), 16744448u);
  state.BackgroundRed = "";
  EXPECT_THROW(BackgroundColourOf(state), ConversionError);
  state.BackgroundRed = "1";
  state.BackgroundBlue = "blau";
  EXPECT_THROW(BackgroundColourOf(state), ConversionError);
}

TEST(IsFileLocked, FreeMissingAndHeldFiles) {
  TempDir dir;
  NativeFiles files;
  const std::string path = dir.File("out.jpg");
  EXPECT_FALSE(IsFileLocked(files, path));  // no such file
  WriteBytes(path, {1, 2, 3});
  EXPECT_FALSE(IsFileLocked(files, path));

  HeldFile holder(path);
  ASSERT_TRUE(holder.held());
  EXPECT_TRUE(IsFileLocked(files, path));
  holder.Release();
  EXPECT_FALSE(IsFileLocked(files, path));
  // The probe opens the existing file as it is and leaves its bytes alone.
  EXPECT_EQ(ReadWholeFile(path, 10), (std::vector<std::uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace tapisto::test
