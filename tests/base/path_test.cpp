#include "base/path.h"

#include <gtest/gtest.h>

namespace tapisto {
namespace {

constexpr auto kWin = PathFlavour::Windows;
constexpr auto kPosix = PathFlavour::Posix;

TEST(FileNamePart, WindowsCutsAtBackslashOrColonPosixOnlyAtSlash) {
  EXPECT_EQ(FileNamePart("C:\\Bilder\\Sonne.png", kWin), "Sonne.png");
  EXPECT_EQ(FileNamePart("C:Sonne.png", kWin), "Sonne.png");
  EXPECT_EQ(FileNamePart("a/b\\c", kWin), "c");
  EXPECT_EQ(FileNamePart("/home/u/a:b.png", kPosix), "a:b.png");
  EXPECT_EQ(FileNamePart("/home/u\\x/c.png", kPosix), "c.png");
  EXPECT_EQ(FileNamePart("nur.png", kPosix), "nur.png");
}

TEST(OutputFileName, PrefixesTheNameAndReplacesTheExtension) {
  EXPECT_EQ(
      OutputFileName("C:\\Docs\\Meine Wallpapers", "0", "C:\\Bilder\\Sonne.png", ".jpg", kWin),
      "C:\\Docs\\Meine Wallpapers\\0Sonne.jpg");
  EXPECT_EQ(OutputFileName("/d", "Mirr", "/x/a.b.png", ".jpg", kPosix), "/d/Mirra.b.jpg");
  EXPECT_EQ(OutputFileName("/d", "2", "/x/ohne", ".bmp", kPosix), "/d/2ohne.bmp");
  EXPECT_EQ(OutputFileName("/d.x", "", "/x.y/ohne", ".jpg", kPosix), "/d.x/ohne.jpg");
  EXPECT_EQ(OutputFileName("/d", "Add", "/x/Bild.PNG", ".jpg", kPosix), "/d/AddBild.jpg");
}

TEST(UpperExtensionOf, LooksOnlyAtTheFileNamePart) {
  EXPECT_EQ(UpperExtensionOf("/a.dir/Logo.Png", kPosix), ".PNG");
  EXPECT_EQ(UpperExtensionOf("/a.dir/TranscodedWallpaper", kPosix), "");
  EXPECT_EQ(UpperExtensionOf("C:\\a.dir\\datei", kWin), "");
}

}  // namespace
}  // namespace tapisto
