// The control models fire and clamp exactly as the handlers of the main window rely on.
#include "ui/controls.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "window_rig.h"

namespace tapisto {
namespace {

using test::FakeClock;

// Counts the change handler's runs and records the text each run saw.
template <typename Control>
struct Watched {
  Control control;
  std::vector<std::string> seen;
  Watched() {
    control.AttachChange([this] { seen.push_back(control.Text()); });
  }
};

TEST(SpinEditModel, ClampsSetAndSteppedValuesOnlyWhenTheBoundsDiffer) {
  struct Case {
    int min, max, set, expected;
  };
  const Case cases[] = {
      {0, 0, 5000, 5000},       {0, 0, -5000, -5000},  // 0 and 0: no bounds
      {7, 7, 5000, 5000},                              // equal bounds: no bounds either
      {-780, 1900, 5000, 1900}, {-780, 1900, -5000, -780},
      {-780, 1900, 12, 12},     {15, 1900, 0, 15},  // a lower bound above 0 lifts a reset to 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.min) + ".." + std::to_string(c.max) + " set " +
                 std::to_string(c.set));
    SpinEditModel spin;
    spin.SetBounds(c.min, c.max);
    spin.SetValue(c.set);
    EXPECT_EQ(spin.Value(), c.expected);
    EXPECT_EQ(spin.Text(), std::to_string(c.expected));
  }
}

TEST(SpinEditModel, ArrowsStepByTenAndStopAtTheBounds) {
  SpinEditModel spin;
  spin.SetBounds(-25, 25);
  spin.UserStepUp();
  spin.UserStepUp();
  EXPECT_EQ(spin.Value(), 20);
  spin.UserStepUp();
  EXPECT_EQ(spin.Value(), 25);
  for (int i = 0; i < 6; ++i) spin.UserStepDown();
  EXPECT_EQ(spin.Value(), -25);

  SpinEditModel unbounded;
  unbounded.SetValue(INT_MAX - 3);
  unbounded.UserStepUp();
  EXPECT_EQ(unbounded.Value(), INT_MAX);
}

TEST(SpinEditModel, ChangingTheBoundsClampsNothingAlreadyShown) {
  Watched<SpinEditModel> w;
  w.control.SetValue(500);
  w.control.SetBounds(-10, 10);
  EXPECT_EQ(w.control.Text(), "500");
  EXPECT_EQ(w.seen, (std::vector<std::string>{"500"}));
}

TEST(SpinEditModel, TypedValueOutsideTheBoundsIsClampedWhenTheFieldLosesFocus) {
  Watched<SpinEditModel> w;
  w.control.SetBounds(-100, 100);
  w.control.UserEdit("3");
  w.control.UserEdit("30");
  w.control.UserEdit("300");
  EXPECT_EQ(w.control.Text(), "300");
  w.control.UserLeaveField();
  EXPECT_EQ(w.control.Text(), "100");
  // Every keystroke and the clamp are changes; leaving a field in range changes nothing.
  EXPECT_EQ(w.seen, (std::vector<std::string>{"3", "30", "300", "100"}));
  w.control.UserLeaveField();
  EXPECT_EQ(w.seen.size(), 4u);
}

TEST(SpinEditModel, TextThatIsNoWholeNumberReadsAsTheLowerBound) {
  for (const char* text : {"", "-", "+", "1.5", "12a", "99999999999"}) {
    SCOPED_TRACE(text);
    SpinEditModel spin;
    spin.SetBounds(-780, 1900);
    spin.UserEdit(text);
    EXPECT_EQ(spin.Text(), text);
    EXPECT_EQ(spin.Value(), -780);
  }
  SpinEditModel spin;
  spin.SetBounds(-780, 1900);
  spin.UserEdit("-12");
  EXPECT_EQ(spin.Value(), -12);
  spin.UserEdit("+12");
  EXPECT_EQ(spin.Value(), 12);
}

TEST(SpinEditModel, SettingTheTextItHoldsIsNoChange) {
  Watched<SpinEditModel> w;
  w.control.SetValue(0);  // the field starts at "0"
  w.control.UserEdit("0");
  EXPECT_TRUE(w.seen.empty());
  w.control.SetValue(40);
  w.control.SetValue(40);
  w.control.UserEdit("40");
  EXPECT_EQ(w.seen, (std::vector<std::string>{"40"}));
}

TEST(SpinEditModel, DetachedFieldChangesSilently) {
  Watched<SpinEditModel> w;
  w.control.DetachChange();
  EXPECT_FALSE(w.control.ChangeAttached());
  w.control.SetValue(30);
  EXPECT_TRUE(w.seen.empty());
  EXPECT_EQ(w.control.Value(), 30);
}

TEST(SpinEditModel, TypingTakesDigitsSignsAndTheLocalesDecimalSeparatorOnly) {
  struct Case {
    char32_t c;
    char32_t separator;
    bool typeable;
  };
  const Case cases[] = {
      {U'0', U'.', true},  {U'9', U'.', true},  {U'+', U'.', true},       {U'-', U'.', true},
      {U'.', U'.', true},  {U',', U',', true},  {U',', U'.', false},      {U'.', U',', false},
      {U'x', U'.', false}, {U'a', U'.', false}, {U' ', U'.', false},      {U'e', U'.', false},
      {U'/', U'.', false}, {U':', U'.', false}, {U'\u0663', U'.', false},  // an Arabic-Indic 3
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SpinEditModel::Typeable(c.c, c.separator), c.typeable)
        << static_cast<unsigned>(c.c) << " with separator " << static_cast<char>(c.separator);
  }
}

