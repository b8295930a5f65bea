// Xfce's desktop through the real xfconfd on a private session bus: the properties each
// refresh writes into every background group, groups made where there are none, a fresh hive
// seeded from the first monitor, a composition through tapisto-tool set, and no xfconfd.
#include <gtest/gtest.h>

#include <filesystem>

#include "desktop/posix/handover/posix_refresh.h"
#include "desktop/posix/handover/running_desktop.h"
#include "desktop/posix/hive/posix_settings_store.h"
#include "desktop_rig.h"
#include "desktop_session.h"
#include "support/picture_files.h"
#include "support/run_program.h"
#include "xfce_session.h"

namespace tapisto::test {
namespace {

std::string Group(const std::string& monitor, int workspace) {
  return "/backdrop/screen0/monitor" + monitor + "/workspace" + std::to_string(workspace) + "/";
}

// The session of an Xfce desktop, with or without its settings service.
class XfceDesktop : public testing::Test {
 protected:
  void SetUp() override {
    if (XfconfdPath().empty() || FindOnPath("xfconf-query").empty() ||
        FindOnPath("dbus-daemon").empty()) {
      GTEST_SKIP() << "xfconfd, xfconf-query or dbus-daemon is not installed "
                      "(Debian: xfconf, libxfconf-0-3, dbus-daemon)";
    }
  }
  void StartXfconfd() { xfce = std::make_unique<XfceSession>(dir.File("xfce")); }

  // The program's refresh after writing `values` to the hive; the lines it reported.
  std::vector<std::string> Refresh(const RequestedDesktop& values) {
    PosixSettingsStore store(HivePath());
    Hive hive = store.Load();
    PutDesktopValues(hive, values);
    store.Save(hive);
    RunningDesktop desktop;
    std::vector<std::string> lines;
    PosixRefresh(store, &desktop, [&](const std::string& line) {
      lines.push_back(line);
    }).Refresh();
    return lines;
  }

  RequestedDesktop FirstStartValues() {
    const std::string path = dir.File("first/HKCU.reg");
    std::filesystem::remove(path);
    Hive hive = PosixSettingsStore(path, SeedFromRunningDesktop).Load();
    return DesktopValuesOf(hive);
  }

  std::string HivePath() const { return dir.File("config/tapisto/HKCU.reg"); }
  std::string Value(const std::string& property) const {
    return xfce->Get(property).value_or("<unset>");
  }

