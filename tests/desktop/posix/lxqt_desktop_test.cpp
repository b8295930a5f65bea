// LXQt through a stand-in `pcmanfm-qt` on PATH that records its argument vector: the
// arguments for each style and for a path with blanks, quotes and umlauts; a failing or
// missing program as a failure line; and pcmanfm-qt's settings file seeding a fresh hive.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "desktop/posix/handover/lxqt_handover.h"
#include "desktop/posix/handover/running_desktop.h"
#include "desktop/posix/hive/posix_settings_store.h"
#include "desktop_rig.h"
#include "desktop_session.h"

namespace tapisto::test {
namespace {

class LxqtSession : public testing::Test {
 protected:
  void SetUp() override {
    // The stand-in writes each argument followed by a NUL byte, and fails while "fail" exists.
    const std::string program = dir.File("bin/pcmanfm-qt");
    WriteText(program, "#!/bin/sh\n[ -e '" + dir.File("fail") + "' ] && exit 1\n" +
                           "printf '%s\\0' \"$@\" > '" + dir.File("arguments") + "'\n");
    ::chmod(program.c_str(), 0755);
  }

  // The arguments the stand-in was given last.
  std::vector<std::string> Arguments() const {
    std::vector<std::string> arguments;
    const std::string text = ReadText(dir.File("arguments"));
    for (std::size_t start = 0, end; (end = text.find('\0', start)) != std::string::npos;
         start = end + 1) {
      arguments.push_back(text.substr(start, end - start));
    }
    return arguments;
  }

  // The program's hand-over to the session's desktop; "" when it was taken, else the line.
  static std::string Show(const RequestedDesktop& request) {
    const std::vector<std::string> lines = RunningDesktop().Show(request);
    return lines.empty() ? "" : lines.front();
  }

  TempDir dir;
  ScopedEnv programs{"PATH", dir.File("bin") + ":/usr/bin:/bin"};
  ScopedEnv config{"XDG_CONFIG_HOME", dir.File("config")};
  ScopedEnv session{"XDG_CURRENT_DESKTOP", "LXQt"};
  ScopedEnv noSway{"SWAYSOCK", std::nullopt};
  ScopedEnv noBackend{"GSETTINGS_BACKEND", std::nullopt};
  ScopedEnv noDisplay{"DISPLAY", std::nullopt};
};

TEST_F(LxqtSession, EachStyleIsHandedToPcmanfmQtAsOneArgumentVector) {
  const std::string picture = dir.File("Bild mit 'Quote' \"doppelt\" äöü $HOME; *.jpg");
  struct Row {
    const char* style;
    const char* tile;
    std::string file;
    std::vector<std::string> arguments;
  };
  for (const Row& row : {
           Row{"10", "0", picture, {"--set-wallpaper", picture, "--wallpaper-mode", "zoom"}},
           Row{"22", "0", picture, {"--set-wallpaper", picture, "--wallpaper-mode", "zoom"}},
           Row{"6", "0", picture, {"--set-wallpaper", picture, "--wallpaper-mode", "fit"}},
           Row{"2", "0", picture, {"--set-wallpaper", picture, "--wallpaper-mode", "stretch"}},
           Row{"0", "1", picture, {"--set-wallpaper", picture, "--wallpaper-mode", "tile"}},
           Row{"0", "0", picture, {"--set-wallpaper", picture, "--wallpaper-mode", "center"}},
           Row{"10", "0", "", {"--wallpaper-mode", "color"}},
       }) {
    SCOPED_TRACE(row.arguments.back());
    EXPECT_EQ(Show({row.file, row.style, row.tile, "1 2 3"}), "");
    EXPECT_EQ(Arguments(), row.arguments);
  }
}

TEST_F(LxqtSession, AFailingOrMissingPcmanfmQtIsAFailureLine) {
  WriteText(dir.File("fail"), "");
  struct Row {
    const char* name;
    std::string path, reason;
  };
  for (const Row& row : {Row{"exit 1", dir.File("bin"), "endete mit dem Status 1"},
                         Row{"not installed", dir.File("leer"), "lässt sich nicht starten"}}) {
    SCOPED_TRACE(row.name);
    ScopedEnv onlyThere("PATH", row.path);
    const std::string line = Show({dir.File("a.jpg"), "10", "0", "1 2 3"});
    EXPECT_TRUE(line.starts_with("Der Desktop LXQt hat das Hintergrundbild nicht übernommen: "))
        << line;
    EXPECT_NE(line.find(row.reason), std::string::npos) << line;
  }
}

TEST_F(LxqtSession, AFirstStartTakesWhatPcmanfmQtsSettingsShow) {
  const std::string settings = dir.File("config/pcmanfm-qt/lxqt/settings.conf");
  struct Row {
    const char* name;
    std::string text;
    RequestedDesktop seeded;
  };
  Hive freshHive = FreshDesktopProfile();
  const RequestedDesktop fresh = DesktopValuesOf(freshHive);
  for (const Row& row : {
           Row{"a picture, quoted with escapes as Qt writes it",
               "[Behavior]\nWallpaper=/falsch.jpg\n\n[Desktop]\nBgColor=#3a6ea5\n"
               "Wallpaper=\"/srv/Bilder/Berg, \\\"See\\\" \\x4e16.jpg\"\nWallpaperMode=tile\n",
               {"/srv/Bilder/Berg, \"See\" \xE4\xB8\x96.jpg", "0", "1", "58 110 165"}},
           Row{"the colour alone",
               "[Desktop]\nBgColor=#010203\nWallpaper=/a.jpg\nWallpaperMode=color\n",
               {"", fresh.wallpaperStyle, fresh.tileWallpaper, "1 2 3"}},
           Row{"no settings file", "", fresh},
       }) {
    SCOPED_TRACE(row.name);
    if (row.text.empty()) {
      std::filesystem::remove(settings);
    } else {
      WriteText(settings, row.text);
    }
    const std::string path = dir.File("first/HKCU.reg");
    std::filesystem::remove(path);
    PosixSettingsStore(path, SeedFromRunningDesktop).Load();
    Hive hive = ParseHive(ReadText(path), path);
    const RequestedDesktop seeded = DesktopValuesOf(hive);
    EXPECT_EQ(seeded.wallpaper, row.seeded.wallpaper);
    EXPECT_EQ(seeded.wallpaperStyle, row.seeded.wallpaperStyle);
    EXPECT_EQ(seeded.tileWallpaper, row.seeded.tileWallpaper);
    EXPECT_EQ(seeded.background, row.seeded.background);
    // Reading never writes.
    EXPECT_EQ(ReadText(settings), row.text);
  }

  // A named pipe in the settings file's place is refused at once, never waited on: the first
  // start keeps the fresh values.
  std::filesystem::remove(settings);
  ASSERT_EQ(::mkfifo(settings.c_str(), 0600), 0);
  const std::string path = dir.File("fifo/HKCU.reg");
  PosixSettingsStore(path, SeedFromRunningDesktop).Load();
  Hive hive = ParseHive(ReadText(path), path);
  EXPECT_EQ(DesktopValuesOf(hive).wallpaper, fresh.wallpaper);
  EXPECT_EQ(DesktopValuesOf(hive).background, fresh.background);
}

}  // namespace
}  // namespace tapisto::test
