// KDE Plasma through a stand-in of its shell on a private session bus: the script the
// program hands to evaluateScript runs in node against a mock of Plasma's scripting API, and
// the desktops it leaves behind are checked; the reader script seeds a fresh hive; a refusal
// of the shell comes back as a failure line.
//
// The hand-over's D-Bus connection and GIO stay out of this process: every step runs in a
// child process.
#include <gtest/gtest.h>

#include <filesystem>

#include "desktop/posix/handover/json_value.h"
#include "desktop/posix/handover/plasma_handover.h"
#include "desktop/posix/handover/running_desktop.h"
#include "desktop/posix/hive/posix_settings_store.h"
#include "desktop_rig.h"
#include "desktop_session.h"

namespace tapisto::test {
namespace {

// Three desktop containments: the first screen's, showing the image wallpaper; the second
// screen's, showing a slide show; and one of another activity (screen -1), showing the
// picture of the day.
constexpr const char* kDesktops = R"({"desktops": [
 {"screen": 0, "activity": "a", "wallpaperPlugin": "org.kde.image",
  "config": {"Wallpaper/org.kde.image/General": {"Image": "file:///alt.jpg", "FillMode": 6}}},
 {"screen": 1, "activity": "a", "wallpaperPlugin": "org.kde.slideshow",
  "config": {"Wallpaper/org.kde.slideshow/General": {"SlidePaths": "/srv"}}},
 {"screen": -1, "activity": "b", "wallpaperPlugin": "org.kde.potd", "config": {}}]})";

class PlasmaSession : public testing::Test {
 protected:
  void SetUp() override {
    if (FindOnPath("node").empty()) GTEST_SKIP() << "node is not installed (Debian: nodejs)";
    WriteText(Desktops(), kDesktops);
    bus = std::make_unique<PrivateSessionBus>(dir.File("bus"));
    shell = std::make_unique<ServiceProcess>(
        std::vector<std::string>{TAPISTO_PLASMA_STANDIN, dir.path().string(), TAPISTO_PLASMA_MOCK},
        3);
  }

  std::string Desktops() const { return dir.File("desktops.json"); }

  // The program's hand-over to the session's desktop in a child; "" when it was taken, else
  // the failure line.
  std::string Show(const RequestedDesktop& request) {
    const std::string failure = RunInChild([&] {
      const std::vector<std::string> lines = RunningDesktop().Show(request);
      if (!lines.empty()) throw std::runtime_error(lines.front());
    });
    const std::string prefix = "exception: ";
    return failure.starts_with(prefix) ? failure.substr(prefix.size()) : failure;
  }

  // A first start's values, seeded from the running desktop in a child.
  RequestedDesktop Seeded() {
    const std::string path = dir.File("first/HKCU.reg");
    std::filesystem::remove(path);
    EXPECT_EQ(RunInChild([&] { PosixSettingsStore(path, SeedFromRunningDesktop).Load(); }), "");
    Hive hive = ParseHive(ReadText(path), path);
    return DesktopValuesOf(hive);
  }

  // "plugin Image FillMode Color" of each desktop as the scripts left it, the keys read from
  // the group of the plugin it shows.
  std::vector<std::string> Shown() const {
    std::vector<std::string> shown;
    const std::optional<JsonValue> state = ParseJson(ReadText(Desktops()));
    if (!state || state->Member("desktops") == nullptr) return {"unreadable"};
    for (const JsonValue& desktop : state->Member("desktops")->items) {
      const std::string plugin = desktop.StringMember("wallpaperPlugin").value_or("?");
      const JsonValue* config = desktop.Member("config");
      const JsonValue* group =
          config != nullptr ? config->Member("Wallpaper/" + plugin + "/General") : nullptr;
      std::string line = plugin;
      for (const char* key : {"Image", "FillMode", "Color"}) {
        const JsonValue* value = group != nullptr ? group->Member(key) : nullptr;
        line += " ";
        if (value == nullptr) {
          line += "-";
        } else if (value->kind == JsonValue::Kind::Number) {
          line += std::to_string(static_cast<int>(value->number));
        } else {
          line += value->text;
        }
      }
      shown.push_back(line);
    }
    return shown;
  }

