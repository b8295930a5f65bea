// The duplicate styles: the picture at both screen edges at height Y.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/error.h"
#include "compose/compositions.h"
#include "image/bmp.h"
#include "picture_kinds.h"

namespace tapisto::test {
namespace {

using Routine = void (*)(CompositionContext&, bool, const std::string&);

struct Variant {
  const char* name;
  Routine run;
  bool mirrorOnLeft;
};
constexpr Variant kVariants[] = {
    {"TwoLogosWin10", &TwoLogosWin10, false},
    {"HorizontalDrehenUndSpiegelnWin10", &HorizontalDrehenUndSpiegelnWin10, true}};

Raster ExpectedDuplicate(int screenW, const Raster& picture, int y, bool mirrorRight,
                         bool mirrorLeft) {
  const int w = picture.Width();
  return ExpectedCanvas(screenW, 30, ComposeRig::kBackground,
                        {{&picture, screenW - w, y, mirrorRight}, {&picture, 0, y, mirrorLeft}});
}

TEST(Duplicate, PlacesBothCopiesForEveryKindAndMirrorChoice) {
  for (const Variant& variant : kVariants) {
    for (bool spiegeln : {false, true}) {
      for (Kind kind : kAllKinds) {
        for (int y : {0, -4, 25}) {
          SCOPED_TRACE(std::string(variant.name) + (spiegeln ? " mirrored " : " plain ") +
                       NameOf(kind) + " y=" + std::to_string(y));
          ComposeRig rig;
          const KindPicture picture = MakeKindPicture(rig, kind, 14, 9, "Logo");
          rig.controls.y = y;
          variant.run(rig.ctx, spiegeln, picture.path);
          EXPECT_TRUE(rig.dialogs.messages.empty());
          EXPECT_EQ(rig.state.ComposedFile, rig.Output("2Logo.jpg"));
          const bool mirrorRight = spiegeln && !variant.mirrorOnLeft;
          const bool mirrorLeft = spiegeln && variant.mirrorOnLeft;
          EXPECT_EQ(FirstDifference(rig.LastCanvas(), ExpectedDuplicate(40, picture.expected, y,
                                                                        mirrorRight, mirrorLeft)),
                    "");
        }
      }
    }
  }
}

TEST(Duplicate, AcceptsHalfTheScreenWidthAndRefusesOnePixelMore) {
  for (const Variant& variant : kVariants) {
    for (int screenW : {40, 41}) {
      ComposeRig rig;
      rig.screen.width = screenW;
      const KindPicture fits = MakeKindPicture(rig, Kind::Bmp, screenW / 2, 4, "passt");
      variant.run(rig.ctx, true, fits.path);
      EXPECT_TRUE(rig.dialogs.messages.empty());
      // Even W: the copies touch; odd W: one background column stays between them.
      const Raster& canvas = rig.LastCanvas();
      EXPECT_EQ(canvas.Pixel(screenW / 2, 0) == ComposeRig::kBackground, screenW % 2 == 1);

      const KindPicture wide = MakeKindPicture(rig, Kind::Bmp, screenW / 2 + 1, 4, "breit");
      const std::string before = rig.state.ComposedFile;
      variant.run(rig.ctx, true, wide.path);
      ASSERT_EQ(rig.dialogs.messages.size(), 1u);
      EXPECT_EQ(rig.dialogs.messages[0],
                "Bild zu breit für die aktuelle Auflösung von " + std::to_string(screenW) +
                    " Pixel.\nBildbreite: " + std::to_string(screenW / 2 + 1) + " Pixel.");
      EXPECT_EQ(rig.controls.styleIndex, 0);
      EXPECT_EQ(rig.state.ComposedFile, before);
      EXPECT_EQ(rig.saved.canvases.size(), 1u);
    }
  }
}

TEST(Duplicate, ConvertedModeWritesTheExactCanvasAsBmpWithoutWaiting) {
  for (const Variant& variant : kVariants) {
    ComposeRig rig;
    rig.state.HasConvertedWallpaper = true;
    const KindPicture picture = MakeKindPicture(rig, Kind::Png, 10, 10, "Logo");
    variant.run(rig.ctx, true, picture.path);
    EXPECT_EQ(rig.state.ComposedFile, rig.Output("2Logo.bmp"));
    EXPECT_EQ(FirstDifference(ReadBmpFile(rig.state.ComposedFile), rig.LastCanvas()), "");
    EXPECT_EQ(rig.pump.waitCalls, 0);
  }
}

TEST(Duplicate, ANonZeroXRunsOneNestedApplyAndEndsAtZero) {
  for (const Variant& variant : kVariants) {
    ComposeRig rig;
    const KindPicture picture = MakeKindPicture(rig, Kind::Gif, 6, 6, "Logo");
    int nested = 0;
    // The X field's change handler: apply again with the same style.
    rig.controls.onXChanged = [&] {
      ++nested;
      variant.run(rig.ctx, true, picture.path);
    };
    rig.controls.x = 17;
    variant.run(rig.ctx, true, picture.path);
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(rig.controls.x, 0);
    // The nested run wrote the file, then the outer one wrote it again.
    ASSERT_EQ(rig.saved.canvases.size(), 2u);
    EXPECT_EQ(rig.saved.paths[0], rig.saved.paths[1]);
    EXPECT_EQ(rig.saved.canvases[0], rig.saved.canvases[1]);
    EXPECT_EQ(rig.controls.events, (std::vector<std::string>{"resetX", "resetX"}));
  }
}

TEST(Duplicate, AnExtensionOfNoReaderGivesTheBackgroundAlone) {
  ComposeRig rig;
  const std::string path = rig.Picture("Logo.jpeg", {1, 2, 3});
  TwoLogosWin10(rig.ctx, true, path);
  EXPECT_EQ(rig.LastCanvas(), Raster(40, 30, ComposeRig::kBackground));
  EXPECT_TRUE(rig.dialogs.messages.empty());
}

TEST(Duplicate, AMissingFileLeavesXAlone) {
  ComposeRig rig;
  rig.controls.x = 5;
  TwoLogosWin10(rig.ctx, false, rig.dir.File("fehlt.png"));
  EXPECT_EQ(rig.controls.x, 5);
  EXPECT_TRUE(rig.controls.events.empty());
}

TEST(Duplicate, SaveFailuresNameTheOutputFile) {
  struct Case {
    const Variant* variant;
    const char* prefix;
  };
  const Case cases[] = {{&kVariants[0], "TwoLogosWin10, Fehler beim Speichern von "},
                        {&kVariants[1], "Doppelt Spiegeln:\nSpeichern von "}};
  for (const Case& c : cases) {
    ComposeRig rig;
    const KindPicture picture = MakeKindPicture(rig, Kind::Bmp, 4, 4, "Logo");
    std::filesystem::remove(rig.state.WallpaperFolder);  // the folder has gone
    c.variant->run(rig.ctx, false, picture.path);
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    const std::string& text = rig.dialogs.messages[0];
    EXPECT_EQ(text.rfind(std::string(c.prefix) + rig.Output("2Logo.jpg"), 0), 0u) << text;
    EXPECT_NE(text.find("\n\nFileWriteError : "), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace tapisto::test
