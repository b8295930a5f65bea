// The four change handlers: what each does with an empty, unusable and usable file field.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "window_rig.h"

namespace tapisto::test {
namespace {

struct Action {
  const char* name;
  std::function<void(TForm1&)> run;
};

// One user action on each of the four controls with a change handler.
const std::vector<Action>& ActionsOnEachControl() {
  static const std::vector<Action> actions{
      {"X stepped", [](TForm1& f) { f.SpinEdit1.UserStepUp(); }},
      {"Y typed", [](TForm1& f) { f.SpinEdit2.UserEdit("7"); }},
      {"style chosen", [](TForm1& f) { f.ComboBox1.UserSelect(3); }},
  };
  return actions;
}

TEST(ChangeHandlers, EmptyFileFieldRemovesTheWallpaperWhateverChanged) {
  std::vector<Action> actions = ActionsOnEachControl();
  actions.push_back({"file field emptied", [](TForm1& f) {
                       f.Edit1.UserEdit("x");
                       f.Edit1.UserEdit("");
                     }});
  for (const Action& action : actions) {
    SCOPED_TRACE(action.name);
    WindowRig rig;
    rig.WriteHive({RegString("Wallpaper", ""), RegString("TileWallpaper", "1"),
                   RegString("WallpaperStyle", "6")});
    rig.Start();
    action.run(rig.form());
    EXPECT_EQ(rig.Desktop("Wallpaper"), "");
    EXPECT_EQ(rig.Desktop("TileWallpaper"), "0");
    EXPECT_EQ(rig.Desktop("WallpaperStyle"), "0");
    EXPECT_EQ(rig.refresh.count, 1);
    EXPECT_TRUE(rig.Log().empty());
    EXPECT_TRUE(rig.dialogs.messages.empty());
  }
}

TEST(ChangeHandlers, FileFieldNamingNoFileAppliesNothing) {
  std::vector<Action> actions = ActionsOnEachControl();
  actions.push_back({"path typed", [](TForm1& f) { f.Edit1.UserEdit("/nirgends/bild.bm"); }});
  for (const Action& action : actions) {
    SCOPED_TRACE(action.name);
    WindowRig rig;
    rig.WriteHive({RegString("Wallpaper", "/nirgends/bild.bmp")});
    rig.Start();
    const std::string hive = rig.HiveText();
    action.run(rig.form());
    EXPECT_EQ(rig.HiveText(), hive);
    EXPECT_EQ(rig.refresh.count, 0);
    EXPECT_TRUE(rig.Log().empty());
    EXPECT_TRUE(rig.dialogs.messages.empty());
  }
}

TEST(ChangeHandlers, UsableFileFieldAppliesOnceWithTheSelectedStyle) {
  struct Case {
    const char* name;
    std::function<void(TForm1&, WindowRig&)> run;
    std::string wallpaper;  // "<bild>" for the chosen picture itself
    std::string tile, style;
    bool logged;
  };
  const Case cases[] = {
      {"another file typed",
       [](TForm1& f, WindowRig& r) { f.Edit1.UserEdit(r.Bmp("zwei.bmp", 20, 10)); }, "0zwei.jpg",
       "0", "0", true},
      {"X stepped", [](TForm1& f, WindowRig&) { f.SpinEdit1.UserStepUp(); }, "0bild.jpg", "0", "0",
       false},
      {"Y typed", [](TForm1& f, WindowRig&) { f.SpinEdit2.UserEdit("7"); }, "0bild.jpg", "0", "0",
       false},
      {"stretch chosen", [](TForm1& f, WindowRig&) { f.ComboBox1.UserSelect(3); }, "<bild>", "0",
       "2", true},
      {"tiling chosen", [](TForm1& f, WindowRig&) { f.ComboBox1.UserSelect(6); }, "<bild>", "1",
       "0", true},
      {"mirror chosen", [](TForm1& f, WindowRig&) { f.ComboBox1.UserSelect(8); }, "Mirrbild.jpg",
       "0", "0", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WindowRig rig;
    const std::string bild = rig.Bmp("bild.bmp", 20, 10);
    rig.WriteHive({RegString("Wallpaper", bild)});
    rig.Start();
    TForm1& form = rig.form();
    c.run(form, rig);

    const std::string expected = c.wallpaper == "<bild>" ? bild : rig.Output(c.wallpaper);
    EXPECT_EQ(rig.Desktop("Wallpaper"), expected);
    EXPECT_TRUE(std::filesystem::exists(expected));
    EXPECT_EQ(rig.Desktop("TileWallpaper"), c.tile);
    EXPECT_EQ(rig.Desktop("WallpaperStyle"), c.style);
    EXPECT_EQ(rig.refresh.count, 1);
    const std::vector<std::string> log{"Edit1.Text: " + form.Edit1.Text()};
    EXPECT_EQ(rig.Log(), c.logged ? log : std::vector<std::string>{});
    EXPECT_TRUE(rig.dialogs.messages.empty());
    // The handlers that detach themselves are attached again.
    EXPECT_TRUE(form.Edit1.ChangeAttached());
    EXPECT_TRUE(form.ComboBox1.ChangeAttached());
  }
}

TEST(ChangeHandlers, FileTypedWhileNoStyleIsSelectedSelectsNormalFirst) {
  WindowRig rig;
  rig.Start();
  TForm1& form = rig.form();
  ASSERT_EQ(form.ComboBox1.ItemIndex(), -1);
  const std::string bild = rig.Bmp("bild.bmp", 20, 10);
  // Every keystroke that keeps the text an existing file applies again.
  form.Edit1.UserEdit(bild.substr(0, bild.size() - 1));
  EXPECT_EQ(rig.refresh.count, 0);
  form.Edit1.UserEdit(bild);
  EXPECT_EQ(form.ComboBox1.Text(), "normal");
  EXPECT_EQ(rig.Desktop("Wallpaper"), rig.Output("0bild.jpg"));
  EXPECT_EQ(rig.Log(), std::vector<std::string>{"Edit1.Text: " + bild});
}

TEST(ChangeHandlers, OffsetFieldWithoutTextAppliesNothingAndNoNumberAppliesTheLowerBound) {
  WindowRig rig;
  const std::string bild = rig.Bmp("bild.bmp", 40, 10);
  rig.WriteHive({RegString("Wallpaper", bild)});
  rig.Start();
  TForm1& form = rig.form();
  form.SpinEdit1.UserEdit("");
  form.SpinEdit2.UserEdit("");
  EXPECT_EQ(rig.refresh.count, 0);

  int offsetSeen = 1;
  rig.refresh.onRefresh = [&] { offsetSeen = form.OffsetX(); };
  form.SpinEdit1.UserEdit("-");
  EXPECT_EQ(rig.refresh.count, 1);
  EXPECT_EQ(offsetSeen, -20);  // 20 - the picture's width
}

TEST(ChangeHandlers, FailureInsideTheHandlerIsShownWithItsPrefix) {
  struct Case {
    const char* prefix;
    std::function<void(TForm1&)> run;
  };
  const Case cases[] = {
      {"Prozedur ButtonOK\n\n",
       [](TForm1& f) {
         f.Edit1.UserEdit("x");
         f.Edit1.UserEdit("");
       }},
      {"Prozedur ChangeSpinEdit\n\n", [](TForm1& f) { f.SpinEdit1.UserStepDown(); }},
      {"Prozedur ChangeSpinEdit2\n\n", [](TForm1& f) { f.SpinEdit2.UserStepDown(); }},
      {"Prozedur ChangeComboBox\n\n", [](TForm1& f) { f.ComboBox1.UserSelect(1); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prefix);
    WindowRig rig;
    rig.Start();
    // Settings that can no longer be read make removing the wallpaper fail.
    rig.BreakSettings();
    c.run(rig.form());
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    const std::string expected = std::string(c.prefix) + "SettingsError : ";
    EXPECT_EQ(rig.dialogs.messages[0].rfind(expected, 0), 0u) << rig.dialogs.messages[0];
    EXPECT_TRUE(rig.dialogs.errorReports.empty());
  }
}

// The offset handlers pump once more after their apply: a message the apply's last pump
// brought in (one the desktop sends back after the refresh) is handled before they return.
TEST(ChangeHandlers, OffsetHandlersPumpOnceMoreAfterTheirApply) {
  const Action offsets[] = {{"X stepped", [](TForm1& f) { f.SpinEdit1.UserStepUp(); }},
                            {"Y typed", [](TForm1& f) { f.SpinEdit2.UserEdit("7"); }}};
  for (const Action& a : offsets) {
    SCOPED_TRACE(a.name);
    WindowRig rig;
    rig.WriteHive({RegString("Wallpaper", rig.Bmp("bild.bmp", 20, 10))});
    rig.Start();
    bool handled = false;
    // Posted by the refresh: its first step runs in the apply's own pump after the refresh,
    // the second only in a pump after that.
    rig.refresh.onRefresh = [&] { rig.AtPump(2, [&] { handled = true; }); };
    a.run(rig.form());
    EXPECT_EQ(rig.refresh.count, 1);
    EXPECT_TRUE(handled);
  }
}

}  // namespace
}  // namespace tapisto::test