  TempDir dir;
  ScopedEnv session{"XDG_CURRENT_DESKTOP", "KDE"};
  ScopedEnv noSway{"SWAYSOCK", std::nullopt};
  ScopedEnv noBackend{"GSETTINGS_BACKEND", std::nullopt};
  ScopedEnv noDisplay{"DISPLAY", std::nullopt};
  std::unique_ptr<PrivateSessionBus> bus;
  std::unique_ptr<ServiceProcess> shell;
};

TEST_F(PlasmaSession, EveryDesktopShowsThePictureAndTheSeedReadsItBack) {
  const std::string picture = dir.File("Bild mit 'Quote' \"doppelt\" ä #1.jpg");
  const std::string url =
      "file://" + dir.File("Bild%20mit%20'Quote'%20%22doppelt%22%20%C3%A4%20%231.jpg");
  struct Row {
    const char* name;
    const char* style;
    const char* tile;
    std::string shown;
    const char* seedStyle;  // the style values the seed gives back: span comes back as fill
  };
  for (const Row& row : {
           Row{"fill", "10", "0", "org.kde.image " + url + " 2 #3a6ea5", "10"},
           Row{"fit", "6", "0", "org.kde.image " + url + " 1 #3a6ea5", "6"},
           Row{"stretch", "2", "0", "org.kde.image " + url + " 0 #3a6ea5", "2"},
           Row{"span, as fill", "22", "0", "org.kde.image " + url + " 2 #3a6ea5", "10"},
           Row{"tile", "0", "1", "org.kde.image " + url + " 3 #3a6ea5", "0"},
           Row{"centre", "0", "0", "org.kde.image " + url + " 6 #3a6ea5", "0"},
           Row{"no picture: the colour alone", "10", "0", "org.kde.color - - #3a6ea5", "10"},
       }) {
    SCOPED_TRACE(row.name);
    const std::string file = row.shown.starts_with("org.kde.color") ? "" : picture;
    ASSERT_EQ(Show({file, row.style, row.tile, "58 110 165"}), "");
    EXPECT_EQ(Shown(), std::vector<std::string>(3, row.shown));

    const RequestedDesktop seeded = Seeded();
    EXPECT_EQ(seeded.wallpaper, file);
    EXPECT_EQ(seeded.wallpaperStyle, row.seedStyle);
    EXPECT_EQ(seeded.tileWallpaper, row.tile);
    EXPECT_EQ(seeded.background, "58 110 165");
  }
}

TEST_F(PlasmaSession, ARefusalOrAnUnreachableShellIsAFailureLine) {
  struct Row {
    const char* name;
    std::optional<std::string> refusal, address;
    const char* reason;
  };
  for (const Row& row : {
           Row{"widgets locked", "Widgets are locked", std::nullopt, "Widgets are locked"},
           Row{"no session bus", std::nullopt, "unix:path=" + dir.File("nichts"), "D-Bus"},
       }) {
    SCOPED_TRACE(row.name);
    if (row.refusal) WriteText(dir.File("refuse"), *row.refusal);
    std::optional<ScopedEnv> address;
    if (row.address) address.emplace("DBUS_SESSION_BUS_ADDRESS", *row.address);
    const std::string line = Show({dir.File("a.jpg"), "10", "0", "1 2 3"});
    EXPECT_TRUE(
        line.starts_with("Der Desktop KDE Plasma hat das Hintergrundbild nicht übernommen: "))
        << line;
    EXPECT_NE(line.find(row.reason), std::string::npos) << line;
    std::filesystem::remove(dir.File("refuse"));
  }
  // Nothing was changed.
  EXPECT_EQ(Shown()[0], "org.kde.image file:///alt.jpg 6 -");
}

TEST(PlasmaScript, TextBecomesAJavaScriptLiteral) {
  EXPECT_EQ(JsStringLiteral("a\\b\"c'd\ne\r\tf\x01g\u2028h\u2029ä"),
            R"("a\\b\"c\'d\ne\r\tf\x01g\u2028h\u2029ä")");
  // A seed reads the older plain paths and the KConfig colours too, and nothing of another
  // plugin.
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
