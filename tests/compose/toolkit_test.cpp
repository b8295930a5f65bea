#include "compose/toolkit.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "base/error.h"
#include "picture_kinds.h"
#include "support/compose_rig.h"
#include "support/held_file.h"
#include "support/picture_files.h"

namespace tapisto::test {
namespace {

TEST(CaseStringOf, FindsTheHighestEqualEntryCaseSensitively) {
  EXPECT_EQ(CaseStringOf(".JPG", kExtensionList), 1);
  EXPECT_EQ(CaseStringOf(".PNG", kExtensionList), 3);
  EXPECT_EQ(CaseStringOf(".jpg", kExtensionList), -1);
  EXPECT_EQ(CaseStringOf(".JPEG", kExtensionList), -1);
  EXPECT_EQ(CaseStringOf("", kExtensionList), -1);
  const std::string_view twice[] = {"a", "b", "a"};
  EXPECT_EQ(CaseStringOf("a", twice), 2);
  EXPECT_EQ(CaseStringOf("a", std::span<const std::string_view>{}), -1);
}

TEST(FlipReverseCopyRect, MirrorsEitherWayAndUndoesItself) {
  WallpaperState state;
  Raster abc = PatternRaster(3, 1);
  abc.SetFormat(PixelFormat::Bit8);
  const Raster reversed = FlipReverseCopyRect(false, true, abc, state);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(reversed.Pixel(x, 0), abc.Pixel(2 - x, 0));
  EXPECT_EQ(reversed.Format(), PixelFormat::Bit8);

  const Raster column = PatternRaster(1, 3);
  const Raster flipped = FlipReverseCopyRect(true, false, column, state);
  EXPECT_EQ(flipped.Pixel(0, 0), column.Pixel(0, 2));
  EXPECT_EQ(flipped.Pixel(0, 1), column.Pixel(0, 1));
  EXPECT_EQ(flipped.Pixel(0, 2), column.Pixel(0, 0));

  const Raster picture = PatternRaster(5, 4);
  EXPECT_EQ(FlipReverseCopyRect(false, false, picture, state), picture);
  for (bool flip : {false, true}) {
    for (bool reverse : {false, true}) {
      const Raster once = FlipReverseCopyRect(flip, reverse, picture, state);
      EXPECT_EQ(FlipReverseCopyRect(flip, reverse, once, state), picture);
    }
  }
  // With a GIF source the copy keeps the screen's own format.
  state.SourceIsGif = true;
  EXPECT_EQ(FlipReverseCopyRect(false, true, abc, state).Format(), PixelFormat::Device);
}

TEST(CoveredBySource, IsExactlyWhatDrawingTheSourceOverwrites) {
  const int offsets[][2] = {{0, 0},   {-3, -2}, {28, 22},           {35, 25},          {-12, 3},
                            {40, 30}, {5, -8},  {INT_MIN, INT_MAX}, {INT_MAX, INT_MIN}};
  for (Kind kind : kAllKinds) {
    ComposeRig rig;
    const KindPicture file = MakeKindPicture(rig, kind, 12, 8);
    LoadedPicture picture;
    LoadBlock(rig.ctx, file.path, ComposeRig::kBackground, picture);
    PrepareSource(rig.ctx, ComposeRig::kBackground, picture, true);
    // Only a PNG no wider than the screen is drawn over the canvas rather than copied.
    EXPECT_EQ(picture.DrawnDirectly(), kind == Kind::Png) << NameOf(kind);
    for (const auto& [x, y] : offsets) {
      SCOPED_TRACE(std::string(NameOf(kind)) + " at " + std::to_string(x) + "," +
                   std::to_string(y));
      // Drawn onto two canvases of different colours: the pixels that come out equal are the
      // ones drawing overwrote whole.
      Canvas canvasA(40, 30, ComposeRgb(1, 2, 3));
      Canvas canvasB(40, 30, ComposeRgb(200, 100, 50));
      canvasA.Add(PlaceSource(picture, x, y, false));
      canvasB.Add(PlaceSource(picture, x, y, false));
      const Raster& a = canvasA.Painted();
      const Raster& b = canvasB.Painted();
      const Rect covered = CoveredBySource(picture, x, y);
      int mismatches = 0;
      for (int py = 0; py < 30; ++py) {
        for (int px = 0; px < 40; ++px) {
          const bool inside =
              px >= covered.left && px < covered.right && py >= covered.top && py < covered.bottom;
          const bool overwritten = a.Pixel(px, py) == b.Pixel(px, py);
          // A PNG's opaque pixels overwrite too, but it is drawn over the canvas: no part of
          // the canvas may go unpainted for it.
          if (kind == Kind::Png ? inside : inside != overwritten) ++mismatches;
        }
      }
      EXPECT_EQ(mismatches, 0);
    }
  }
}

TEST(NewScreenCanvas, PaintsAllButTheCoveredPartAndKeepsTheLimitMessage) {
  ComposeRig rig;
  const Rect holes[] = {{5, 4, 20, 10}, {-5, -5, 3, 50}, {30, 20, 90, 90}, {10, 10, 10, 20},
                        {12, 3, 4, 9},  {0, 0, 40, 30},  {40, 0, 50, 30}};
  int round = 0;
  for (const Rect& hole : holes) {
    // A colour of its own each round, so that a pixel left over from an earlier canvas in the
    // same memory cannot pass for a painted one.
    const Colour fill = ComposeRgb(18, 52, 86 + ++round);
    SCOPED_TRACE(std::to_string(hole.left) + "," + std::to_string(hole.top) + "," +
                 std::to_string(hole.right) + "," + std::to_string(hole.bottom));
    Canvas screen = NewScreenCanvas(rig.ctx, fill, hole);
    const Raster& canvas = screen.Painted();
    ASSERT_EQ(canvas.Width(), 40);
    ASSERT_EQ(canvas.Height(), 30);
    EXPECT_EQ(canvas.FillColour(), fill);
    int unpainted = 0;
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 40; ++x) {
        const bool inside = x >= hole.left && x < hole.right && y >= hole.top && y < hole.bottom;
        if (!inside && canvas.Pixel(x, y) != fill) ++unpainted;
      }
    }
    EXPECT_EQ(unpainted, 0);
  }
  rig.screen.width = 40000;
  try {
    NewScreenCanvas(rig.ctx, kWhite, {0, 0, 10, 10});
    FAIL() << "a canvas over the limits was made";
  } catch (const RasterError& e) {
    EXPECT_NE(std::string(e.what()).find("raster size 40000 x 30 exceeds"), std::string::npos)
        << e.what();
  }
}

