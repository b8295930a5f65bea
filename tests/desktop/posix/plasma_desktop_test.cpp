// KDE Plasma through a stand-in of its shell on a private session bus, its scripts run in node
// against a mock of Plasma's scripting API. Every step runs in a child process, keeping the
// hand-over's D-Bus connection and GIO out of this one.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "desktop/posix/handover/json_value.h"
#include "desktop/posix/handover/plasma_handover.h"
#include "desktop/posix/handover/running_desktop.h"
#include "desktop_rig.h"
#include "desktop_session.h"

namespace tapisto::test {
namespace {

class PlasmaSession : public testing::Test {
 protected:
  TempDir dir;
  const std::string desktops = dir.File("desktops.json");
  void SetUp() override {
    if (FindOnPath("node").empty()) GTEST_SKIP() << "node is not installed (Debian: nodejs)";
    // One desktop shows an image, one a slide show, and one of another activity the picture of
    // the day.
    WriteText(desktops, R"({"desktops": [{"wallpaperPlugin": "org.kde.image", "config":
  {"Wallpaper/org.kde.image/General": {"Image": "file:///alt.jpg", "FillMode": 6}}},
 {"wallpaperPlugin": "org.kde.slideshow", "config": {"Wallpaper/org.kde.slideshow/General": {}}},
 {"wallpaperPlugin": "org.kde.potd", "config": {}}]})");
  }

  // The hand-over in a child: "" when it was taken, else "exception: " and the failure line.
  std::string Show(const RequestedDesktop& request) {
    return RunInChild([&] {
      for (const std::string& line : RunningDesktop().Show(request)) throw std::runtime_error(line);
    });
  }

  // "plugin Image FillMode Color" of each desktop, read from the group of the plugin it shows.
  std::vector<std::string> Shown() const {
    std::vector<std::string> shown;
    const std::optional<JsonValue> state = ParseJson(ReadText(desktops));
    if (!state || state->Member("desktops") == nullptr) return {"unreadable"};
    for (const JsonValue& desktop : state->Member("desktops")->items) {
      std::string line = desktop.StringMember("wallpaperPlugin").value_or("?");
      const JsonValue* found = desktop.Member("config")->Member("Wallpaper/" + line + "/General");
      const JsonValue group = found != nullptr ? *found : JsonValue{};
      for (const char* key : {"Image", "FillMode", "Color"}) {
        const std::optional<long long> number = group.IntegerMember(key);
        line += " " + (number ? std::to_string(*number) : group.StringMember(key).value_or("-"));
      }
      shown.push_back(line);
    }
    return shown;
  }

  ScopedEnv session{"XDG_CURRENT_DESKTOP", "KDE"};
  ScopedEnv noOtherDesktop[3]{
      {"SWAYSOCK", std::nullopt}, {"GSETTINGS_BACKEND", std::nullopt}, {"DISPLAY", std::nullopt}};
  PrivateSessionBus bus{dir.File("bus")};
  ServiceProcess shell{{TAPISTO_PLASMA_STANDIN, dir.path().string(), TAPISTO_PLASMA_MOCK}, 3};
};

TEST_F(PlasmaSession, EveryDesktopShowsThePictureAndTheSeedReadsItBack) {
  const std::string picture = dir.File("Bild mit 'Quote' \"doppelt\" ä #1.jpg");
  const std::string url =
      "file://" + dir.File("Bild%20mit%20'Quote'%20%22doppelt%22%20%C3%A4%20%231.jpg");
  // Each row: the style and tile given, the FillMode shown ("-": the colour alone, no picture),
  // and the style the seed gives back (span comes back as fill).
  for (const char* row :
       {"10 0 2 10", "6 0 1 6", "2 0 0 2", "22 0 2 10", "0 1 3 0", "0 0 6 0", "10 0 - 10"}) {
    SCOPED_TRACE(row);
    std::string style, tile, fillMode, seedStyle;
    std::istringstream(row) >> style >> tile >> fillMode >> seedStyle;
    const std::string file = fillMode == "-" ? "" : picture;
    ASSERT_EQ(Show({file, style, tile, "58 110 165"}), "");
    EXPECT_EQ(Shown(), std::vector<std::string>(
                           3, file.empty() ? "org.kde.color - - #3a6ea5"
                                           : "org.kde.image " + url + " " + fillMode + " #3a6ea5"));
    const std::string path = dir.File(std::string(row) + "/HKCU.reg");
    ASSERT_EQ(RunInChild([&] { PosixSettingsStore(path, SeedFromRunningDesktop).Load(); }), "");
    Hive hive = ParseHive(ReadText(path), path);
    const RequestedDesktop s = DesktopValuesOf(hive);
    EXPECT_EQ(s.wallpaper + "|" + s.wallpaperStyle + "|" + s.tileWallpaper + "|" + s.background,
              file + "|" + seedStyle + "|" + tile + "|58 110 165");
  }
}

TEST_F(PlasmaSession, ARefusalOrAnUnreachableShellIsAFailureLine) {
  for (const bool locked : {true, false}) {
    if (locked) WriteText(dir.File("refuse"), "Widgets are locked");
    std::optional<ScopedEnv> address;
    if (!locked) address.emplace("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + dir.File("nichts"));
    const std::string line = Show({dir.File("a.jpg"), "10", "0", "1 2 3"});
    EXPECT_TRUE(line.starts_with(
        "exception: Der Desktop KDE Plasma hat das Hintergrundbild nicht übernommen: "))
        << line;
    EXPECT_NE(line.find(locked ? "Widgets are locked" : "D-Bus"), std::string::npos) << line;
    std::filesystem::remove(dir.File("refuse"));
  }
  EXPECT_EQ(Shown()[0], "org.kde.image file:///alt.jpg 6 -");  // nothing was changed
}

TEST(PlasmaScript, TextBecomesAJavaScriptLiteral) {
  EXPECT_EQ(JsStringLiteral("a\\b\"c'd\ne\r\tf\x01g\u2028h\u2029ä"),
            R"("a\\b\"c\'d\ne\r\tf\x01g\u2028h\u2029ä")");
  // A seed reads older plain paths and KConfig colours too, and nothing of another plugin.
  const ShownDesktop plain = ShownFromPlasmaOutput(
      R"({"plugin":"org.kde.image","image":"/srv/a b.jpg","fillMode":"3","color":"58,110,165"})");
  EXPECT_EQ(plain.picture, "/srv/a b.jpg");
  EXPECT_EQ(plain.style, DesktopStyle::Tile);
  EXPECT_EQ(plain.background, ComposeRgb(58, 110, 165));
  const ShownDesktop other = ShownFromPlasmaOutput(R"({"plugin":"org.kde.potd","color":"#fff"})");
  EXPECT_FALSE(other.picture || other.style || other.background);
}

}  // namespace
}  // namespace tapisto::test
