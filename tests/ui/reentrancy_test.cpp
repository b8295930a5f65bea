// Handlers running inside other handlers' message pumps, and the two means that limit it:
// detaching a handler during its own apply, and MouseButtonDown.
#include <gtest/gtest.h>

#include <filesystem>

#include "window_rig.h"

namespace tapisto::test {
namespace {

namespace fs = std::filesystem;

// Started with `bild.bmp` (20 x `height`) in the file field and "normal" selected.
struct Showing {
  WindowRig rig;
  std::string bild;
  explicit Showing(std::vector<std::string> more = {}, int height = 10)
      : bild(rig.Bmp("bild.bmp", 20, height)) {
    more.push_back(RegString("Wallpaper", bild));
    rig.WriteHive(more);
    rig.Start();
  }
  TForm1& form() { return rig.form(); }
};

TEST(Reentrancy, OffsetChangedDuringAStyleChangeAppliesNestedAndTheStyleChangeStillApplies) {
  Showing s;
  std::vector<int> xAtRefresh;
  s.rig.refresh.onRefresh = [&] { xAtRefresh.push_back(s.form().OffsetX()); };
  // The style handler's second pump runs after it has detached itself, before its apply.
  s.rig.AtPump(2, [&] { s.form().SpinEdit1.UserStepUp(); });
  s.form().ComboBox1.UserSelect(8);

  EXPECT_EQ(xAtRefresh, (std::vector<int>{10, 10}));
  EXPECT_EQ(s.rig.Desktop("Wallpaper"), s.rig.Output("Mirrbild.jpg"));
  // Only the style change logs.
  EXPECT_EQ(s.rig.Log(), std::vector<std::string>{"Edit1.Text: " + s.bild});
  EXPECT_TRUE(s.form().ComboBox1.ChangeAttached());
}

TEST(Reentrancy, StyleChosenDuringTheStyleChangesOwnPumpIsAppliedWithoutASecondApply) {
  Showing s;
  s.rig.AtPump(2, [&] { s.form().ComboBox1.UserSelect(3); });
  s.form().ComboBox1.UserSelect(8);
  EXPECT_EQ(s.rig.refresh.count, 1);
  EXPECT_EQ(s.rig.Desktop("WallpaperStyle"), "2");
  EXPECT_EQ(s.rig.Desktop("Wallpaper"), s.bild);
  EXPECT_FALSE(fs::exists(s.rig.Output("Mirrbild.jpg")));
  EXPECT_TRUE(s.form().ComboBox1.ChangeAttached());
}

TEST(Reentrancy, FileFieldChangedDuringItsOwnApplyStartsNoSecondApply) {
  Showing s;
  const std::string eins = s.rig.Bmp("eins.bmp", 20, 10);
  const std::string zwei = s.rig.Bmp("zwei.bmp", 20, 10);
  s.rig.AtPump(2, [&] { s.form().Edit1.UserEdit(zwei); });
  s.form().Edit1.UserEdit(eins);

  EXPECT_EQ(s.rig.refresh.count, 1);
  EXPECT_TRUE(fs::exists(s.rig.Output("0eins.jpg")));
  EXPECT_FALSE(fs::exists(s.rig.Output("0zwei.jpg")));
  // The log line takes the text as it is after the apply.
  EXPECT_EQ(s.rig.Log(), std::vector<std::string>{"Edit1.Text: " + zwei});
  EXPECT_TRUE(s.form().Edit1.ChangeAttached());
}

TEST(Reentrancy, DuplicateStyleWithNonZeroXAppliesOnceMoreNestedAfterResettingX) {
  struct Case {
    const char* originX;
    int expectedApplies;
  };
  for (const Case& c : {Case{"30", 2}, Case{"0", 1}}) {
    SCOPED_TRACE(c.originX);
    Showing s({RegString("WallpaperOriginX", c.originX)});
    s.form().ComboBox1.UserSelect(9);  // "duplizieren"
    EXPECT_EQ(s.rig.refresh.count, c.expectedApplies);
    EXPECT_EQ(s.form().SpinEdit1.Value(), 0);
    EXPECT_FALSE(s.form().SpinEdit1.Enabled());
    EXPECT_TRUE(s.form().SpinEdit2.Enabled());
    EXPECT_EQ(s.rig.Desktop("Wallpaper"), s.rig.Output("2bild.jpg"));
    EXPECT_EQ(s.rig.Log().size(), 1u);
  }
}

TEST(Reentrancy, HoldingASpinArrowAppliesNothingUntilTheReleaseStep) {
  for (bool yField : {false, true}) {
    SCOPED_TRACE(yField ? "Y" : "X");
    Showing s({}, 40);  // both offset ranges start at 0
    SpinEditModel& field = yField ? s.form().SpinEdit2 : s.form().SpinEdit1;
    s.rig.app.Queue(QueuedMessage::LeftButtonDown);
    field.UserPressArrow(SpinArrow::Up);
    s.rig.timers.Elapse(600);  // the repeat steps at 400, 500 and 600 ms
    EXPECT_EQ(field.Value(), 30);
    EXPECT_EQ(s.rig.refresh.count, 0);
    s.rig.app.Queue(QueuedMessage::LeftButtonUp);
    field.UserReleaseArrow(SpinArrow::Up);  // the release step
    EXPECT_EQ(field.Value(), 40);
    EXPECT_EQ(s.rig.refresh.count, 1);
  }
}

TEST(Reentrancy, ButtonReleasedDuringTheOffsetHandlersFirstPumpLetsItApply) {
  Showing s;
  s.rig.app.Queue(QueuedMessage::LeftButtonDown);
  s.rig.AtPump(1, [&] { s.rig.app.Queue(QueuedMessage::LeftButtonUp); });
  s.form().SpinEdit1.UserStepUp();
  EXPECT_EQ(s.rig.refresh.count, 1);
}

}  // namespace
}  // namespace tapisto::test