TEST(WaitMilliseconds, ReturnsOnceMoreThanTheTimeHasPassedRunningMessages) {
  FakeClock clock;
  ScriptedPump pump(clock, 1);
  int ran = 0;
  pump.Post([&] { ++ran; });
  clock.now = 100;
  WaitMilliseconds(10, clock, pump);
  EXPECT_EQ(clock.now, 111u);  // elapsed must exceed 10
  EXPECT_EQ(ran, 1);
  EXPECT_GE(pump.processCalls, 1);

  // Across the wrap of the 32-bit tick counter.
  clock.now = 0xFFFFFFF0u;
  WaitMilliseconds(40, clock, pump);
  EXPECT_EQ(clock.now, 0xFFFFFFF0u + 41u);
}

TEST(BusyFileWait, AsksFirstAfter250PassesThenEvery150) {
  ComposeRig rig;
  rig.state.ComposedFile = rig.Output("0bild.jpg");
  WriteBytes(rig.state.ComposedFile, {1});
  HeldFile held(rig.state.ComposedFile);
  ASSERT_TRUE(held.held());
  std::vector<int> waitedAtQuestion;
  std::vector<int> passesAtQuestion;
  rig.dialogs.onQuestion = [&] {
    waitedAtQuestion.push_back(rig.state.LockWaitMs);
    passesAtQuestion.push_back(rig.pump.waitCalls);
  };
  rig.dialogs.answers = {true, true, false};
  BusyFileWait(rig.ctx, "X, Vorgang fehlgeschlagen.\n\n");

  ASSERT_EQ(rig.dialogs.questions.size(), 3u);
  EXPECT_EQ(rig.dialogs.questions[0],
            "Die Datei " + rig.state.ComposedFile + " ist in Benutzung. Warten?");
  EXPECT_EQ(waitedAtQuestion, (std::vector<int>{2500, 2500, 2500}));
  // One wait on the queue per pass with a 16 ms tick step: passes are counted, not timed.
  EXPECT_EQ(passesAtQuestion, (std::vector<int>{250, 400, 550}));
  EXPECT_TRUE(rig.dialogs.messages.empty());
}

TEST(BusyFileWait, EndsAtOnceForAFreeOrMissingFileAndWhenTheHolderLetsGo) {
  ComposeRig rig;
  rig.state.ComposedFile = rig.Output("neu.jpg");
  BusyFileWait(rig.ctx, "X");
  EXPECT_EQ(rig.pump.waitCalls, 0);
  EXPECT_EQ(rig.state.LockWaitMs, 0);

  WriteBytes(rig.state.ComposedFile, {1});
  HeldFile held(rig.state.ComposedFile);
  ASSERT_TRUE(held.held());
  // The other program closes the file while we run our messages on the 30th pass.
  int passes = 0;
  std::function<void()> tick = [&] {
    if (++passes == 30) {
      held.Release();
    } else {
      rig.pump.Post(tick);
    }
  };
  rig.pump.Post(tick);
  BusyFileWait(rig.ctx, "X");
  EXPECT_TRUE(rig.dialogs.questions.empty());
  EXPECT_EQ(rig.state.LockWaitMs, 300);
}

}  // namespace
}  // namespace tapisto::test
