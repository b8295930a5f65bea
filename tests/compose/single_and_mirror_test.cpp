// "normal" and "spiegeln": one copy of the picture, plain or mirrored, at the offsets.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/error.h"
#include "compose/compositions.h"
#include "image/file_io.h"
#include "image/jpeg_decode.h"
#include "image/jpeg_encode.h"
#include "picture_kinds.h"
#include "support/held_file.h"
#include "support/jpeg_markers.h"
#include "support/picture_files.h"

namespace tapisto::test {
namespace {

struct Offset {
  int x, y;
};

// Offsets around a 12 x 8 picture on the 40 x 30 screen: zero, negative, exactly touching the
// far edges, one past them, and wholly off the screen.
constexpr Offset kOffsets[] = {{0, 0}, {-3, -2}, {28, 22}, {29, 23}, {5, -8}, {40, 0}, {-12, 3}};

using Routine = void (*)(CompositionContext&, const std::string&);

struct Style {
  const char* name;
  Routine run;
  const char* prefix;
  bool mirrored;
};
constexpr Style kStyles[] = {{"normal", &SinglePictureWin10, "0", false},
                             {"spiegeln", &SpiegelnWin10, "Mirr", true}};

TEST(SingleAndMirror, PlaceEveryKindOfPictureAtEveryOffset) {
  for (const Style& style : kStyles) {
    for (Kind kind : kAllKinds) {
      for (Offset offset : kOffsets) {
        SCOPED_TRACE(std::string(style.name) + " " + NameOf(kind) + " at " +
                     std::to_string(offset.x) + "," + std::to_string(offset.y));
        ComposeRig rig;
        const KindPicture picture = MakeKindPicture(rig, kind, 12, 8);
        rig.controls.x = offset.x;
        rig.controls.y = offset.y;
        style.run(rig.ctx, picture.path);

        EXPECT_TRUE(rig.dialogs.messages.empty());
        EXPECT_EQ(rig.state.ComposedFile, rig.Output(std::string(style.prefix) + "bild.jpg"));
        ASSERT_EQ(rig.saved.canvases.size(), 1u);
        const Raster expected =
            ExpectedCanvas(40, 30, ComposeRig::kBackground,
                           {{&picture.expected, offset.x, offset.y, style.mirrored}});
        EXPECT_EQ(FirstDifference(rig.LastCanvas(), expected), "");
        // The file is a 40 x 30 JPEG.
        const Raster written = ReadJpegFile(rig.state.ComposedFile);
        EXPECT_EQ(written.Width(), 40);
        EXPECT_EQ(written.Height(), 30);
        EXPECT_EQ(rig.controls.events, (std::vector<std::string>{"detach", "attach"}));
      }
    }
  }
}

TEST(SingleAndMirror, KeptPlainStripsGiveTheFileOfAFreshSave) {
  // A screen tall enough to be written in strips; the picture moves down through them, so each
  // save finds other strips plain, some kept from the save before.
  for (const Style& style : kStyles) {
    SCOPED_TRACE(style.name);
    StripCache kept;
    ComposeRig rig;
    rig.screen.width = 320;
    rig.screen.height = 600;
    rig.ctx.keptStrips = &kept;
    const KindPicture picture = MakeKindPicture(rig, Kind::Png, 12, 8);
    for (int y : {0, 250, 590, 250, -20}) {
      SCOPED_TRACE("y " + std::to_string(y));
      rig.controls.x = 7;
      rig.controls.y = y;
      style.run(rig.ctx, picture.path);
      EXPECT_EQ(FirstDifference(rig.LastCanvas(),
                                ExpectedCanvas(320, 600, ComposeRig::kBackground,
                                               {{&picture.expected, 7, y, style.mirrored}})),
                "");
      // The file of the canvas encoded in one piece, as if no strip were plain.
      EXPECT_TRUE(ReadWholeFile(rig.state.ComposedFile, 1 << 24) ==
                  EncodeJpeg(rig.LastCanvas(), 100));
    }
  }
}

TEST(SingleAndMirror, PicturesLargerThanTheScreenAreCutNotScaled) {
  for (const Style& style : kStyles) {
    for (Kind kind : kAllKinds) {
      SCOPED_TRACE(std::string(style.name) + " " + NameOf(kind));
      ComposeRig rig;
      const KindPicture picture = MakeKindPicture(rig, kind, 50, 36);
      rig.controls.x = -4;
      rig.controls.y = 2;
      style.run(rig.ctx, picture.path);
      // A PNG keeps only its first W columns of picture: the rest is background.
      Raster source = picture.expected;
      if (kind == Kind::Png) {
        source.SetFillColour(ComposeRig::kBackground);
        source.SetWidth(40);
        source.SetWidth(50);
      }
      if (kind == Kind::Png && style.mirrored) {
        // The mirror image is taken from a screen-wide raster: the picture's right-hand
        // 40 columns, mirrored; the columns past it keep the background.
        Raster right(40, 36);
        for (int y = 0; y < 36; ++y)
          for (int x = 0; x < 40; ++x) right.SetPixel(x, y, picture.expected.Pixel(x + 10, y));
        const Raster expected =
            ExpectedCanvas(40, 30, ComposeRig::kBackground, {{&right, -4, 2, true}});
        EXPECT_EQ(FirstDifference(rig.LastCanvas(), expected), "");
        continue;
      }
      const Raster expected =
          ExpectedCanvas(40, 30, ComposeRig::kBackground, {{&source, -4, 2, style.mirrored}});
      EXPECT_EQ(FirstDifference(rig.LastCanvas(), expected), "");
    }
  }
}

TEST(SingleAndMirror, OtherExtensionsGiveThePlainBackgroundWithoutAMessage) {
  for (const Style& style : kStyles) {
    for (const char* name : {"bild.jpeg", "bild.tif", "bild", "bild.png.txt"}) {
      ComposeRig rig;
      const std::string path = rig.Picture(name, {1, 2, 3});
      rig.controls.x = 3;
      style.run(rig.ctx, path);
      EXPECT_TRUE(rig.dialogs.messages.empty()) << name;
      EXPECT_FALSE(rig.state.SourceIsBmp || rig.state.SourceIsJpeg || rig.state.SourceIsGif ||
                   rig.state.SourceIsPng);
      EXPECT_EQ(rig.LastCanvas(), Raster(40, 30, ComposeRig::kBackground)) << name;
      EXPECT_EQ(std::filesystem::path(rig.state.ComposedFile).filename().string(),
                std::string(style.prefix) +
                    (std::string(name) == "bild.png.txt" ? "bild.png.jpg" : "bild.jpg"));
    }
  }
}

TEST(SingleAndMirror, TheSavedFileIsABaselineColourJpegOfQuality100) {
  for (const Style& style : kStyles) {
    ComposeRig rig;
    const KindPicture picture = MakeKindPicture(rig, Kind::Png, 10, 10);
    style.run(rig.ctx, picture.path);
    const Bytes jpeg = ReadWholeFile(rig.state.ComposedFile, 1 << 24);
    const std::vector<Segment> frames = SegmentsOf(jpeg, 0xC0);  // SOF0: baseline
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_FALSE(HasMarker(jpeg, 0xC2));    // not progressive
    EXPECT_EQ(frames[0].body.at(5), 3);     // three components: colour
    EXPECT_EQ(frames[0].body.at(7), 0x22);  // luma sampled 2 x 2: 4:2:0
    const auto tables = QuantTables(jpeg);
    ASSERT_EQ(tables.size(), 2u);
    for (const auto& table : tables) {
      EXPECT_EQ(table, std::vector<int>(64, 1));  // quality 100 scales every entry to 1
    }
  }
}

TEST(SingleAndMirror, ExtensionsAreComparedInUpperCase) {
  ComposeRig rig;
  const KindPicture picture = MakeKindPicture(rig, Kind::Png, 4, 4, "Logo");
  const std::string mixed = rig.dir.File("Logo.Png");
  std::filesystem::rename(picture.path, mixed);
  SpiegelnWin10(rig.ctx, mixed);
  EXPECT_TRUE(rig.state.SourceIsPng);
  EXPECT_EQ(rig.state.ComposedFile, rig.Output("MirrLogo.jpg"));
}

TEST(SingleAndMirror, AMissingOrEmptyFileNameDoesNothing) {
  for (const Style& style : kStyles) {
    ComposeRig rig;
    rig.state.ComposedFile = "vorher.jpg";
    rig.state.SourceIsPng = true;
    style.run(rig.ctx, rig.dir.File("fehlt.png"));
    style.run(rig.ctx, "");
    EXPECT_EQ(rig.state.ComposedFile, "vorher.jpg");
    EXPECT_FALSE(rig.state.SourceIsPng);  // the flags are cleared first
    EXPECT_TRUE(rig.saved.canvases.empty());
    EXPECT_TRUE(rig.dialogs.messages.empty());
    EXPECT_TRUE(std::filesystem::is_empty(rig.state.WallpaperFolder));
  }
}

TEST(SingleAndMirror, ABadBackgroundColourReachesTheCallerBeforeAnythingIsLoaded) {
  for (const Style& style : kStyles) {
    ComposeRig rig;
    const KindPicture picture = MakeKindPicture(rig, Kind::Bmp, 4, 4);
    rig.state.BackgroundRed = "";
    EXPECT_THROW(style.run(rig.ctx, picture.path), ConversionError);
    EXPECT_TRUE(std::filesystem::is_empty(rig.state.WallpaperFolder));
    EXPECT_TRUE(rig.controls.events.empty());
  }
}

TEST(SingleAndMirror, ADamagedPictureIsReportedAndTheBackgroundSaved) {
  ComposeRig rig;
  const std::string path = rig.Picture("kaputt.png", {0x89, 'P', 'N', 'G', 1, 2, 3});
  SinglePictureWin10(rig.ctx, path);
  ASSERT_EQ(rig.dialogs.messages.size(), 1u);
  EXPECT_EQ(rig.dialogs.messages[0].rfind("CaseStringOf\n\nImageFormatError : ", 0), 0u)
      << rig.dialogs.messages[0];
  EXPECT_TRUE(rig.state.SourceIsPng);  // set before the read failed
  EXPECT_EQ(rig.LastCanvas(), Raster(40, 30, ComposeRig::kBackground));
}

TEST(Mirror, ADamagedBmpIsReportedTwiceAndNothingIsWritten) {
  ComposeRig rig;
  rig.state.ComposedFile = "vorher.jpg";
  const std::string path = rig.Picture("kaputt.bmp", {'B', 'M', 0, 0});
  SpiegelnWin10(rig.ctx, path);
  ASSERT_EQ(rig.dialogs.messages.size(), 2u);
  EXPECT_EQ(rig.dialogs.messages[0].rfind("CaseStringOf\n\nImageFormatError : ", 0), 0u);
  EXPECT_EQ(rig.dialogs.messages[1].rfind(
                "SpiegelnWin10, Fehler beim Speichern von vorher.jpg\n\nImageFormatError : ", 0),
            0u)
      << rig.dialogs.messages[1];
  EXPECT_TRUE(std::filesystem::is_empty(rig.state.WallpaperFolder));
  EXPECT_EQ(rig.controls.events, (std::vector<std::string>{"attach"}));
}

TEST(Mirror, AnOffsetChangedDuringItsPumpAppliesAgainBeforeTheOuterSave) {
  ComposeRig rig;
  const KindPicture picture = MakeKindPicture(rig, Kind::Bmp, 6, 5);
  rig.controls.x = 1;
  // While the composition runs its messages, the user steps X and the offset handler (still
  // attached) applies the wallpaper again.
  rig.pump.Post([&] {
    EXPECT_TRUE(rig.controls.attached);
    rig.controls.x = 11;
    SpiegelnWin10(rig.ctx, picture.path);
  });
  SpiegelnWin10(rig.ctx, picture.path);
  ASSERT_EQ(rig.saved.canvases.size(), 2u);
  // The nested run saved the new offset first; the outer one then wrote its own canvas.
  EXPECT_EQ(
      FirstDifference(rig.saved.canvases[0], ExpectedCanvas(40, 30, ComposeRig::kBackground,
                                                            {{&picture.expected, 11, 0, true}})),
      "");
  EXPECT_EQ(
      FirstDifference(rig.saved.canvases[1], ExpectedCanvas(40, 30, ComposeRig::kBackground,
                                                            {{&picture.expected, 1, 0, true}})),
      "");
}

TEST(SingleAndMirror, AHeldOutputFileIsWaitedForAndAfterNoTheSaveFailsKeepingTheOldFile) {
  for (const Style& style : kStyles) {
    ComposeRig rig;
    const KindPicture picture = MakeKindPicture(rig, Kind::Bmp, 4, 4);
    const std::string output = rig.Output(std::string(style.prefix) + "bild.jpg");
    WriteBytes(output, {7, 7, 7});
    HeldFile holder(output);
    ASSERT_TRUE(holder.held());
    style.run(rig.ctx, picture.path);
    holder.Release();

    ASSERT_EQ(rig.dialogs.questions.size(), 1u);
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].rfind(
                  std::string(style.name == std::string("normal") ? "SinglePictureWin10"
                                                                  : "SpiegelnWin10") +
                      ", Fehler beim Speichern von " + output + "\n\nFileWriteError : ",
                  0),
              0u)
        << rig.dialogs.messages[0];
    EXPECT_EQ(ReadWholeFile(output, 100), (std::vector<std::uint8_t>{7, 7, 7}));
    EXPECT_TRUE(rig.controls.attached);
  }
}

}  // namespace
}  // namespace tapisto::test