// The pointer on a spin field's arrows, step by step, and the time the test lets pass.
struct ArrowEvent {
  enum Kind { Press, Move, Release, Cancel, Elapse } kind;
  SpinArrow arrow = SpinArrow::None;
  std::uint32_t ms = 0;
};

TEST(SpinEditModel, ArrowsStepOnReleaseAndRepeatWhileHeldOverThePressedArrow) {
  using E = ArrowEvent;
  constexpr SpinArrow kUp = SpinArrow::Up;
  constexpr SpinArrow kDown = SpinArrow::Down;
  constexpr SpinArrow kNone = SpinArrow::None;
  struct Case {
    const char* name;
    std::vector<ArrowEvent> events;
    std::vector<std::string> steps;  // the texts the change handler saw, "@" the time
  };
  const Case cases[] = {
      {"click up", {{E::Press, kUp}, {E::Release, kUp}}, {"10@0"}},
      {"click down", {{E::Press, kDown}, {E::Release, kDown}}, {"-10@0"}},
      {"slid to the other arrow", {{E::Press, kUp}, {E::Release, kDown}}, {}},
      {"released outside", {{E::Press, kDown}, {E::Release, kNone}}, {}},
      {"pressed outside", {{E::Press, kNone}, {E::Elapse, kNone, 1000}, {E::Release, kUp}}, {}},
      {"a second release", {{E::Press, kUp}, {E::Release, kUp}, {E::Release, kUp}}, {"10@0"}},
      {"held: after 400 ms, then every 100 ms, and once more on the release",
       {{E::Press, kUp},
        {E::Elapse, kNone, 399},
        {E::Elapse, kNone, 1},
        {E::Elapse, kNone, 250},
        {E::Release, kUp},
        {E::Elapse, kNone, 1000}},
       {"10@400", "20@500", "30@600", "40@650"}},
      {"held off the pressed arrow: the repeats pause",
       {{E::Press, kDown},
        {E::Elapse, kNone, 400},
        {E::Move, kUp},
        {E::Elapse, kNone, 200},
        {E::Move, kNone},
        {E::Move, kDown},
        {E::Elapse, kNone, 100},
        {E::Release, kDown}},
       {"-10@400", "-20@700", "-30@700"}},
      {"a lost capture ends the press without a step",
       {{E::Press, kUp}, {E::Cancel}, {E::Elapse, kNone, 1000}, {E::Release, kUp}},
       {}},
      {"moves without a press", {{E::Move, kUp}, {E::Elapse, kNone, 1000}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeClock clock;
    test::FakeTimers timers(clock);
    SpinEditModel spin(timers);
    std::vector<std::string> steps;
    spin.AttachChange([&] { steps.push_back(spin.Text() + "@" + std::to_string(clock.now)); });
    for (const ArrowEvent& e : c.events) {
      if (e.kind == E::Press) spin.UserPressArrow(e.arrow);
      if (e.kind == E::Move) spin.UserMoveOverArrow(e.arrow);
      if (e.kind == E::Release) spin.UserReleaseArrow(e.arrow);
      if (e.kind == E::Cancel) spin.UserCancelArrow();
      if (e.kind == E::Elapse) timers.Elapse(e.ms);
    }
    EXPECT_EQ(steps, c.steps);
    EXPECT_EQ(spin.PressedArrow(), SpinArrow::None);
  }
}

TEST(SpinEditModel, ViewDrawsThePressedArrowWhileThePointerIsOverIt) {
  SpinEditModel spin;
  int redraws = 0;
  spin.viewChanged = [&] { ++redraws; };
  spin.UserPressArrow(SpinArrow::Down);
  EXPECT_EQ(spin.PressedArrow(), SpinArrow::Down);
  EXPECT_TRUE(spin.OverPressedArrow());
  spin.UserMoveOverArrow(SpinArrow::Up);
  EXPECT_FALSE(spin.OverPressedArrow());
  spin.UserMoveOverArrow(SpinArrow::None);  // still off it: nothing to redraw
  EXPECT_EQ(redraws, 2);
  spin.UserMoveOverArrow(SpinArrow::Down);
  EXPECT_TRUE(spin.OverPressedArrow());
  spin.UserCancelArrow();
  EXPECT_EQ(spin.PressedArrow(), SpinArrow::None);
  EXPECT_FALSE(spin.OverPressedArrow());
  EXPECT_EQ(redraws, 4);
  spin.UserMoveOverArrow(SpinArrow::Up);  // moves without a press change nothing
  EXPECT_FALSE(spin.OverPressedArrow());
  EXPECT_EQ(redraws, 4);
}

TEST(ClickSource, AClickIsAPressAndAReleaseInsideTheControl) {
  enum Step { Press, ReleaseInside, ReleaseOutside, Cancel };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    int clicks;
  };
  const Case cases[] = {
      {"click", {Press, ReleaseInside}, 1},
      {"released outside", {Press, ReleaseOutside}, 0},
      {"released without a press", {ReleaseInside}, 0},
      {"a second release", {Press, ReleaseInside, ReleaseInside}, 1},
      {"press lost to another window", {Press, Cancel, ReleaseInside}, 0},
      {"dragged out and back in", {Press, ReleaseOutside, Press, ReleaseInside}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClickableControl control;
    int clicks = 0;
    control.onClick = [&] { ++clicks; };
    for (const Step step : c.steps) {
      if (step == Press) control.UserPressLeft();
      if (step == ReleaseInside) control.UserReleaseLeft(true);
      if (step == ReleaseOutside) control.UserReleaseLeft(false);
      if (step == Cancel) control.UserCancelPress();
    }
    EXPECT_EQ(clicks, c.clicks);
  }
}

TEST(EditModel, EveryChangeOfTextRunsTheHandlerOnce) {
  Watched<EditModel> w;
  w.control.UserEdit("/a");
  w.control.SetText("/a");
  w.control.UserEdit("/ab");
  w.control.SetText("");
  EXPECT_EQ(w.seen, (std::vector<std::string>{"/a", "/ab", ""}));
}

TEST(EditModel, HandlerMayDetachItselfWhileItRuns) {
  EditModel edit;
  int runs = 0;
  edit.AttachChange([&] {
    ++runs;
    edit.DetachChange();
    edit.SetText(edit.Text() + "!");  // runs nothing: detached
  });
  edit.UserEdit("x");
  EXPECT_EQ(edit.Text(), "x!");
  EXPECT_EQ(runs, 1);
}

TEST(EditModel, SelectAllLastsUntilTheTextChanges) {
  EditModel edit;
  edit.SetText("C:\\bild.bmp");
  edit.SelectAll();
  EXPECT_TRUE(edit.AllSelected());
  edit.UserEdit("x");
  EXPECT_FALSE(edit.AllSelected());
}

TEST(ComboBoxModel, OnlyAUserSelectionRunsTheHandler) {
  Watched<ComboBoxModel> w;
  w.control.items = {"normal", "ausfüllen", "anpassen"};
  w.control.SetItemIndex(1);
  EXPECT_EQ(w.control.Text(), "ausfüllen");
  EXPECT_TRUE(w.seen.empty());
  w.control.UserSelect(2);
  EXPECT_EQ(w.seen, (std::vector<std::string>{"anpassen"}));
}

TEST(ComboBoxModel, IndexOutsideTheListMeansNothingSelected) {
  ComboBoxModel combo;
  combo.items = {"normal", "ausfüllen"};
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_EQ(combo.Text(), "");
  for (int index : {2, -5, 99}) {
    combo.SetItemIndex(0);
    combo.SetItemIndex(index);
    EXPECT_EQ(combo.ItemIndex(), -1);
    EXPECT_EQ(combo.Text(), "");
  }
}

TEST(ControlBase, ViewIsToldOfEveryVisibleChange) {
  SpinEditModel spin;
  int redraws = 0;
  spin.viewChanged = [&] { ++redraws; };
  spin.SetValue(10);
  spin.SetBounds(-5, 50);
  spin.SetEnabled(false);
  EXPECT_EQ(redraws, 3);
  EXPECT_FALSE(spin.Enabled());
}

}  // namespace
}  // namespace tapisto
