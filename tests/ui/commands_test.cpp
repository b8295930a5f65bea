// The click handlers: choosing a file, resetting, the web pages, quitting.
#include <gtest/gtest.h>

#include <filesystem>

#include "window_rig.h"

namespace tapisto::test {
namespace {

namespace fs = std::filesystem;

const std::string kHyphens(64, '-');

TEST(ButtonOpen, ChosenFileIsAppliedThenLoggedAndSetsRangesFolderAndFocus) {
  struct Case {
    const char* name;
    std::string (WindowRig::*make)(const std::string&, int, int) const;
    std::vector<std::string> applyLines;  // "<in>" the chosen path, "<out>" the conversion
  };
  const Case cases[] = {
      {"bild.bmp", &WindowRig::Bmp, {"Edit1.Text: <in>"}},
      {"bild.jpg", &WindowRig::Jpeg, {"sWallpaper: <in>", "Edit1.Text: <in>"}},
      {"bild.png", &WindowRig::Png, {"newFileName: <out>", "sWallpaper: <in>", "Edit1.Text: <in>"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WindowRig rig;
    rig.Start();
    TForm1& form = rig.form();
    const std::string chosen = (rig.*c.make)(c.name, 30, 60);
    rig.dialogs.chosenFiles.push_back(chosen);
    form.Button1.UserClick();

    std::vector<std::string> expected;
    for (std::string line : c.applyLines) {
      const auto at = line.find('<');
      const std::string tag = line.substr(at);
      line = line.substr(0, at) + (tag == "<in>" ? chosen : rig.Output("bild.jpg"));
      expected.push_back(line);
    }
    expected.push_back("OpenDialog.FileName: " + chosen);
    expected.push_back(kHyphens);
    EXPECT_EQ(rig.Log(), expected);

    ASSERT_EQ(rig.dialogs.fileDialogs.size(), 1u);
    EXPECT_EQ(rig.dialogs.fileDialogs[0].first,
              "Grafik-Dateien (*.bmp, *.gif, *.jpg, *.png)|*.bmp;*.gif;*.jpg;*.png");
    EXPECT_EQ(rig.dialogs.fileDialogs[0].second, "");
    EXPECT_EQ(form.State().OpenedFileName, chosen);
    EXPECT_EQ(form.Edit1.Text(), chosen);
    EXPECT_EQ(form.ComboBox1.Text(), "normal");  // selected before the apply
    EXPECT_EQ(rig.Desktop("Wallpaper"), rig.Output("0bild.jpg"));
    EXPECT_EQ(rig.refresh.count, 1);
    EXPECT_EQ(form.OpenDialog1.initialFolder, rig.dir.File(""));
    EXPECT_EQ(form.FocusedControl(), "Button2");
    EXPECT_EQ(form.SpinEdit1.MinValue(), -10);  // 20 - 30
    EXPECT_EQ(form.SpinEdit1.MaxValue(), 180);
    EXPECT_EQ(form.SpinEdit2.MinValue(), -20);  // 40 - 60
    EXPECT_EQ(form.SpinEdit2.MaxValue(), 100);
    EXPECT_TRUE(rig.dialogs.messages.empty());
  }
}

TEST(ButtonOpen, SameFileAgainAppliesNothingButLogsAndUpdatesTheRest) {
  WindowRig rig;
  rig.Start();
  TForm1& form = rig.form();
  const std::string bild = rig.Bmp("bild.bmp", 30, 60);
  rig.dialogs.chosenFiles = {bild, bild};
  form.Button1.UserClick();
  const std::size_t linesAfterFirst = rig.Log().size();
  form.SetFocusedControl("Edit1");
  rig.screen.width = 400;  // the ranges are computed afresh
  form.Button1.UserClick();

  EXPECT_EQ(rig.refresh.count, 1);
  ASSERT_EQ(rig.Log().size(), linesAfterFirst + 2);
  EXPECT_EQ(rig.Log()[linesAfterFirst], "OpenDialog.FileName: " + bild);
  EXPECT_EQ(rig.Log()[linesAfterFirst + 1], kHyphens);
  EXPECT_EQ(rig.dialogs.fileDialogs[1].second, rig.dir.File(""));
  EXPECT_EQ(form.FocusedControl(), "Button2");
  EXPECT_EQ(form.SpinEdit1.MaxValue(), 380);
}

TEST(ButtonOpen, CancelledDialogChangesNothing) {
  WindowRig rig;
  rig.Start();
  TForm1& form = rig.form();
  form.State().OpenedFileName = "/vorher.bmp";
  rig.dialogs.chosenFiles.push_back(std::nullopt);
  form.Button1.UserClick();
  EXPECT_EQ(form.State().OpenedFileName, "");
  EXPECT_EQ(form.Edit1.Text(), "");
  EXPECT_TRUE(rig.Log().empty());
  EXPECT_EQ(form.FocusedControl(), "Edit1");
  EXPECT_EQ(rig.refresh.count, 0);
}

TEST(ButtonOpen, FileThatIsNoPictureIsReportedAndKeepsTheRanges) {
  WindowRig rig;
  rig.Start();
  TForm1& form = rig.form();
  const std::string notiz = rig.Bytes("notiz.txt", "Text");
  rig.dialogs.chosenFiles.push_back(notiz);
  form.Button1.UserClick();
  ASSERT_FALSE(rig.dialogs.messages.empty());
  EXPECT_EQ(rig.dialogs.messages.back(),
            "OpenDialog\n\nImageFormatError : unknown picture file extension (.txt)");
  EXPECT_EQ(form.SpinEdit1.MinValue(), -180);  // still the screen's: 20 - 200
  EXPECT_EQ(form.SpinEdit2.MinValue(), -110);
  // The file field took the path and its apply ran before.
  EXPECT_EQ(form.Edit1.Text(), notiz);
  EXPECT_EQ(rig.refresh.count, 1);
}

TEST(Center, ResetsOffsetsAndStyleThenAppliesOnce) {
  WindowRig rig;
  // Narrower than 20 and lower than 40 pixels: both lower bounds are above 0.
  const std::string schmal = rig.Bmp("schmal.bmp", 10, 30);
  rig.WriteHive({RegString("Wallpaper", schmal), RegString("WallpaperStyle", "10"),
                 RegString("WallpaperOriginX", "90"), RegString("WallpaperOriginY", "70")});
  rig.Start();
  TForm1& form = rig.form();
  form.ComboBox1.UserSelect(1);  // "ausfüllen"
  form.ComboBox1.SetEnabled(false);
  const int appliesBefore = rig.refresh.count;
  form.Button2.UserClick();

  EXPECT_EQ(form.SpinEdit1.Value(), 10);
  EXPECT_EQ(form.SpinEdit2.Value(), 10);
  EXPECT_EQ(form.ComboBox1.Text(), "normal");
  EXPECT_TRUE(form.ComboBox1.Enabled());
  EXPECT_EQ(rig.refresh.count, appliesBefore + 1);
  EXPECT_EQ(rig.Desktop("WallpaperStyle"), "0");
  EXPECT_EQ(rig.Desktop("TileWallpaper"), "0");
  EXPECT_EQ(rig.Desktop("Wallpaper"), rig.Output("0schmal.jpg"));
  EXPECT_TRUE(form.SpinEdit1.ChangeAttached());
  EXPECT_TRUE(form.SpinEdit2.ChangeAttached());
  EXPECT_TRUE(form.ComboBox1.ChangeAttached());
}

TEST(Center, DoesNothingButPumpWhileTheButtonIsHeld) {
  WindowRig rig;
  const std::string bild = rig.Bmp("bild.bmp", 20, 10);
  rig.WriteHive({RegString("Wallpaper", bild), RegString("WallpaperOriginX", "50")});
  rig.Start();
  TForm1& form = rig.form();
  rig.app.Queue(QueuedMessage::LeftButtonDown);
  const int pumps = rig.pump.processCalls;
  form.Center();
  EXPECT_EQ(rig.pump.processCalls, pumps + 2);
  EXPECT_EQ(form.SpinEdit1.Value(), 50);
  EXPECT_EQ(rig.refresh.count, 0);
}

// The composition of "normal" fails (the background colour setting holds no colour): the
// desktop style values written are the ones Center reset, not those of the style before.
TEST(Center, AFailedNormalCompositionStillWritesTheResetStyleValues) {
  WindowRig rig;
  const std::string bild = rig.Bmp("bild.bmp", 20, 10);
  rig.WriteHive({RegString("Wallpaper", bild)}, "kein Wert");
  rig.Start();
  TForm1& form = rig.form();
  form.ComboBox1.UserSelect(3);  // "dehnen": WallpaperStyle 2, no composition
  ASSERT_EQ(rig.Desktop("WallpaperStyle"), "2");
  rig.dialogs.messages.clear();
  form.Center();
  ASSERT_EQ(rig.dialogs.messages.size(), 1u);
  EXPECT_EQ(rig.dialogs.messages[0].rfind("ComboBox-Auswahl\n\n", 0), 0u)
      << rig.dialogs.messages[0];
  EXPECT_EQ(rig.Desktop("TileWallpaper"), "0");
  EXPECT_EQ(rig.Desktop("WallpaperStyle"), "0");
}

TEST(Center, UnusableFileFieldResetsTheFieldsButNotTheDesktop) {
  for (const char* field : {"", "/nirgends/bild.bmp"}) {
    SCOPED_TRACE(field);
    WindowRig rig;
    rig.WriteHive({RegString("Wallpaper", field), RegString("WallpaperOriginY", "50")});
    rig.Start();
    const std::string hive = rig.HiveText();
    rig.form().Center();
    EXPECT_EQ(rig.form().SpinEdit2.Value(), 0);
    EXPECT_EQ(rig.refresh.count, 0);
    EXPECT_EQ(rig.HiveText(), hive);
  }
}

TEST(ButtonBeenden, EmptyFileFieldRestoresOrRemovesTheWallpaperThenEnds) {
  {
    SCOPED_TRACE("transcoded: the start wallpaper and theme files come back");
    WindowRig rig;
    fs::create_directories(rig.Themes());
    rig.Bytes("config/Microsoft/Windows/Themes/TranscodedWallpaper", "vom Start");
    const std::string start = JoinPath(rig.Themes(), "TranscodedWallpaper");
    rig.WriteHive({RegString("Wallpaper", start)});
    rig.Start();
    // The desktop's copy changed while the program ran.
    rig.Bytes("config/Microsoft/Windows/Themes/TranscodedWallpaper", "spaeter");
    rig.form().SpinEdit2.UserStepUp();  // removes the wallpaper: the field is empty
    ASSERT_EQ(rig.Desktop("Wallpaper"), "");
    rig.form().Button3.UserClick();

    EXPECT_EQ(rig.Desktop("Wallpaper"), start);
    EXPECT_EQ(ReadText(start), "vom Start");
    EXPECT_FALSE(fs::exists(JoinPath(rig.Temp(), "TranscodedWallpaper")));
    EXPECT_EQ(rig.app.terminateCalls, 1);
  }
  {
    SCOPED_TRACE("plain: the wallpaper is removed");
    WindowRig rig;
    const std::string bild = rig.Bmp("bild.bmp", 20, 10);
    rig.WriteHive({RegString("Wallpaper", bild)});
    rig.Start();
    rig.form().Edit1.SetText("");  // as if typed away with the handler detached
    rig.form().Button3.UserClick();
    EXPECT_EQ(rig.Desktop("Wallpaper"), "");
    EXPECT_EQ(rig.Desktop("TileWallpaper"), "0");
    EXPECT_EQ(rig.Desktop("WallpaperStyle"), "0");
    EXPECT_EQ(rig.app.terminateCalls, 1);
  }
}

TEST(ButtonBeenden, FileFieldWithAnyTextLeavesTheDesktopAsLastApplied) {
  for (bool exists : {true, false}) {
    SCOPED_TRACE(exists);
    WindowRig rig;
    const std::string path = exists ? rig.Bmp("bild.bmp", 20, 10) : "/nirgends/bild.bmp";
    rig.WriteHive({RegString("Wallpaper", path)});
    rig.Start();
    const std::string hive = rig.HiveText();
    rig.form().Button3.UserClick();
    EXPECT_EQ(rig.HiveText(), hive);
    EXPECT_EQ(rig.refresh.count, 0);
    EXPECT_EQ(rig.app.terminateCalls, 1);
  }
}

TEST(ButtonBeenden, FailureGoesToTheDefaultReportAndTheProgramKeepsRunning) {
  WindowRig rig;
  rig.Start();
  rig.BreakSettings();
  rig.form().Button3.UserClick();
  ASSERT_EQ(rig.dialogs.errorReports.size(), 1u);
  // The message only, without the type name.
  EXPECT_EQ(rig.dialogs.errorReports[0].find("SettingsError"), std::string::npos);
  EXPECT_FALSE(rig.dialogs.errorReports[0].empty());
  EXPECT_EQ(rig.app.terminateCalls, 0);
}

TEST(WebPages, LinkAndDonationPictureOpenTheirPagesInTheShell) {
  WindowRig rig;
  rig.Start();
  TForm1& form = rig.form();
  form.StaticText1.UserClick();
  form.Image1.UserClick();
  ASSERT_EQ(rig.shell.launches.size(), 2u);
  EXPECT_EQ(rig.shell.launches[0].document, "https://tapisto.example/index.html");
  EXPECT_EQ(rig.shell.launches[0].parameters, "");
  EXPECT_EQ(rig.shell.launches[0].folder, WindowRig::WithSeparator("."));  // ".\" on Windows
  EXPECT_EQ(rig.shell.launches[0].show, ShowCommand::Show);
  EXPECT_EQ(rig.shell.launches[1].document, "https://tapisto.example/spenden.html");
  EXPECT_EQ(rig.shell.launches[1].show, ShowCommand::Show);
  EXPECT_TRUE(rig.dialogs.messages.empty());
}

TEST(WebPages, ShellFailureReachesTheDefaultReport) {
  WindowRig rig;
  rig.Start();
  rig.shell.openFails = true;
  rig.form().Image1.UserClick();
  EXPECT_EQ(rig.dialogs.errorReports,
            std::vector<std::string>{"no program for https://tapisto.example/spenden.html"});
}

TEST(Edit1Click, SelectsTheWholePath) {
  WindowRig rig;
  rig.WriteHive({RegString("Wallpaper", "/nirgends/bild.bmp")});
  rig.Start();
  rig.form().Edit1.UserClick();
  EXPECT_TRUE(rig.form().Edit1.AllSelected());
}

}  // namespace
}  // namespace tapisto::test