  TempDir dir;
  ScopedEnv home{"HOME", dir.File("home")};
  ScopedEnv config{"XDG_CONFIG_HOME", dir.File("config")};
  ScopedEnv session{"XDG_CURRENT_DESKTOP", "XFCE"};
  ScopedEnv display{"DISPLAY", std::nullopt};
  ScopedEnv sway{"SWAYSOCK", std::nullopt};
  ScopedEnv backend{"GSETTINGS_BACKEND", std::nullopt};
  std::unique_ptr<XfceSession> xfce;
};

TEST_F(XfceDesktop, EachStyleReachesEveryGroupAndTheSeedReadsItBack) {
  StartXfconfd();
  const std::vector<std::string> groups{Group("HDMI-1", 0), Group("HDMI-1", 1), Group("DP-2", 0)};
  for (const std::string& group : groups) xfce->Set(group + "last-image", "string", {"/alt.jpg"});
  const std::string picture = dir.File("Bild mit \"Anführung\" und l'été.jpg");
  struct Row {
    const char* style;
    const char* tile;
    const char* imageStyle;
  };
  for (const Row row : {Row{"10", "0", "5"}, Row{"6", "0", "4"}, Row{"0", "1", "2"},
                        Row{"0", "0", "1"}, Row{"2", "0", "3"}, Row{"22", "0", "6"}}) {
    SCOPED_TRACE(row.imageStyle);
    const RequestedDesktop values{picture, row.style, row.tile, "58 110 165"};
    EXPECT_EQ(Refresh(values), std::vector<std::string>{});
    for (const std::string& group : groups) {
      EXPECT_EQ(Value(group + "last-image"), picture) << group;
      EXPECT_EQ(Value(group + "image-style"), row.imageStyle) << group;
      EXPECT_EQ(Value(group + "color-style"), "0") << group;
      EXPECT_EQ(Value(group + "rgba1"), "0.227451\n0.431373\n0.647059\n1.000000") << group;
    }
    const RequestedDesktop back = FirstStartValues();
    EXPECT_EQ(back.wallpaper, values.wallpaper);
    EXPECT_EQ(back.wallpaperStyle, values.wallpaperStyle);
    EXPECT_EQ(back.tileWallpaper, values.tileWallpaper);
    EXPECT_EQ(back.background, values.background);
  }
}

TEST_F(XfceDesktop, AChannelWithoutGroupsGetsOnePerMonitorAndNoPictureKeepsTheLastImage) {
  StartXfconfd();
  struct Row {
    const char* name;
    bool xDisplay;
    const char* monitor;  // the output Xvfb names its one screen
  };
  for (const Row row : {Row{"no display", false, "0"}, Row{"Xvfb", true, "screen"}}) {
    SCOPED_TRACE(row.name);
    if (row.xDisplay && !XvfbInstalled()) continue;
    std::unique_ptr<XvfbServer> server;
    if (row.xDisplay) server = std::make_unique<XvfbServer>("64x48x24");
    ScopedEnv shown("DISPLAY", server ? std::optional(server->DisplayName()) : std::nullopt);
    const std::string group = Group(row.monitor, 0);
    EXPECT_EQ(Refresh({dir.File("Berg.jpg"), "6", "0", "255 128 0"}), std::vector<std::string>{});
    EXPECT_EQ(Value(group + "last-image"), dir.File("Berg.jpg"));
    EXPECT_EQ(Value(group + "image-style"), "4");
    EXPECT_EQ(Value(group + "rgba1"), "1.000000\n0.501961\n0.000000\n1.000000");

    EXPECT_EQ(Refresh({"", "10", "0", "0 0 255"}), std::vector<std::string>{});
    EXPECT_EQ(Value(group + "image-style"), "0");
    EXPECT_EQ(Value(group + "last-image"), dir.File("Berg.jpg"));
    EXPECT_EQ(Value(group + "rgba1"), "0.000000\n0.000000\n1.000000\n1.000000");
    const RequestedDesktop seeded = FirstStartValues();
    EXPECT_EQ(seeded.wallpaper, "");
    EXPECT_EQ(seeded.background, "0 0 255");
    // Only the groups of the second row remain to be made.
    RunProgram(FindOnPath("xfconf-query"), {"-c", "xfce4-desktop", "-p", "/backdrop", "-r", "-R"},
               dir.File("reset"));
  }
}

TEST_F(XfceDesktop, AFirstStartReadsWorkspaceZeroOfTheFirstMonitor) {
  StartXfconfd();
  xfce->Set(Group("B", 0) + "last-image", "string", {"/b0.jpg"});
  xfce->Set(Group("A", 1) + "last-image", "string", {"/a1.jpg"});
  xfce->Set(Group("A", 0) + "last-image", "string", {"/bilder/a 0.jpg"});
  xfce->Set(Group("A", 0) + "image-style", "int", {"2"});
  xfce->Set(Group("A", 0) + "rgba1", "double", {"1", "0.5", "0", "1"});
  const RequestedDesktop seeded = FirstStartValues();
  EXPECT_EQ(seeded.wallpaper, "/bilder/a 0.jpg");
  EXPECT_EQ(seeded.wallpaperStyle, "0");
  EXPECT_EQ(seeded.tileWallpaper, "1");
  EXPECT_EQ(seeded.background, "255 128 0");
}

TEST_F(XfceDesktop, SetComposesWithOffsetsAndXfceShowsTheComposition) {
  StartXfconfd();
  WriteBytes(dir.File("Logo.png"), MakePng(PatternRgba(8, 8)));
  const ProgramResult r = RunProgram(TAPISTO_TOOL_PATH,
                                     {"set", "--style", "normal", "--x", "5", "--y", "3",
                                      "--screen", "64x48", dir.File("Logo.png")},
                                     dir.File("tool"));
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const std::string composed = dir.File("home/Documents/Meine Wallpapers/0Logo.jpg");
  EXPECT_TRUE(std::filesystem::exists(composed));
  EXPECT_EQ(Value(Group("0", 0) + "last-image"), composed);
  EXPECT_EQ(Value(Group("0", 0) + "image-style"), "1");
  EXPECT_NE(ReadText(HivePath()).find("\"Wallpaper\"=\"" + composed + "\""), std::string::npos);
}

// tapisto-tool set's exit 3 for a desktop that fails: tool_set_test.cpp.
TEST_F(XfceDesktop, WithoutXfconfdTheHiveIsWrittenAndTheFailureSaid) {
  PrivateSessionBus bus(dir.File("bus"));  // a bus, but no settings service on it
  const std::vector<std::string> lines = Refresh({dir.File("Berg.jpg"), "10", "0", "0 0 0"});
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(lines[0].starts_with(
      "Der Desktop Xfce hat das Hintergrundbild nicht übernommen: org.xfce.Xfconf "))
      << lines[0];
  EXPECT_NE(ReadText(HivePath()).find(dir.File("Berg.jpg")), std::string::npos);
}

}  // namespace
}  // namespace tapisto::test
