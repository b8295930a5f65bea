// Reading the wallpaper picture as the desktop shows it: by its extension, transparency over
// the background colour, and nothing at all for a file the desktop cannot show.
#include "desktop/posix/handover/wallpaper_picture.h"

#include <gtest/gtest.h>

#include "image/bmp.h"
#include "image/jpeg_encode.h"
#include "support/picture_files.h"
#include "support/temp_dir.h"

namespace tapisto::test {
namespace {

const Colour kBg = ComposeRgb(1, 2, 3);

TEST(DesktopPicture, ReadsEachFormatByItsExtension) {
  TempDir dir;
  const Raster picture = PatternRaster(5, 3);
  Raster bmp = picture;
  bmp.SetFormat(PixelFormat::Bit24);
  WriteBmpFile(bmp, dir.File("a.BMP"));
  WriteBytes(dir.File("b.gif"), MakeGif(picture));
  RgbaImage rgba = PatternRgba(5, 3);
  WriteBytes(dir.File("c.Png"), MakePng(rgba));
  for (const char* name : {"a.BMP", "b.gif", "c.Png"}) {
    SCOPED_TRACE(name);
    const std::optional<Raster> read = ReadDesktopPicture(dir.File(name), kBg);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->Width(), 5);
    EXPECT_EQ(read->Height(), 3);
  }
  EXPECT_EQ(ReadDesktopPicture(dir.File("a.BMP"), kBg), picture);
  EXPECT_EQ(ReadDesktopPicture(dir.File("b.gif"), kBg), picture);

  // Every spelling of a JPEG file; a flat colour survives the encoder exactly enough.
  const std::vector<std::uint8_t> jpeg = EncodeJpeg(Raster(16, 8, ComposeRgb(0, 0, 255)), 100);
  for (const char* name : {"d.jpg", "d.JPEG", "d.jpe", "d.jfif"}) {
    SCOPED_TRACE(name);
    WriteBytes(dir.File(name), jpeg);
    const std::optional<Raster> read = ReadDesktopPicture(dir.File(name), kBg);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->Width(), 16);
    EXPECT_NEAR(BlueOf(read->Pixel(8, 4)), 255, 2);
    EXPECT_NEAR(RedOf(read->Pixel(8, 4)), 0, 2);
  }
}

TEST(DesktopPicture, TransparencyShowsTheBackgroundColour) {
  TempDir dir;
  // PNG: opaque, half and fully transparent pixels over the background.
  WriteBytes(dir.File("a.png"),
             MakePng(RgbaImage{3, 1, {{200, 100, 50, 255}, {201, 101, 51, 128}, {9, 9, 9, 0}}}));
  const std::optional<Raster> png = ReadDesktopPicture(dir.File("a.png"), kBg);
  ASSERT_TRUE(png.has_value());
  EXPECT_EQ(png->Pixel(0, 0), ComposeRgb(200, 100, 50));
  // (201 * 128 + 1 * 127) / 255 = 101.4, (101 * 128 + 2 * 127) / 255 = 51.7, (51 * 128 + 3 *
  // 127) / 255 = 27.1.
  EXPECT_EQ(png->Pixel(1, 0), ComposeRgb(101, 52, 27));
  EXPECT_EQ(png->Pixel(2, 0), kBg);

  // GIF: the transparent index shows the background colour, not the file's own background.
  Raster gifPicture(2, 1, ComposeRgb(255, 0, 0));
  gifPicture.SetPixel(1, 0, ComposeRgb(0, 255, 0));
  WriteBytes(dir.File("b.gif"), MakeGif(gifPicture, true, ComposeRgb(0, 255, 0)));
  const std::optional<Raster> gif = ReadDesktopPicture(dir.File("b.gif"), kBg);
  ASSERT_TRUE(gif.has_value());
  EXPECT_EQ(gif->Pixel(0, 0), ComposeRgb(255, 0, 0));
  EXPECT_EQ(gif->Pixel(1, 0), kBg);
}

TEST(DesktopPicture, WhatCannotBeShownGivesNothing) {
  TempDir dir;
  Raster r = PatternRaster(2, 2);
  r.SetFormat(PixelFormat::Bit24);
  const std::vector<std::uint8_t> bmp = EncodeBmp(r);
  WriteBytes(dir.File("bild.tiff"), bmp);  // a readable picture, unknown kind
  WriteBytes(dir.File("bild"), bmp);       // no extension at all
  WriteBytes(dir.File("bild.png"), bmp);   // the wrong reader for its bytes
  WriteBytes(dir.File("kurz.bmp"), {bmp.begin(), bmp.begin() + 20});  // cut off
  for (const std::string& path : {std::string(), dir.File("fehlt.bmp"), dir.File("bild.tiff"),
                                  dir.File("bild"), dir.File("bild.png"), dir.File("kurz.bmp")}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(ReadDesktopPicture(path, kBg), std::nullopt);
  }
}

}  // namespace
}  // namespace tapisto::test
