// LXQt through a stand-in `pcmanfm-qt` on PATH that records its arguments, and pcmanfm-qt's
// settings file seeding a fresh hive.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include "desktop/posix/handover/lxqt_handover.h"
#include "desktop/posix/handover/running_desktop.h"
#include "desktop_rig.h"
#include "desktop_session.h"

namespace tapisto::test {
namespace {

class LxqtSession : public testing::Test {
 protected:
  void SetUp() override {
    // The stand-in writes each argument in brackets, and fails while "fail" exists.
    const std::string program = dir.File("bin/pcmanfm-qt");
    WriteText(program, "#!/bin/sh\n[ -e '" + dir.File("fail") + "' ] && exit 1\n" +
                           "printf '[%s]' \"$@\" > '" + dir.File("arguments") + "'\n");
    ::chmod(program.c_str(), 0755);
  }

  TempDir dir;
  ScopedEnv programs{"PATH", dir.File("bin") + ":/usr/bin:/bin"};
  ScopedEnv config{"XDG_CONFIG_HOME", dir.File("config")};
  ScopedEnv session{"XDG_CURRENT_DESKTOP", "LXQt"};
  ScopedEnv noOtherDesktop[3]{
      {"SWAYSOCK", std::nullopt}, {"GSETTINGS_BACKEND", std::nullopt}, {"DISPLAY", std::nullopt}};
};

TEST_F(LxqtSession, EachStyleIsHandedToPcmanfmQtAsOneArgumentVector) {
  const std::string pic = dir.File("Bild mit 'Quote' \"doppelt\" äöü $HOME; *.jpg");
  // Each row: style, tile and the mode handed over; the colour alone hands over no picture.
  for (const char* row : {"10 0 zoom", "22 0 zoom", "6 0 fit", "2 0 stretch", "0 1 tile",
                          "0 0 center", "10 0 color"}) {
    SCOPED_TRACE(row);
    std::string style, tile, mode;
    std::istringstream(row) >> style >> tile >> mode;
    const std::string file = mode == "color" ? "" : pic;
    EXPECT_EQ(RunningDesktop().Show({file, style, tile, "1 2 3"}), std::vector<std::string>{});
    EXPECT_EQ(ReadText(dir.File("arguments")),
              (file.empty() ? "" : "[--set-wallpaper][" + pic + "]") + "[--wallpaper-mode][" +
                  mode + "]");
  }
}

TEST_F(LxqtSession, AFailingOrMissingPcmanfmQtIsAFailureLine) {
  WriteText(dir.File("fail"), "");
  for (const auto& [path, reason] : {std::pair{dir.File("bin"), "endete mit dem Status 1"},
                                     std::pair{dir.File("leer"), "lässt sich nicht starten"}}) {
    ScopedEnv onlyThere("PATH", path);
    const std::string line = RunningDesktop().Show({dir.File("a.jpg"), "10", "0", "1 2 3"}).at(0);
    EXPECT_TRUE(line.starts_with("Der Desktop LXQt hat das Hintergrundbild nicht übernommen: "))
        << line;
    EXPECT_NE(line.find(reason), std::string::npos) << line;
  }
}

TEST_F(LxqtSession, AFirstStartTakesWhatPcmanfmQtsSettingsShow) {
  const std::string settings = dir.File("config/pcmanfm-qt/lxqt/settings.conf");
  Hive freshHive = FreshDesktopProfile();
  const RequestedDesktop fresh = DesktopValuesOf(freshHive);
  const auto values = [](const RequestedDesktop& d) {
    return d.wallpaper + "|" + d.wallpaperStyle + "|" + d.tileWallpaper + "|" + d.background;
  };
  // Each row: the settings file ("" none, "fifo" a named pipe, refused at once, never waited
  // on) and what a first start takes from it.
  for (const auto& [text, seeded] : std::vector<std::pair<std::string, RequestedDesktop>>{
           {"[Behavior]\nWallpaper=/falsch.jpg\n\n[Desktop]\nBgColor=#3a6ea5\n"
            "Wallpaper=\"/srv/Bilder/Berg, \\\"See\\\" \\x4e16.jpg\"\nWallpaperMode=tile\n",
            {"/srv/Bilder/Berg, \"See\" \xE4\xB8\x96.jpg", "0", "1", "58 110 165"}},
           {"[Desktop]\nBgColor=#010203\nWallpaper=/a.jpg\nWallpaperMode=color\n",
            {"", fresh.wallpaperStyle, fresh.tileWallpaper, "1 2 3"}},
           {"", fresh},
           {"fifo", fresh}}) {
    SCOPED_TRACE(text);
    std::filesystem::remove(settings);
    if (text == "fifo") {
      ASSERT_EQ(::mkfifo(settings.c_str(), 0600), 0);
    } else if (!text.empty()) {
      WriteText(settings, text);
    }
    const std::string path = dir.File("first/HKCU.reg");
    std::filesystem::remove(path);
    PosixSettingsStore(path, SeedFromRunningDesktop).Load();
    Hive hive = ParseHive(ReadText(path), path);
    EXPECT_EQ(values(DesktopValuesOf(hive)), values(seeded));
    if (text != "fifo") {
      EXPECT_EQ(ReadText(settings), text);  // reading never writes
    }
  }
}

}  // namespace
}  // namespace tapisto::test
