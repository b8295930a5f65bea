// "addieren": the picture over the start wallpaper, at the start wallpaper's size.
#include <gtest/gtest.h>

#include <filesystem>

#include "compose/compositions.h"
#include "compose/picture_cache.h"
#include "image/bmp.h"
#include "image/file_io.h"
#include "image/jpeg_decode.h"
#include "image/jpeg_encode.h"
#include "picture_kinds.h"
#include "support/picture_files.h"

namespace tapisto::test {
namespace {

// A base of 30 x 20 (smaller than the 40 x 30 screen), or of another size, as BMP, or as JPEG
// with or without an extension (the system's cache file has none).
struct Base {
  std::string path;
  Raster pixels;
};

Base MakeBase(const ComposeRig& rig, const std::string& name, int w = 30, int h = 20) {
  Raster base(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) base.SetPixel(x, y, ComposeRgb(100 + x, 50 + y, 90 + x * y));
  if (UpperExtensionOf(name) == ".BMP") {
    base.SetFormat(PixelFormat::Bit24);
    return {rig.Picture(name, EncodeBmp(base)), base};
  }
  const auto bytes = EncodeJpeg(base, 95);
  return {rig.Picture(name, bytes), DecodeJpeg(bytes)};
}

TEST(AddedPicture, PlacesEveryKindOverTheBaseAtItsSize) {
  for (const char* baseName : {"start.bmp", "start.jpg", "TranscodedWallpaper"}) {
    for (Kind kind : kAllKinds) {
      for (auto [x, y] : {std::pair{0, 0}, std::pair{25, 15}, std::pair{-5, -3}}) {
        SCOPED_TRACE(std::string(baseName) + " " + NameOf(kind) + " " + std::to_string(x));
        ComposeRig rig;
        const Base base = MakeBase(rig, baseName);
        const KindPicture picture = MakeKindPicture(rig, kind, 8, 6, "Logo");
        rig.controls.x = x;
        rig.controls.y = y;
        AddPictureWin10(rig.ctx, picture.path, base.path);
        EXPECT_TRUE(rig.dialogs.messages.empty());
        EXPECT_EQ(rig.state.ComposedFile, rig.Output("AddLogo.jpg"));
        Raster expected = base.pixels;
        for (int j = 0; j < 6; ++j)
          for (int i = 0; i < 8; ++i)
            if (x + i >= 0 && x + i < 30 && y + j >= 0 && y + j < 20)
              expected.SetPixel(x + i, y + j, picture.expected.Pixel(i, j));
        EXPECT_EQ(FirstDifference(rig.LastCanvas(), expected), "");
      }
    }
  }
}

TEST(AddedPicture, NothingHappensWithoutBothFiles) {
  ComposeRig rig;
  const KindPicture picture = MakeKindPicture(rig, Kind::Bmp, 4, 4);
  rig.state.ComposedFile = "vorher.jpg";
  AddPictureWin10(rig.ctx, picture.path, "");
  AddPictureWin10(rig.ctx, picture.path, rig.dir.File("geloescht.jpg"));
  AddPictureWin10(rig.ctx, rig.dir.File("fehlt.bmp"), picture.path);
  EXPECT_EQ(rig.state.ComposedFile, "vorher.jpg");
  EXPECT_TRUE(rig.dialogs.messages.empty());
  EXPECT_TRUE(std::filesystem::is_empty(rig.state.WallpaperFolder));
}

TEST(AddedPicture, ABaseThatCannotBeReadIsNamedAndGivesAnEmptyFile) {
  ComposeRig rig;
  const KindPicture picture = MakeKindPicture(rig, Kind::Bmp, 4, 4, "Logo");
  const std::string base = rig.Picture("start.png", MakePng(PatternRgba(3, 3)));
  AddPictureWin10(rig.ctx, picture.path, base);
  ASSERT_EQ(rig.dialogs.messages.size(), 1u);
  EXPECT_EQ(rig.dialogs.messages[0].rfind(base + "\n\nImageFormatError : ", 0), 0u)
      << rig.dialogs.messages[0];
  EXPECT_EQ(std::filesystem::file_size(rig.Output("AddLogo.jpg")), 0u);
}

TEST(AddedPicture, ChangingTheOffsetRedrawsOverTheSameBase) {
  // A base tall enough to be written in strips, kept decoded as the program keeps it: the
  // strips the picture leaves alone are kept from one save to the next, and each file is still
  // the canvas encoded afresh.
  ComposeRig rig;
  PictureCache pictures;
  StripCache kept;
  rig.ctx.pictureCache = &pictures;
  rig.ctx.keptStrips = &kept;
  const Base base = MakeBase(rig, "start.bmp", 320, 600);
  const KindPicture picture = MakeKindPicture(rig, Kind::Bmp, 5, 5, "Logo");
  for (auto [x, y] : {std::pair{0, 0}, std::pair{10, 250}, std::pair{10, 590}, std::pair{3, 250},
                      std::pair{-2, -20}}) {
    SCOPED_TRACE(std::to_string(x) + ", " + std::to_string(y));
    rig.controls.x = x;
    rig.controls.y = y;
    AddPictureWin10(rig.ctx, picture.path, base.path);
    Raster expected = base.pixels;
    BitBlt(expected, x, y, 5, 5, picture.expected, 0, 0);
    EXPECT_EQ(FirstDifference(rig.LastCanvas(), expected), "");
    EXPECT_TRUE(ReadWholeFile(rig.state.ComposedFile, 1 << 24) ==
                EncodeJpeg(rig.LastCanvas(), 100));
  }
}

}  // namespace
}  // namespace tapisto::test
