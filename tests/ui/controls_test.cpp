// The control models fire and clamp exactly as the handlers of the main window rely on.
#include "ui/controls.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
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
      {0, 0, -5000, -5000},     {7, 7, 5000, 5000},  // 0 and 0 or equal bounds: no bounds
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
  for (int expected : {10, 20, 25}) {
    spin.UserStepUp();
    EXPECT_EQ(spin.Value(), expected);
  }
  for (int i = 0; i < 6; ++i) spin.UserStepDown();
  EXPECT_EQ(spin.Value(), -25);

  SpinEditModel unbounded;
  unbounded.SetValue(INT_MAX - 3);
  unbounded.UserStepUp();
  EXPECT_EQ(unbounded.Value(), INT_MAX);
}

// New bounds clamp nothing already shown; a typed value is clamped when the field loses focus.
TEST(SpinEditModel, TypedValueOutsideTheBoundsIsClampedOnlyWhenTheFieldLosesFocus) {
  Watched<SpinEditModel> w;
  w.control.SetValue(500);
  w.control.SetBounds(-100, 100);
  EXPECT_EQ(w.control.Text(), "500");
  w.seen.clear();
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
  const std::pair<const char*, int> cases[] = {{"", -780},    {"-", -780},   {"+", -780},
                                               {"1.5", -780}, {"12a", -780}, {"99999999999", -780},
                                               {"-12", -12},  {"+12", 12}};
  for (const auto& [text, value] : cases) {
    SCOPED_TRACE(text);
    SpinEditModel spin;
    spin.SetBounds(-780, 1900);
    spin.UserEdit(text);
    EXPECT_EQ(spin.Text(), text);
    EXPECT_EQ(spin.Value(), value);
  }
}

TEST(SpinEditModel, SettingTheTextItHoldsOrADetachedFieldIsNoChange) {
  Watched<SpinEditModel> w;
  w.control.SetValue(0);  // the field starts at "0"
  w.control.UserEdit("0");
  EXPECT_TRUE(w.seen.empty());
  w.control.SetValue(40);
  w.control.SetValue(40);
  w.control.UserEdit("40");
  EXPECT_EQ(w.seen, (std::vector<std::string>{"40"}));
  w.control.DetachChange();  // a detached field changes silently
  EXPECT_FALSE(w.control.ChangeAttached());
  w.control.SetValue(30);
  EXPECT_EQ(w.seen.size(), 1u);
  EXPECT_EQ(w.control.Value(), 30);
}

TEST(SpinEditModel, TypingTakesDigitsSignsAndTheLocalesDecimalSeparatorOnly) {
  struct Case {
    char32_t c;
    char32_t separator;
    bool typeable;
  };
  const Case cases[] = {
      {U'0', U'.', true},  {U'9', U'.', true},  {U'+', U'.', true},  {U'-', U'.', true},
      {U'.', U'.', true},  {U',', U',', true},  {U',', U'.', false}, {U'.', U',', false},
      {U'e', U'.', false}, {U'/', U'.', false}, {U':', U'.', false}, {U'\u0663', U'.', false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SpinEditModel::Typeable(c.c, c.separator), c.typeable)
        << static_cast<unsigned>(c.c) << " with separator " << static_cast<char>(c.separator);
  }
}

// The pointer on a spin field's arrows as a script of words: p, m or r (press, move, release)
// followed by the arrow (+ up, - down, 0 none), c (the capture lost), or w and the ms to wait.
TEST(SpinEditModel, ArrowsStepOnReleaseAndRepeatWhileHeldOverThePressedArrow) {
  struct Case {
    const char* name;
    const char* script;
    std::vector<std::string> steps;  // the texts the change handler saw, "@" the time
  };
  const Case cases[] = {
      {"click up", "p+ r+", {"10@0"}},
      {"click down", "p- r-", {"-10@0"}},
      {"slid to the other arrow", "p+ r-", {}},
      {"released outside", "p- r0", {}},
      {"pressed outside", "p0 w1000 r+", {}},
      {"a second release", "p+ r+ r+", {"10@0"}},
      {"held: after 400 ms, then every 100 ms, and once more on the release",
       "p+ w399 w1 w250 r+ w1000",
       {"10@400", "20@500", "30@600", "40@650"}},
      {"held off the pressed arrow: the repeats pause",
       "p- w400 m+ w200 m0 m- w100 r-",
       {"-10@400", "-20@700", "-30@700"}},
      {"a lost capture ends the press without a step", "p+ c w1000 r+", {}},
      {"moves without a press", "m+ w1000", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeClock clock;
    test::FakeTimers timers(clock);
    SpinEditModel spin(timers);
    std::vector<std::string> steps;
    spin.AttachChange([&] { steps.push_back(spin.Text() + "@" + std::to_string(clock.now)); });
    std::istringstream script(c.script);
    for (std::string word; script >> word;) {
      const char arrowSign = word.size() > 1 ? word[1] : '0';
      const SpinArrow arrow = arrowSign == '+'   ? SpinArrow::Up
                              : arrowSign == '-' ? SpinArrow::Down
                                                 : SpinArrow::None;
      if (word[0] == 'p') spin.UserPressArrow(arrow);
      if (word[0] == 'm') spin.UserMoveOverArrow(arrow);
      if (word[0] == 'r') spin.UserReleaseArrow(arrow);
      if (word[0] == 'c') spin.UserCancelArrow();
      if (word[0] == 'w') timers.Elapse(static_cast<std::uint32_t>(std::stoul(word.substr(1))));
    }
    EXPECT_EQ(steps, c.steps);
    EXPECT_EQ(spin.PressedArrow(), SpinArrow::None);
  }
}

TEST(SpinEditModel, ViewIsToldOfEveryVisibleChangeAndOfThePointerOverThePressedArrow) {
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
  spin.UserMoveOverArrow(SpinArrow::Up);  // moves without a press change nothing
  EXPECT_FALSE(spin.OverPressedArrow());
  EXPECT_EQ(redraws, 4);
  spin.SetValue(10);  // and every other visible change is drawn
  spin.SetBounds(-5, 50);
  spin.SetEnabled(false);
  EXPECT_EQ(redraws, 7);
  EXPECT_FALSE(spin.Enabled());
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

TEST(EditModel, EveryChangeOfTextRunsTheHandlerOnceAndEndsASelectAll) {
  Watched<EditModel> w;
  w.control.UserEdit("/a");
  w.control.SetText("/a");
  w.control.SelectAll();
  EXPECT_TRUE(w.control.AllSelected());
  w.control.UserEdit("/ab");
  EXPECT_FALSE(w.control.AllSelected());
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

TEST(ComboBoxModel, OnlyAUserSelectionRunsTheHandlerAndAnIndexOutsideTheListSelectsNothing) {
  Watched<ComboBoxModel> w;
  w.control.items = {"normal", "ausfüllen", "anpassen"};
  EXPECT_EQ(w.control.ItemIndex(), -1);
  w.control.SetItemIndex(1);
  EXPECT_EQ(w.control.Text(), "ausfüllen");
  EXPECT_TRUE(w.seen.empty());
  w.control.UserSelect(2);
  EXPECT_EQ(w.seen, (std::vector<std::string>{"anpassen"}));
  for (int index : {3, -5, 99}) {  // outside the list: nothing selected
    w.control.SetItemIndex(0);
    w.control.SetItemIndex(index);
    EXPECT_EQ(w.control.ItemIndex(), -1);
    EXPECT_EQ(w.control.Text(), "");
  }
}

}  // namespace
}  // namespace tapisto
