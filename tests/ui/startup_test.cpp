// Start-up: the program entry and BeimStart fill the main window from the desktop settings
// without applying anything.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/text.h"
#include "window_rig.h"

namespace tapisto::test {
namespace {

namespace fs = std::filesystem;

struct Ranges {
  int minX, maxX, minY, maxY;
};

void ExpectRanges(TForm1& form, Ranges r) {
  EXPECT_EQ(form.SpinEdit1.MinValue(), r.minX);
  EXPECT_EQ(form.SpinEdit1.MaxValue(), r.maxX);
  EXPECT_EQ(form.SpinEdit2.MinValue(), r.minY);
  EXPECT_EQ(form.SpinEdit2.MaxValue(), r.maxY);
}

constexpr Ranges kScreenRanges{-1900, 1900, -1040, 1030};  // on 1920 x 1080

TEST(StartUp, ExistingWallpaperIsShownAndItsSizeSetsTheOffsetRanges) {
  struct Case {
    const char* name;
    std::string (WindowRig::*make)(const std::string&, int, int) const;
    int w, h;
    Ranges ranges;
  };
  const Case cases[] = {
      {"Berg.gif", &WindowRig::Gif, 800, 600, {-780, 1900, -560, 1030}},
      {"Berg.JPEG", &WindowRig::Jpeg, 800, 600, {-780, 1900, -560, 1030}},
      {"Berg.png", &WindowRig::Png, 64, 48, {-44, 1900, -8, 1030}},
      // Larger than the screen: the lower bounds fall below the negative screen size.
      {"Berg.bmp", &WindowRig::Bmp, 3000, 2000, {-2980, 1900, -1960, 1030}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WindowRig rig(1920, 1080);
    const std::string path = (rig.*c.make)(c.name, c.w, c.h);
    rig.WriteHive({RegString("Wallpaper", path), RegString("WallpaperStyle", "22")});
    const std::string hiveBefore = rig.HiveText();
    rig.Start();
    TForm1& form = rig.form();

    EXPECT_EQ(form.Edit1.Text(), path);
    EXPECT_EQ(form.State().PreviousWallpaper, path);
    EXPECT_EQ(form.State().CurrentWallpaper, UpperAscii(path));
    EXPECT_FALSE(form.State().TranscodedMode);
    EXPECT_EQ(form.ComboBox1.Text(), "normal");
    EXPECT_EQ(form.OpenDialog1.initialFolder, rig.dir.File(""));
    ExpectRanges(form, c.ranges);
    // Filling the controls applied nothing and logged nothing.
    EXPECT_EQ(rig.HiveText(), hiveBefore);
    EXPECT_EQ(rig.refresh.count, 0);
    EXPECT_TRUE(rig.Log().empty());
    EXPECT_TRUE(rig.dialogs.messages.empty());
  }
}

TEST(StartUp, WithoutUsablePictureRangesFollowTheScreenAndTheStoredStyleStays) {
  struct Case {
    const char* what;
    std::string wallpaper;
    std::vector<std::string> style;
    int expectedIndex;
  };
  const Case cases[] = {
      {"empty setting, stretch", "", {RegString("WallpaperStyle", "2")}, 3},
      {"missing file, tiled",
       "/nirgends/berg.bmp",
       {RegString("TileWallpaper", "1"), RegString("WallpaperStyle", "0")},
       6},
      {"missing file, span", "/nirgends/berg.bmp", {RegString("WallpaperStyle", "22")}, -1},
      {"style not a number", "", {RegString("WallpaperStyle", "zehn")}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WindowRig rig(1920, 1080);
    std::vector<std::string> lines = c.style;
    lines.push_back(RegString("Wallpaper", c.wallpaper));
    rig.WriteHive(lines);
    rig.Start();
    TForm1& form = rig.form();

    EXPECT_EQ(form.Edit1.Text(), c.wallpaper);
    EXPECT_EQ(form.State().PreviousWallpaper, "");
    EXPECT_EQ(form.ComboBox1.ItemIndex(), c.expectedIndex);
    EXPECT_EQ(form.OpenDialog1.initialFolder, "");
    ExpectRanges(form, kScreenRanges);
    EXPECT_EQ(rig.refresh.count, 0);
    EXPECT_TRUE(rig.dialogs.messages.empty());
  }
}

TEST(StartUp, StoredOffsetsAreShownUnclippedAndApplyNothing) {
  WindowRig rig(1920, 1080);
  rig.WriteHive({RegString("WallpaperOriginX", "-5000"), RegString("WallpaperOriginY", "25")});
  rig.Start();
  EXPECT_EQ(rig.form().SpinEdit1.Value(), -5000);
  EXPECT_EQ(rig.form().SpinEdit2.Value(), 25);
  EXPECT_EQ(rig.form().State().OriginX, -5000);
  EXPECT_EQ(rig.refresh.count, 0);
}

TEST(StartUp, ValueOfTheWrongTypeIsReportedAndStartUpGoesOn) {
  struct Case {
    const char* what;
    std::vector<std::string> desktop;
    std::vector<std::string> expectedMessages;
    std::string edit1;
    int index, x, y;
  };
  std::string cache801 = "\"TranscodedImageCache\"=hex:";
  for (int i = 0; i < 801; ++i) cache801 += i == 0 ? "01" : ",01";
  const Case cases[] = {
      {"style stored as a number",
       {RegString("Wallpaper", "/nirgends/a.bmp"), "\"WallpaperStyle\"=dword:0000000a"},
       {"GetWallpaperSystem SettingsError : Ungültiger Datentyp für 'WallpaperStyle'"},
       "/nirgends/a.bmp",
       -1,
       0,
       0},
      {"wallpaper stored as a number",
       {"\"Wallpaper\"=dword:00000001"},
       {"GetWallpaperSystem SettingsError : Ungültiger Datentyp für 'Wallpaper'"},
       "",
       -1,
       0,
       0},
      {"image cache over 800 bytes",
       {RegString("WallpaperStyle", "10"), RegString("WallpaperOriginX", "40"), cache801},
       {"GetWallpaperSystem SettingsError : Ungültiger Datentyp für 'TranscodedImageCache'"},
       "",
       -1,
       0,
       0},
      // Offsets that cannot be read are skipped silently; the fields show 0.
      {"x offset stored as a number",
       {RegString("WallpaperStyle", "6"), "\"WallpaperOriginX\"=dword:00000028",
        RegString("WallpaperOriginY", "25")},
       {},
       "",
       2,
       0,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WindowRig rig(1920, 1080);
    rig.WriteHive(c.desktop);
    rig.Start();
    TForm1& form = rig.form();
    EXPECT_EQ(rig.dialogs.messages, c.expectedMessages);
    EXPECT_EQ(form.Edit1.Text(), c.edit1);
    EXPECT_EQ(form.ComboBox1.ItemIndex(), c.index);
    EXPECT_EQ(form.SpinEdit1.Value(), c.x);
    EXPECT_EQ(form.SpinEdit2.Value(), c.y);
    // The rest of start-up ran.
    ExpectRanges(form, kScreenRanges);
    EXPECT_EQ(form.State().WallpaperFolder, rig.WallpaperFolder());
    EXPECT_TRUE(fs::is_directory(rig.WallpaperFolder()));
    EXPECT_EQ(form.Image1.hint,
              "Bitte unterstützen Sie die weitere Entwicklung\nmit Ihrer Spende. Vielen Dank.");
  }
}

TEST(StartUp, PictureThatCannotBeLoadedIsReportedAndRangesStayScreenBased) {
  struct Case {
    const char* name;
    std::string content;
    std::string expectedStart;
  };
  const Case cases[] = {
      {"Berg.png", "kein Bild", "BeimStart\n\nImageFormatError : "},
      {"notiz.txt", "Text",
       "BeimStart\n\nImageFormatError : unknown picture file extension (.txt)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WindowRig rig(1920, 1080);
    const std::string path = rig.Bytes(c.name, c.content);
    rig.WriteHive({RegString("Wallpaper", path)});
    rig.Start();
    TForm1& form = rig.form();
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].rfind(c.expectedStart, 0), 0u) << rig.dialogs.messages[0];
    ExpectRanges(form, kScreenRanges);
    // What was set before the failure stays.
    EXPECT_EQ(form.ComboBox1.Text(), "normal");
    EXPECT_EQ(form.OpenDialog1.initialFolder, rig.dir.File(""));
    EXPECT_EQ(form.State().PreviousWallpaper, path);
  }
}

TEST(StartUp, TranscodedWallpaperBacksUpTheThemeFilesThatExist) {
  for (const char* settingName : {"TranscodedWallpaper", "transcodedwallpaper"}) {
    SCOPED_TRACE(settingName);
    WindowRig rig;
    fs::create_directories(rig.Themes());
    rig.Bytes("config/Microsoft/Windows/Themes/Transcoded_000", "erstes");
    rig.Bytes("config/Microsoft/Windows/Themes/TranscodedWallpaper", "zweites");
    rig.Bytes("tmp/TranscodedWallpaper", "alt, von einem frueheren Lauf");
    const std::string setting = JoinPath(rig.Themes(), settingName);
    rig.WriteHive({RegString("Wallpaper", setting)});
    rig.Start();
    const WallpaperState& state = rig.form().State();

    EXPECT_TRUE(state.TranscodedMode);
    EXPECT_EQ(rig.form().Edit1.Text(), "");
    // The path as read, and only when that file exists.
    EXPECT_EQ(state.PreviousWallpaper, fs::exists(setting) ? setting : "");
    EXPECT_EQ(state.ThemesFolder, WindowRig::WithSeparator(rig.Themes()));
    EXPECT_EQ(state.TempFolder, WindowRig::WithSeparator(rig.Temp()));
    EXPECT_EQ(ReadText(JoinPath(rig.Temp(), "Transcoded_000")), "erstes");
    EXPECT_EQ(ReadText(JoinPath(rig.Temp(), "TranscodedWallpaper")), "zweites");
    EXPECT_FALSE(fs::exists(JoinPath(rig.Temp(), "slideshow.ini")));
    EXPECT_TRUE(rig.dialogs.messages.empty());
    EXPECT_EQ(rig.refresh.count, 0);
  }
}

TEST(StartUp, TranscodedWallpaperWithoutApplicationDataFolderBacksUpNothing) {
  WindowRig rig;
  rig.shell.appData = "";
  fs::create_directories(rig.Themes());
  rig.Bytes("config/Microsoft/Windows/Themes/TranscodedWallpaper", "bild");
  rig.WriteHive({RegString("Wallpaper", JoinPath(rig.Themes(), "TranscodedWallpaper"))});
  rig.Start();
  EXPECT_TRUE(rig.form().State().TranscodedMode);
  EXPECT_EQ(rig.dialogs.messages,
            std::vector<std::string>{"Fehler beim Sichern der Slideshowdateien"});
  EXPECT_TRUE(fs::is_empty(rig.Temp()));
}

TEST(StartUp, WallpaperFolderIsMadeUnderTheDocumentsFolderOnce) {
  {
    SCOPED_TRACE("absent: created");
    WindowRig rig;
    rig.Start();
    EXPECT_EQ(rig.form().State().WallpaperFolder, rig.WallpaperFolder());
    EXPECT_TRUE(fs::is_directory(rig.WallpaperFolder()));
  }
  {
    SCOPED_TRACE("present: kept with what it holds");
    WindowRig rig;
    fs::create_directories(rig.WallpaperFolder());
    rig.Bytes("home/Documents/Meine Wallpapers/0alt.jpg", "x");
    rig.Start();
    EXPECT_EQ(rig.form().State().WallpaperFolder, rig.WallpaperFolder());
    EXPECT_TRUE(fs::exists(rig.Output("0alt.jpg")));
  }
  {
    SCOPED_TRACE("documents folder missing: the folder stays without the suffix");
    WindowRig rig;
    rig.shell.personal = rig.dir.File("keine/Dokumente");
    rig.Start();
    EXPECT_EQ(rig.form().State().WallpaperFolder, rig.dir.File("keine/Dokumente"));
    EXPECT_FALSE(fs::exists(rig.dir.File("keine")));
    EXPECT_TRUE(rig.dialogs.messages.empty());
  }
}

// An error raised while the folder is made is shown with the block's prefix; start-up goes on.
TEST(StartUp, AnErrorWhileTheWallpaperFolderIsMadeIsShownWithItsPrefix) {
  WindowRig rig;
  rig.files.before = [](const std::string& call, const std::string&) {
    if (call == "CreateDirectory") throw FileWriteError("kein Platz");
  };
  rig.Start();
  EXPECT_EQ(rig.dialogs.messages, std::vector<std::string>{"Fehler beim Erstellen des "
                                                           "Verzeichnisses.\n\nFileWriteError : "
                                                           "kein Platz"});
  EXPECT_TRUE(rig.form().Edit1.ChangeAttached());
}

TEST(ProgramEntry, StartSetsTheTitleCreatesBothWindowsAndAttachesTheChangeHandlersLast) {
  WindowRig rig;
  EXPECT_EQ(rig.program.Form1(), nullptr);
  AppendLogLine(rig.program.Log(), "vor dem Start");
  rig.Start();
  TForm1& form = rig.form();
  ASSERT_NE(rig.program.Form2(), nullptr);

  EXPECT_EQ(rig.app.title, "Tapisto");
  EXPECT_EQ(rig.app.hintHidePause, 10000);
  EXPECT_TRUE(static_cast<bool>(rig.app.hook));
  EXPECT_FALSE(rig.program.Form2()->Visible());
  EXPECT_TRUE(rig.program.Log().WindowExists());
  // A line appended before the log window existed was dropped.
  EXPECT_TRUE(rig.Log().empty());
  EXPECT_TRUE(form.Edit1.ChangeAttached());
  EXPECT_TRUE(form.SpinEdit1.ChangeAttached());
  EXPECT_TRUE(form.SpinEdit2.ChangeAttached());
  EXPECT_TRUE(form.ComboBox1.ChangeAttached());
  EXPECT_EQ(form.FocusedControl(), "Edit1");

  rig.program.Finish();
  EXPECT_EQ(form.State().WallpaperFolder, "");
}

TEST(MouseHook, LeftButtonPressSetsTheFlagAndOnlyItsReleaseClearsIt) {
  WindowRig rig;
  rig.Start();
  const bool& down = rig.form().State().MouseButtonDown;
  using enum QueuedMessage;
  struct Step {
    QueuedMessage message;
    bool expected;
  };
  const Step steps[] = {{Other, false},         {LeftButtonDown, true}, {Other, true},
                        {LeftButtonUp, false},  {Other, false},         {LeftButtonDown, true},
                        {LeftButtonDown, true}, {LeftButtonUp, false}};
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    rig.app.Queue(steps[i].message);
    EXPECT_EQ(down, steps[i].expected) << "step " << i;
  }
}

}  // namespace
}  // namespace tapisto::test
