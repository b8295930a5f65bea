#include "desktop/start_wallpaper.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "desktop/posix/hive/reg_hive.h"
#include "desktop_rig.h"

namespace tapisto {
namespace {

namespace fs = std::filesystem;
using test::DesktopRig;
using test::ReadText;
using test::WriteText;

const std::string kDesktop = "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n";
const std::string kColors = "[HKEY_CURRENT_USER\\Control Panel\\Colors]\n";

// The five out-parameters, with values that show whether a step assigned them.
struct Out {
  std::string wallpaper = "vorher";
  int tile = -7;
  int style = -7;
  int x = 11;
  int y = 12;
};

Out Read(DesktopRig& rig) {
  Out out;
  GetWallpaperSystem(rig.d, out.wallpaper, out.tile, out.style, out.x, out.y);
  return out;
}

std::string ReadError(DesktopRig& rig, Out& out) {
  try {
    GetWallpaperSystem(rig.d, out.wallpaper, out.tile, out.style, out.x, out.y);
  } catch (const Error& e) {
    return Describe(e);
  }
  return "(no error)";
}

std::string Hex(std::size_t n, const char* byte) {
  std::string out;
  for (std::size_t i = 0; i < n; ++i) out += std::string(i ? "," : "") + byte;
  return out;
}

TEST(GetWallpaperSystem, SplitsTheBackgroundColour) {
  struct Case {
    const char* background;
    const char* red;
    const char* green;
    const char* blue;
  };
  const Case cases[] = {
      {"58 110 165", "58", "110", "165"},
      {"58 110 165 ", "58", "110", "165"},
      {"0  128 255", "0", "", "128 255"},
      {"255", "", "", "255"},
  };
  for (const Case& c : cases) {
    DesktopRig rig;
    rig.WriteHive(kColors + "\"Background\"=\"" + c.background + "\"\n\n" + kDesktop);
    Read(rig);
    EXPECT_EQ(rig.state.BackgroundRed, c.red) << c.background;
    EXPECT_EQ(rig.state.BackgroundGreen, c.green) << c.background;
    EXPECT_EQ(rig.state.BackgroundBlue, c.blue) << c.background;
  }
}

TEST(GetWallpaperSystem, AMissingColourKeyOrValueLeavesTheColourTextsEmpty) {
  for (const std::string& hive :
       {kDesktop + "\"Wallpaper\"=\"w.jpg\"\n",
        kColors + "\"Other\"=\"1\"\n\n" + kDesktop + "\"Wallpaper\"=\"w.jpg\"\n"}) {
    DesktopRig rig;
    rig.state.BackgroundText = "alt";
    rig.WriteHive(hive);
    const Out out = Read(rig);
    EXPECT_EQ(rig.state.BackgroundRed + rig.state.BackgroundGreen + rig.state.BackgroundBlue, "");
    EXPECT_EQ(out.wallpaper, "w.jpg");  // the desktop key is read all the same
  }
}

TEST(GetWallpaperSystem, ReadsTheWallpaperSettingsLeniently) {
  DesktopRig rig;
  rig.WriteHive(kDesktop +
                "\"Wallpaper\"=\"C:\\\\Bilder\\\\Grün.jpg\"\n\"TileWallpaper\"=\"1\"\n"
                "\"WallpaperStyle\"=\"zehn\"\n\"ConvertedWallpaper\"=\"\"\n");
  const Out out = Read(rig);
  EXPECT_EQ(out.wallpaper, "C:\\Bilder\\Grün.jpg");
  EXPECT_EQ(out.tile, 1);
  EXPECT_EQ(out.style, 0);
  EXPECT_TRUE(rig.state.HasConvertedWallpaper);  // present with an empty value
  EXPECT_EQ(out.x, 0);
  EXPECT_EQ(out.y, 0);
  EXPECT_EQ(rig.controls.events, (std::vector<std::string>{"select nebeneinander", "x 0", "y 0"}));
  EXPECT_TRUE(rig.dialogs.messages.empty());
}

TEST(GetWallpaperSystem, MissingValuesGiveEmptyTextAndZeroAndNeverClearTheConvertedFlag) {
  DesktopRig rig;
  rig.WriteHive(kDesktop);
  rig.state.HasConvertedWallpaper = true;
  const Out out = Read(rig);
  EXPECT_EQ(out.wallpaper, "");
  EXPECT_EQ(out.tile, 0);
  EXPECT_EQ(out.style, 0);
  EXPECT_TRUE(rig.state.HasConvertedWallpaper);
  EXPECT_EQ(rig.state.TranscodedImageCacheSize, -1);
}

TEST(GetWallpaperSystem, SelectsTheStyleEntryMatchingTheStoredValues) {
  struct Case {
    const char* style;
    const char* tile;
    const char* selected;  // "" for no selection
  };
  const Case cases[] = {
      {"10", "0", "ausfüllen"},
      {"10", "1", "ausfüllen"},
      {"6", "", "anpassen"},
      {"2", "1", "dehnen"},
      {"0", "1", "nebeneinander"},
      {"kein", "1", "nebeneinander"},
      {"0", "0", ""},
      {"22", "0", ""},
      {"22", "1", ""},
      {"5", "1", ""},
      {"", "", ""},
      {"0", "2", ""},
  };
  for (const Case& c : cases) {
    DesktopRig rig;
    rig.controls.styleText = "vorher";
    rig.WriteHive(kDesktop + "\"WallpaperStyle\"=\"" + c.style + "\"\n\"TileWallpaper\"=\"" +
                  c.tile + "\"\n");
    Read(rig);
    EXPECT_EQ(rig.controls.styleText, *c.selected ? c.selected : "vorher")
        << c.style << "/" << c.tile;
  }
}

TEST(GetWallpaperSystem, KeepsUpTo800BytesOfTheTranscodedImageCache) {
  struct Case {
    std::string value;  // "" for none
    int size;
    std::size_t kept;
  };
  const Case cases[] = {
      {"", -1, 0},
      {"hex:" + Hex(10, "5a"), 10, 10},
      {"hex:" + Hex(800, "5a"), 800, 800},
      {"hex(0):" + Hex(4, "5a"), 4, 4},  // an unclassified type reads as bytes
      {"hex:", 0, 0},
  };
  for (const Case& c : cases) {
    DesktopRig rig;
    rig.state.TranscodedImageCache.fill(0x11);
    rig.WriteHive(kDesktop + "\"WallpaperStyle\"=\"2\"\n" +
                  (c.value.empty() ? "" : "\"TranscodedImageCache\"=" + c.value + "\n"));
    Read(rig);
    EXPECT_EQ(rig.state.TranscodedImageCacheSize, c.size);
    const auto& cache = rig.state.TranscodedImageCache;
    EXPECT_EQ(std::count(cache.begin(), cache.end(), 0x5a), static_cast<long>(c.kept));
    EXPECT_EQ(std::count(cache.begin(), cache.end(), 0x11), static_cast<long>(800 - c.kept));
    EXPECT_EQ(rig.controls.events.size(), 3u);  // the steps after it ran
  }
}

TEST(GetWallpaperSystem, AnUnreadableTranscodedImageCacheGoesToTheCallerAndEndsTheRead) {
  struct Case {
    std::string value;
    int size;
  };
  const Case cases[] = {
      {"hex:" + Hex(801, "00"), 801},
      {"\"als Text\"", 18},
      {"dword:00000001", 4},
  };
  for (const Case& c : cases) {
    DesktopRig rig;
    rig.WriteHive(kDesktop + "\"WallpaperStyle\"=\"10\"\n\"WallpaperOriginX\"=\"5\"\n" +
                  "\"TranscodedImageCache\"=" + c.value + "\n");
    Out out;
    EXPECT_EQ(ReadError(rig, out),
              "SettingsError : Ungültiger Datentyp für 'TranscodedImageCache'");
    EXPECT_EQ(rig.state.TranscodedImageCacheSize, c.size);
    EXPECT_EQ(out.style, 10);  // read before
    EXPECT_EQ(out.x, 11);      // steps 8 to 10 skipped
    EXPECT_TRUE(rig.controls.events.empty());
  }
}

TEST(GetWallpaperSystem, OffsetsOfAnotherTypeStopTheOffsetReadSilently) {
  struct Case {
    const char* values;
    int x;
    int y;
  };
  const Case cases[] = {
      {"\"WallpaperOriginX\"=\"15\"\n\"WallpaperOriginY\"=\"-3\"\n", 15, -3},
      {"\"WallpaperOriginX\"=\"abc\"\n", 0, 0},
      {"\"WallpaperOriginX\"=dword:00000005\n\"WallpaperOriginY\"=\"7\"\n", 11, 12},
      {"\"WallpaperOriginX\"=\"5\"\n\"WallpaperOriginY\"=hex:07\n", 5, 12},
  };
  for (const Case& c : cases) {
    DesktopRig rig;
    rig.WriteHive(kDesktop + c.values);
    const Out out = Read(rig);
    EXPECT_EQ(out.x, c.x) << c.values;
    EXPECT_EQ(out.y, c.y) << c.values;
    EXPECT_EQ(rig.controls.events,
              (std::vector<std::string>{"x " + std::to_string(c.x), "y " + std::to_string(c.y)}));
    EXPECT_TRUE(rig.dialogs.messages.empty());
  }
}

TEST(GetWallpaperSystem, WithoutTheDesktopKeyOnlyTheColourIsRead) {
  DesktopRig rig;
  rig.WriteHive(kColors + "\"Background\"=\"1 2 3\"\n");
  const Out out = Read(rig);
  EXPECT_EQ(rig.state.BackgroundBlue, "3");
  EXPECT_EQ(out.wallpaper, "vorher");
  EXPECT_EQ(out.tile, -7);
  EXPECT_EQ(out.x, 11);
  EXPECT_EQ(rig.state.TranscodedImageCacheSize, 0);
  EXPECT_TRUE(rig.controls.events.empty());
}

TEST(GetWallpaperSystem, StringSettingsOfAnotherTypeGoToTheCaller) {
  struct Case {
    std::string hive;
    const char* name;
    const char* wallpaper;  // the out-parameter afterwards
    int tile;
  };
  const Case cases[] = {
      {kColors + "\"Background\"=dword:00000000\n\n" + kDesktop + "\"Wallpaper\"=\"w\"\n",
       "Background", "vorher", -7},
      {kDesktop + "\"Wallpaper\"=hex:41\n", "Wallpaper", "vorher", -7},
      {kDesktop + "\"Wallpaper\"=\"w\"\n\"TileWallpaper\"=dword:00000001\n", "TileWallpaper", "w",
       -7},
      {kDesktop + "\"TileWallpaper\"=\"1\"\n\"WallpaperStyle\"=hex(2):00,00\n", "WallpaperStyle",
       "", 1},
  };
  for (const Case& c : cases) {
    DesktopRig rig;
    rig.WriteHive(c.hive);
    Out out;
    EXPECT_EQ(ReadError(rig, out),
              std::string("SettingsError : Ungültiger Datentyp für '") + c.name + "'");
    EXPECT_EQ(out.wallpaper, c.wallpaper) << c.name;
    EXPECT_EQ(out.tile, c.tile) << c.name;
    EXPECT_TRUE(rig.controls.events.empty());
  }
}

// The theme folder and the temporary folder of a rig, as the start-up sets them.
void SetThemeFolders(DesktopRig& rig) {
  rig.state.ThemesFolder = rig.dir.File("config") + "/Microsoft/Windows/Themes/";
  rig.state.TempFolder = rig.dir.File("tmp") + "/";
  fs::create_directories(rig.state.ThemesFolder);
  fs::create_directories(rig.state.TempFolder);
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(BackupThemeFiles, CopiesTheThemeFilesThatExistOverEarlierBackups) {
  DesktopRig rig;
  SetThemeFolders(rig);
  WriteText(rig.state.ThemesFolder + "Transcoded_000", "bild 0");
  WriteText(rig.state.ThemesFolder + "TranscodedWallpaper", "bild");
  WriteText(rig.state.TempFolder + "TranscodedWallpaper", "vom letzten Lauf");
  BackupThemeFiles(rig.d);
  EXPECT_EQ(ReadText(rig.state.TempFolder + "Transcoded_000"), "bild 0");
  EXPECT_EQ(ReadText(rig.state.TempFolder + "TranscodedWallpaper"), "bild");
  EXPECT_EQ(Names(rig.state.TempFolder),
            (std::vector<std::string>{"TranscodedWallpaper", "Transcoded_000"}));
  EXPECT_EQ(ReadText(rig.state.ThemesFolder + "TranscodedWallpaper"), "bild");
}

TEST(BackupThemeFiles, AFailedCopyIsNotReported) {
  DesktopRig rig;
  SetThemeFolders(rig);
  WriteText(rig.state.ThemesFolder + "Transcoded_000", "bild 0");
  WriteText(rig.state.ThemesFolder + "slideshow.ini", "[Slideshow]");
  fs::create_directories(rig.state.TempFolder + "Transcoded_000");  // a folder is in the way
  BackupThemeFiles(rig.d);
  EXPECT_EQ(ReadText(rig.state.TempFolder + "slideshow.ini"), "[Slideshow]");
  EXPECT_TRUE(fs::is_directory(rig.state.TempFolder + "Transcoded_000"));
  EXPECT_TRUE(rig.dialogs.messages.empty());
}

// A rig at exit: the desktop key, two backed-up theme files and a kept cache of 3 bytes.
struct ExitRig : DesktopRig {
  ExitRig() {
    WriteHive(kDesktop + "\"Wallpaper\"=\"/tmp/komponiert.jpg\"\n\"WallpaperStyle\"=\"0\"\n");
    SetThemeFolders(*this);
    for (const char* name : {"Transcoded_000", "TranscodedWallpaper"}) {
      WriteText(state.ThemesFolder + name, "vom System");
      WriteText(state.TempFolder + name, std::string("gesichert ") + name);
    }
    state.TranscodedImageCacheSize = 3;
    state.TranscodedImageCache[0] = 0x7a;
    state.TranscodedImageCache[1] = 0xc3;
    state.TranscodedImageCache[2] = 0x01;
  }
  std::string Value(const std::string& name) {
    const Hive hive = ParseHive(HiveText(), "t");
    const HiveValue* value = FindValue(hive.keys.at(0), name);
    if (value == nullptr) return "(missing)";
    if (value->type == ValueType::String) return value->text;
    std::string hex;
    for (std::uint8_t b : value->data) hex += std::to_string(b) + " ";
    return hex;
  }
};

TEST(SetOldWallpaper, WritesTheStartValuesRestoresTheFilesThenRefreshes) {
  ExitRig rig;
  // What the first pump sees: the settings written, the files not yet restored.
  std::string atFirstPump;
  rig.pump.Post([&] {
    atFirstPump = rig.Value("Wallpaper") + "|" + rig.Value("TranscodedImageCache") + "|" +
                  ReadText(rig.state.ThemesFolder + "Transcoded_000");
  });
  SetOldWallpaper(rig.d, "C:\\Users\\Jörg\\alt.jpg");
  EXPECT_EQ(atFirstPump, "C:\\Users\\Jörg\\alt.jpg|122 195 1 |vom System");
  for (const char* name : {"Transcoded_000", "TranscodedWallpaper"}) {
    EXPECT_EQ(ReadText(rig.state.ThemesFolder + name), std::string("gesichert ") + name);
  }
  EXPECT_TRUE(Names(rig.state.TempFolder).empty());
  EXPECT_FALSE(fs::exists(rig.state.ThemesFolder + "slideshow.ini"));
  EXPECT_EQ(rig.desktop.shown.size(), 1u);
  EXPECT_EQ(rig.desktop.Last().wallpaper, "C:\\Users\\Jörg\\alt.jpg");
  EXPECT_EQ(rig.pump.processCalls, 2);
  EXPECT_TRUE(rig.dialogs.messages.empty());
  EXPECT_EQ(rig.Value("WallpaperStyle"), "0");
}

TEST(SetOldWallpaper, WritesTheCacheOnlyWhenItsBytesWereRead) {
  struct Case {
    int size;
    const char* written;
  };
  const Case cases[] = {{-1, "(missing)"}, {801, "(missing)"}, {0, ""}, {3, "122 195 1 "}};
  for (const Case& c : cases) {
    ExitRig rig;
    rig.state.TranscodedImageCacheSize = c.size;
    SetOldWallpaper(rig.d, "alt.jpg");
    EXPECT_EQ(rig.Value("TranscodedImageCache"), c.written) << c.size;
    EXPECT_EQ(rig.Value("Wallpaper"), "alt.jpg");
    EXPECT_EQ(rig.desktop.shown.size(), 1u);
  }
}

TEST(SetOldWallpaper, ABackupWhoseCopyBackFailedIsKept) {
  struct Case {
    const char* blocked;
    int pumps;  // a failed copy of Transcoded_000 pumps once more
  };
  for (const Case& c : {Case{"Transcoded_000", 3}, Case{"TranscodedWallpaper", 2}}) {
    ExitRig rig;
    fs::remove(rig.state.ThemesFolder + c.blocked);
    fs::create_directories(rig.state.ThemesFolder + c.blocked + "/x");
    SetOldWallpaper(rig.d, "alt.jpg");
    EXPECT_EQ(Names(rig.state.TempFolder), std::vector<std::string>{c.blocked});
    EXPECT_EQ(rig.pump.processCalls, c.pumps) << c.blocked;
    EXPECT_TRUE(rig.dialogs.messages.empty());
    EXPECT_EQ(rig.desktop.shown.size(), 1u);
  }
}

TEST(SetOldWallpaper, WithoutTheDesktopKeyOnlyTheRefreshRuns) {
  ExitRig rig;
  rig.WriteHive(kColors + "\"Background\"=\"0 0 0\"\n");
  const std::string before = rig.HiveText();
  SetOldWallpaper(rig.d, "alt.jpg");
  EXPECT_EQ(rig.HiveText(), before);
  EXPECT_EQ(Names(rig.state.TempFolder),
            (std::vector<std::string>{"TranscodedWallpaper", "Transcoded_000"}));
  EXPECT_EQ(ReadText(rig.state.ThemesFolder + "Transcoded_000"), "vom System");
  EXPECT_EQ(rig.desktop.shown.size(), 1u);
  EXPECT_EQ(rig.pump.processCalls, 1);
  EXPECT_TRUE(rig.dialogs.messages.empty());
}

TEST(SetOldWallpaper, AFailureWhileRestoringFilesIsReportedAndTheRefreshStillRuns) {
  ExitRig rig;
  fs::remove(rig.state.ThemesFolder + "Transcoded_000");
  fs::create_directories(rig.state.ThemesFolder + "Transcoded_000/x");
  // A handler that fails inside the pump of the failed Transcoded_000 copy (the second pump).
  rig.pump.Post([&] { rig.pump.Post([] { throw FileReadError("kaputt"); }); });
  SetOldWallpaper(rig.d, "alt.jpg");
  EXPECT_EQ(rig.dialogs.messages,
            std::vector<std::string>{
                "Fehler beim Wiederherstellen der Slideshow-Dateien.\n\nFileReadError : kaputt"});
  // The rest of the block is skipped: TranscodedWallpaper stays backed up, not restored.
  EXPECT_EQ(ReadText(rig.state.ThemesFolder + "TranscodedWallpaper"), "vom System");
  EXPECT_EQ(Names(rig.state.TempFolder),
            (std::vector<std::string>{"TranscodedWallpaper", "Transcoded_000"}));
  EXPECT_EQ(rig.desktop.shown.size(), 1u);
  EXPECT_EQ(rig.pump.processCalls, 3);
}

TEST(SetOldWallpaper, OtherFailuresAreReportedAndEndIt) {
  {
    ExitRig rig;
    const std::string broken = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\n";
    WriteText(rig.store.HivePath(), broken);
    SetOldWallpaper(rig.d, "alt.jpg");
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_TRUE(
        rig.dialogs.messages[0].starts_with("SetOldWallpaper\n\nSettingsError : Registry-Datei \"" +
                                            rig.store.HivePath() + "\", Zeile 3: "))
        << rig.dialogs.messages[0];
    EXPECT_EQ(rig.HiveText(), broken);
    EXPECT_TRUE(rig.desktop.shown.empty());
    EXPECT_EQ(Names(rig.state.TempFolder).size(), 2u);
  }
  {
    // The hive breaks while the first pump runs: the files are restored, the refresh fails
    // and the last pump is skipped.
    ExitRig rig;
    rig.pump.Post([&] { WriteText(rig.store.HivePath(), "kaputt"); });
    SetOldWallpaper(rig.d, "alt.jpg");
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_TRUE(rig.dialogs.messages[0].starts_with("SetOldWallpaper\n\nSettingsError : "));
    EXPECT_TRUE(Names(rig.state.TempFolder).empty());
    EXPECT_TRUE(rig.desktop.shown.empty());
    EXPECT_EQ(rig.pump.processCalls, 1);
  }
}

}  // namespace
}  // namespace tapisto
