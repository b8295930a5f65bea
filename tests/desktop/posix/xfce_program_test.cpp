// The Linux program end to end on Xfce: the real Tapisto process on a private X server, with
// the real xfconfd on a private session bus, driven by keyboard through xdotool (XTEST, as a
// user's keys arrive). Its first start seeds its hive from Xfce; a typed path and a style
// picked in the list reach Xfce's settings.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "desktop_rig.h"
#include "desktop_session.h"
#include "image/bmp.h"
#include "support/run_program.h"
#include "xfce_session.h"

namespace tapisto::test {
namespace {

#ifdef TAPISTO_PROGRAM_PATH

class XfceProgram : public testing::Test {
 protected:
  void SetUp() override {
    if (XfconfdPath().empty() || !XvfbInstalled() || FindOnPath("xdotool").empty()) {
      GTEST_SKIP() << "xfconfd, Xvfb or xdotool is not installed (Debian: xfconf, xvfb, xdotool)";
    }
  }

  // Runs xdotool on the private display; its output.
  std::string XDoTool(const std::vector<std::string>& args) {
    const ProgramResult r = RunProgram(FindOnPath("xdotool"), args, dir.File("xdotool"));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.out;
  }

  // Waits up to 20 s until `property` reads `expected`; what it read last.
  std::string Await(const XfceSession& xfce, const std::string& property,
                    const std::string& expected) {
    std::string value;
    for (int i = 0; i < 200; ++i) {
      value = xfce.Get(property).value_or("<unset>");
      if (value == expected) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return value;
  }

  TempDir dir;
  ScopedEnv home{"HOME", dir.File("home")};
  ScopedEnv config{"XDG_CONFIG_HOME", dir.File("home/.config")};
  ScopedEnv runtime{"XDG_RUNTIME_DIR", std::nullopt};
  ScopedEnv session{"XDG_CURRENT_DESKTOP", "XFCE"};
  ScopedEnv sway{"SWAYSOCK", std::nullopt};
  ScopedEnv backend{"GSETTINGS_BACKEND", std::nullopt};
  ScopedEnv platform{"QT_QPA_PLATFORM", "xcb"};
};

TEST_F(XfceProgram, ATypedPathAndAPickedStyleReachXfce) {
  XvfbServer server("1024x768x24");
  ScopedEnv display("DISPLAY", server.DisplayName());
  XfceSession xfce(dir.File("xfce"));
  // Xfce shows a picture on Xvfb's one output, "screen", which the first start takes.
  const std::string group = "/backdrop/screen0/monitorscreen/workspace0/";
  xfce.Set(group + "last-image", "string", {"/srv/alt.jpg"});
  xfce.Set(group + "image-style", "int", {"5"});
  xfce.Set(group + "rgba1", "double", {"0", "0.5", "1", "1"});
  const std::string picture = dir.File("Berg See.bmp");
  WriteBmpFile(Raster(16, 12, ComposeRgb(200, 40, 40)), picture);

  ServiceProcess program({TAPISTO_PROGRAM_PATH});
  std::string window;
  for (int i = 0; i < 200 && window.empty(); ++i) {
    const ProgramResult found =
        RunProgram(FindOnPath("xdotool"), {"search", "--name", "^Tapisto Ver"}, dir.File("find"));
    window = found.out.substr(0, found.out.find('\n'));
    if (window.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_FALSE(window.empty()) << "Tapisto's window did not appear";
  const std::string hive = ReadText(dir.File("home/.config/tapisto/HKCU.reg"));
  EXPECT_NE(hive.find("\"Wallpaper\"=\"/srv/alt.jpg\""), std::string::npos) << hive;
  EXPECT_NE(hive.find("\"Background\"=\"0 128 255\""), std::string::npos) << hive;

  // The file field has the focus; the seeded path in it is replaced by the typed one, which
  // is applied with the seeded style ("ausfüllen", Xfce's zoom).
  XDoTool({"windowfocus", "--sync", window});
  XDoTool({"key", "ctrl+a"});
  XDoTool({"type", "--delay", "5", picture});
  EXPECT_EQ(Await(xfce, group + "last-image", picture), picture);
  EXPECT_EQ(Await(xfce, group + "image-style", "5"), "5");
  // Three steps on, past the file button and "Zurücksetzen", is the style list; the entry
  // below "ausfüllen" is "anpassen", Xfce's scaled.
  XDoTool({"key", "Tab", "Tab", "Tab", "Down"});
  EXPECT_EQ(Await(xfce, group + "image-style", "4"), "4");
  EXPECT_EQ(xfce.Get(group + "rgba1"), "0.000000\n0.501961\n1.000000\n1.000000");
  EXPECT_TRUE(program.Running());
}

#endif

}  // namespace
}  // namespace tapisto::test
