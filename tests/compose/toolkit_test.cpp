#include "compose/toolkit.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/error.h"
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
