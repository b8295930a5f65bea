// Xfce's desktop through the real xfconfd on a private session bus, read and written with
// xfconf-query: what a refresh writes into every group, groups made where there are none, the
// seed, tapisto-tool set, no xfconfd, and the program end to end, keys typed by xdotool.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "desktop/posix/handover/running_desktop.h"
#include "desktop_rig.h"
#include "desktop_session.h"
#include "image/bmp.h"
#include "support/picture_files.h"
#include "support/run_program.h"

namespace tapisto::test {
namespace {

// xfconfd's path from the xfconf package, under the multiarch library folder; "" when absent.
std::string XfconfdPath() {
  std::error_code error;
  for (const auto& lib : std::filesystem::directory_iterator("/usr/lib", error)) {
    const std::string path = (lib.path() / "xfce4/xfconf/xfconfd").string();
    if (::access(path.c_str(), X_OK) == 0) return path;
  }
  return "";
}

std::string Group(const std::string& monitor, int workspace) {
  return "/backdrop/screen0/monitor" + monitor + "/workspace" + std::to_string(workspace) + "/";
}
std::string Shown(const RequestedDesktop& v) {
  return v.wallpaper + "|" + v.wallpaperStyle + "|" + v.tileWallpaper + "|" + v.background;
}

// A private session bus with xfconfd on it, keeping its channels in the test's folder.
class XfceDesktop : public testing::Test {
 protected:
  void SetUp() override {
    if (XfconfdPath().empty() || FindOnPath("xfconf-query").empty() ||
        FindOnPath("dbus-daemon").empty()) {
      GTEST_SKIP() << "xfconfd, xfconf-query or dbus-daemon is not installed "
                      "(Debian: xfconf, libxfconf-0-3, dbus-daemon)";
    }
    bus.emplace(dir.File("bus"));
    xfconfd.emplace(std::vector<std::string>{XfconfdPath()}, -1,
                    std::vector<std::string>{"XDG_CONFIG_HOME=" + dir.File("xfconf"), "DISPLAY"});
    for (int i = 0; i < 500 && xfconfd->Running(); ++i) {
      const ProgramResult owner = RunProgram(
          FindOnPath("dbus-send"),
          {"--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
           "org.freedesktop.DBus.NameHasOwner", "string:org.xfce.Xfconf"},
          dir.File("query"));
      if (owner.out.find("boolean true") != std::string::npos) return;
      ::usleep(10000);
    }
    FAIL() << "xfconfd did not take its name on the bus";
  }
  // `property` of xfce4-desktop, an array one item a line; "<unset>" when it is not set.
  std::string Value(const std::string& property) const {
    const ProgramResult r = RunProgram(FindOnPath("xfconf-query"),
                                       {"-c", "xfce4-desktop", "-p", property}, dir.File("query"));
    if (r.exitCode != 0) return "<unset>";
    std::string text = r.out;
    // An array comes as "Value is an array with N items:", a blank line, then the items.
    if (text.starts_with("Value is an array")) text.erase(0, text.find("\n\n") + 2);
    while (text.ends_with('\n')) text.pop_back();
    return text;
  }
  // Creates or changes `property` as `type`; several values make an array.
  void Set(const std::string& property, const std::string& type,
           const std::vector<std::string>& values) const {
    std::vector<std::string> args{"-c", "xfce4-desktop", "-p", property, "-n"};
    for (const std::string& value : values) args.insert(args.end(), {"-t", type, "-s", value});
    const ProgramResult r = RunProgram(FindOnPath("xfconf-query"), args, dir.File("query"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }
  // The refresh after writing `values` to the hive; the failure lines it reported.
  std::vector<std::string> Refresh(const RequestedDesktop& values) {
    PosixSettingsStore store(HivePath());
    Hive hive = store.Load();
    PutDesktopValues(hive, values);
    store.Save(hive);
    RunningDesktop desktop;
    PosixRefresh refresh(store, &desktop);
    refresh.Refresh();
    return refresh.LastFailures();
  }
  RequestedDesktop FirstStartValues() {
    const std::string path = dir.File("first/HKCU.reg");
    std::filesystem::remove(path);
    Hive hive = PosixSettingsStore(path, SeedFromRunningDesktop).Load();
    return DesktopValuesOf(hive);
  }
  std::string HivePath() const { return dir.File("config/tapisto/HKCU.reg"); }
  // Reads `property` every 100 ms for up to 20 s until it is `expected`; what it read last.
  std::string Await(const std::string& property, const std::string& expected) const {
    std::string value = Value(property);
    for (int i = 0; i < 200 && value != expected; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      value = Value(property);
    }
    return value;
  }

  TempDir dir;
  ScopedEnv home{"HOME", dir.File("home")};
  ScopedEnv config{"XDG_CONFIG_HOME", dir.File("config")};
  ScopedEnv session{"XDG_CURRENT_DESKTOP", "XFCE"};
  ScopedEnv display{"DISPLAY", std::nullopt};
  ScopedEnv sway{"SWAYSOCK", std::nullopt};
  ScopedEnv backend{"GSETTINGS_BACKEND", std::nullopt};
  std::optional<PrivateSessionBus> bus;
  std::optional<ServiceProcess> xfconfd;
};

TEST_F(XfceDesktop, EachStyleReachesEveryGroupAndTheSeedReadsItBack) {
  const std::vector<std::string> groups{Group("HDMI-1", 0), Group("HDMI-1", 1), Group("DP-2", 0),
                                        Group("DP-2", 1)};
  for (const std::string& group : groups) Set(group + "last-image", "string", {group});
  Set(groups[2] + "image-style", "int", {"2"});
  Set(groups[2] + "rgba1", "double", {"1", "0.5", "0", "1"});
  // Without a display the seed reads workspace 0 of the monitor first by name.
  EXPECT_EQ(Shown(FirstStartValues()), groups[2] + "|0|1|255 128 0");
  const std::string picture = dir.File("Bild mit \"Anführung\" und l'été.jpg");
  // style, tile, Xfce's image-style
  const char* rows[][3] = {{"10", "0", "5"}, {"6", "0", "4"}, {"0", "1", "2"},
                           {"0", "0", "1"},  {"2", "0", "3"}, {"22", "0", "6"}};
  for (const auto& [style, tile, imageStyle] : rows) {
    SCOPED_TRACE(imageStyle);
    const RequestedDesktop values{picture, style, tile, "58 110 165"};
    EXPECT_EQ(Refresh(values), std::vector<std::string>{});
    for (const std::string& group : groups) {
      EXPECT_EQ(Value(group + "last-image"), picture) << group;
      EXPECT_EQ(Value(group + "image-style"), imageStyle) << group;
      EXPECT_EQ(Value(group + "color-style"), "0") << group;
      EXPECT_EQ(Value(group + "rgba1"), "0.227451\n0.431373\n0.647059\n1.000000") << group;
    }
    EXPECT_EQ(Shown(FirstStartValues()), Shown(values));
  }
}

TEST_F(XfceDesktop, AChannelWithoutGroupsGetsOnePerMonitorOfTheDisplay) {
  if (FindOnPath("Xvfb").empty()) GTEST_SKIP() << "Xvfb is not installed (Debian: xvfb)";
  XvfbServer server("64x48x24");
  ScopedEnv shown("DISPLAY", server.DisplayName());
  // Xvfb names its one output "screen".
  EXPECT_EQ(Refresh({dir.File("Berg.jpg"), "6", "0", "255 128 0"}), std::vector<std::string>{});
  EXPECT_EQ(Value(Group("screen", 0) + "last-image"), dir.File("Berg.jpg"));
  EXPECT_EQ(Value(Group("screen", 0) + "image-style"), "4");
  EXPECT_EQ(Value(Group("screen", 0) + "rgba1"), "1.000000\n0.501961\n0.000000\n1.000000");
}

// Without a display, the one group made is monitor0's.
TEST_F(XfceDesktop, SetComposesAndXfceShowsItThenNoPictureKeepsTheLastImage) {
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

  EXPECT_EQ(Refresh({"", "10", "0", "0 0 255"}), std::vector<std::string>{});
  EXPECT_EQ(Value(Group("0", 0) + "image-style"), "0");
  EXPECT_EQ(Value(Group("0", 0) + "last-image"), composed);
  EXPECT_EQ(Value(Group("0", 0) + "rgba1"), "0.000000\n0.000000\n1.000000\n1.000000");
  EXPECT_EQ(Shown(FirstStartValues()), "|10|0|0 0 255");
}

TEST_F(XfceDesktop, WithoutXfconfdTheHiveIsWrittenAndTheFailureSaid) {
  xfconfd.reset();  // the bus stays, with no settings service on it
  const std::vector<std::string> lines = Refresh({dir.File("Berg.jpg"), "10", "0", "0 0 0"});
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(lines[0].starts_with(
      "Der Desktop Xfce hat das Hintergrundbild nicht übernommen: org.xfce.Xfconf "))
      << lines[0];
  EXPECT_NE(ReadText(HivePath()).find(dir.File("Berg.jpg")), std::string::npos);
}

#ifdef TAPISTO_PROGRAM_PATH
using XfceProgram = XfceDesktop;
TEST_F(XfceProgram, ATypedPathAndAPickedStyleReachXfce) {
  if (FindOnPath("Xvfb").empty() || FindOnPath("xdotool").empty()) {
    GTEST_SKIP() << "Xvfb or xdotool is not installed (Debian: xvfb, xdotool)";
  }
  ScopedEnv runtime("XDG_RUNTIME_DIR", std::nullopt), platform("QT_QPA_PLATFORM", "xcb");
  XvfbServer server("1024x768x24");
  ScopedEnv shown("DISPLAY", server.DisplayName());
  const auto xdotool = [&](const std::vector<std::string>& args) {
    const ProgramResult r = RunProgram(FindOnPath("xdotool"), args, dir.File("xdotool"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
  };
  // Xfce shows a picture on Xvfb's one output, "screen", which the first start takes.
  const std::string group = "/backdrop/screen0/monitorscreen/workspace0/";
  Set(group + "last-image", "string", {"/srv/alt.jpg"});
  Set(group + "image-style", "int", {"5"});
  Set(group + "rgba1", "double", {"0", "0.5", "1", "1"});
  const std::string picture = dir.File("Berg See.bmp");
  WriteBmpFile(Raster(16, 12, ComposeRgb(200, 40, 40)), picture);

  ServiceProcess program({TAPISTO_PROGRAM_PATH});
  // xdotool waits for the window; timeout bounds the wait at 20 s.
  const std::string found =
      RunProgram(FindOnPath("timeout"),
                 {"20", FindOnPath("xdotool"), "search", "--sync", "--name", "^Tapisto Ver"},
                 dir.File("find"))
          .out;
  const std::string window = found.substr(0, found.find('\n'));
  ASSERT_FALSE(window.empty()) << "Tapisto's window did not appear";
  const std::string hive = ReadText(HivePath());
  EXPECT_NE(hive.find("\"Wallpaper\"=\"/srv/alt.jpg\""), std::string::npos) << hive;
  EXPECT_NE(hive.find("\"Background\"=\"0 128 255\""), std::string::npos) << hive;

  // The file field has the focus; the typed path replaces the seeded one and is applied with
  // the seeded style ("ausfüllen", Xfce's zoom). Three Tabs on, past the file button and
  // "Zurücksetzen", is the style list; below "ausfüllen" is "anpassen", Xfce's scaled.
  xdotool({"windowfocus", "--sync", window, "key", "ctrl+a", "type", "--delay", "5", picture});
  EXPECT_EQ(Await(group + "last-image", picture), picture);
  EXPECT_EQ(Await(group + "image-style", "5"), "5");
  xdotool({"key", "Tab", "Tab", "Tab", "Down"});
  EXPECT_EQ(Await(group + "image-style", "4"), "4");
  EXPECT_EQ(Value(group + "rgba1"), "0.000000\n0.501961\n1.000000\n1.000000");
  EXPECT_TRUE(program.Running());
}

#endif

}  // namespace
}  // namespace tapisto::test
