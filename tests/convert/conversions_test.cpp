#include "convert/conversions.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/error.h"
#include "base/path.h"
#include "image/bmp.h"
#include "image/jpeg_decode.h"
#include "image/jpeg_encode.h"
#include "support/compose_rig.h"
#include "support/picture_files.h"

namespace tapisto::test {
namespace {

struct ConvertRig : ComposeRig {
  ConvertContext convert{state, files, kNativePathFlavour, &saved};
  LogLines log;
  ConvertRig() { log.SetWindowExists(true); }
};

// A PNG with opaque, half and fully transparent pixels.
RgbaImage MixedAlpha(int w, int h) {
  RgbaImage image = PatternRgba(w, h);
  for (std::size_t i = 0; i < image.pixels.size(); ++i)
    image.pixels[i].a = static_cast<std::uint8_t>(i % 3 == 0 ? 255 : i % 3 == 1 ? 100 : 0);
  return image;
}

TEST(Conversions, PngBecomesJpegOverTheBackgroundNamedAfterTheSource) {
  ConvertRig rig;
  std::filesystem::create_directory(rig.dir.path() / "x.gif");  // a folder name plays no part
  const RgbaImage png = MixedAlpha(9, 5);
  const std::string path = JoinPath(rig.dir.File("x.gif"), "Bild.PNG");
  WriteBytes(path, MakePng(png));
  PNGtoJPEG(rig.convert, rig.log, path);
  EXPECT_EQ(rig.state.ComposedFile, rig.Output("Bild.jpg"));
  EXPECT_EQ(rig.log.Lines(), (std::vector<std::string>{"newFileName: " + rig.Output("Bild.jpg")}));
  EXPECT_EQ(FirstDifference(rig.LastCanvas(), OverBackground(png, ComposeRig::kBackground)), "");
  const Raster written = ReadJpegFile(rig.state.ComposedFile);
  EXPECT_EQ(written.Width(), 9);
  EXPECT_EQ(written.Height(), 5);
}

TEST(Conversions, BmpOutputsHoldThePicturesExactly) {
  ConvertRig rig;
  const RgbaImage png = MixedAlpha(6, 4);
  PNGtoBMP(rig.convert, rig.Picture("a.b.png", MakePng(png)));
  EXPECT_EQ(rig.state.ComposedFile, rig.Output("a.b.bmp"));
  EXPECT_EQ(FirstDifference(ReadBmpFile(rig.state.ComposedFile),
                            OverBackground(png, ComposeRig::kBackground)),
            "");

  const auto jpegBytes = EncodeJpeg(PatternRaster(7, 3), 90);
  JPEGtoBMP(rig.convert, rig.Picture("foto.jpg", jpegBytes));
  EXPECT_EQ(rig.state.ComposedFile, rig.Output("foto.bmp"));
  EXPECT_EQ(FirstDifference(ReadBmpFile(rig.state.ComposedFile), DecodeJpeg(jpegBytes)), "");
  EXPECT_TRUE(rig.log.Lines().empty());  // the BMP routines log nothing
}

TEST(Conversions, AGifsTransparentPixelsTakeItsOwnBackgroundNotTheDesktops) {
  ConvertRig rig;
  const Colour own = ComposeRgb(1, 2, 3);  // entry 0 of the table: the GIF's background
  const Colour clear = ComposeRgb(250, 250, 250);
  Raster picture(4, 2, own);
  picture.SetPixel(1, 0, clear);
  picture.SetPixel(2, 1, ComposeRgb(9, 9, 9));
  const std::string path = rig.Picture("anim.gif", MakeGif(picture, true, clear));

  GIFtoBMP(rig.convert, path);
  Raster expected = picture;
  expected.SetPixel(1, 0, own);
  EXPECT_EQ(FirstDifference(ReadBmpFile(rig.state.ComposedFile), expected), "");

  GIFtoJPEG(rig.convert, rig.log, path);
  EXPECT_EQ(rig.state.ComposedFile, rig.Output("anim.jpg"));
  EXPECT_EQ(FirstDifference(rig.LastCanvas(), expected), "");
  EXPECT_EQ(rig.log.Lines().size(), 1u);
}

TEST(Conversions, AnEmptyColourTextFailsOnlyThePngRoutines) {
  ConvertRig rig;
  rig.state.BackgroundGreen = "";
  const std::string png = rig.Picture("p.png", MakePng(PatternRgba(2, 2)));
  EXPECT_THROW(PNGtoJPEG(rig.convert, rig.log, png), ConversionError);
  EXPECT_THROW(PNGtoBMP(rig.convert, png), ConversionError);
  EXPECT_NO_THROW(
      JPEGtoBMP(rig.convert, rig.Picture("j.jpg", EncodeJpeg(PatternRaster(2, 2), 90))));
  EXPECT_NO_THROW(GIFtoBMP(rig.convert, rig.Picture("g.gif", MakeGif(PatternRaster(2, 2)))));
}

TEST(Conversions, FailuresReachTheCallerAndWriteNothingNew) {
  ConvertRig rig;
  EXPECT_THROW(PNGtoJPEG(rig.convert, rig.log, rig.Picture("kaputt.png", {1, 2, 3})),
               ImageFormatError);
  EXPECT_THROW(GIFtoBMP(rig.convert, rig.dir.File("fehlt.gif")), FileReadError);
  EXPECT_TRUE(std::filesystem::is_empty(rig.state.WallpaperFolder));
  // The output is named before it is written: a folder that has gone fails the write.
  std::filesystem::remove(rig.state.WallpaperFolder);
  EXPECT_THROW(JPEGtoBMP(rig.convert, rig.Picture("j.jpg", EncodeJpeg(PatternRaster(2, 2), 90))),
               FileWriteError);
  EXPECT_EQ(rig.state.ComposedFile, rig.Output("j.bmp"));
  EXPECT_TRUE(rig.log.Lines().empty());
}

TEST(Conversions, NoLogLineWithoutTheLogWindow) {
  ConvertRig rig;
  rig.log.SetWindowExists(false);
  PNGtoJPEG(rig.convert, rig.log, rig.Picture("p.png", MakePng(PatternRgba(2, 2))));
  EXPECT_TRUE(rig.log.Lines().empty());
}

}  // namespace
}  // namespace tapisto::test
