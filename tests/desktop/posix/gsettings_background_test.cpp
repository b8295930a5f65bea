// The desktops that keep their background in GSettings (GNOME, Cinnamon, MATE), through GIO
// with the keyfile backend in a scratch folder and the installed schemas. GIO keeps its backend
// for the life of a process, so every use of it runs in a child made for the one step.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "desktop/posix/handover/gsettings_background.h"
#include "desktop/posix/handover/running_desktop.h"
#include "desktop_rig.h"
#include "desktop_session.h"

namespace tapisto::test {
namespace {

struct GSettingsDesktop {
  const char* currentDesktop;  // XDG_CURRENT_DESKTOP of its session
  const GSettingsBackground& where;
  const char* group;  // the schema's group in the keyfile
  const char* package;
};
const GSettingsDesktop kDesktops[] = {
    {"GNOME", kGnomeBackground, "[org/gnome/desktop/background]", "gsettings-desktop-schemas"},
    {"X-Cinnamon", kCinnamonBackground, "[org/cinnamon/desktop/background]",
     "cinnamon-desktop-data"},
    {"MATE", kMateBackground, "[org/mate/desktop/background]", "mate-desktop-common"},
};
void PrintTo(const GSettingsDesktop& desktop, std::ostream* out) {
  *out << desktop.where.desktopName;
}
std::string Shown(const RequestedDesktop& v) {
  return v.wallpaper + "|" + v.wallpaperStyle + "|" + v.tileWallpaper + "|" + v.background;
}

// The refresh of `hive` in a child, `values` written first when given; its failure lines.
std::string RefreshInChild(const std::string& hive, const RequestedDesktop* values,
                           FreshHiveSeed seed = {}) {
  const std::string report = hive + ".failures";
  EXPECT_EQ(RunInChild([&] {
              PosixSettingsStore store(hive, seed);
              Hive h = store.Load();
              if (values != nullptr) {
                PutDesktopValues(h, *values);
                store.Save(h);
              }
              RunningDesktop desktop;
              PosixRefresh refresh(store, &desktop);
              refresh.Refresh();
              std::string lines;
              for (const std::string& line : refresh.LastFailures()) lines += line + "\n";
              WriteText(report, lines);
            }),
            "");
  return ReadText(report);
}

class GSettingsSession : public testing::TestWithParam<GSettingsDesktop> {
 protected:
  void SetUp() override {
    const std::string missing = RunInChild([] { GSettingsHandOver(GetParam().where).ReadShown(); });
    if (!missing.empty()) GTEST_SKIP() << missing << " (Debian: " << GetParam().package << ")";
  }
  std::string KeyfilePath() const { return dir.File("config") + "/glib-2.0/settings/keyfile"; }
  // `key` of the desktop's group in the keyfile as GVariant text; "<unset>" when not there.
  std::string Key(const std::string& key) const {
    const std::string text = ReadText(KeyfilePath());
    const std::size_t group = text.find(std::string(GetParam().group) + "\n");
    const std::size_t at = text.find("\n" + key + "=", group), start = at + key.size() + 2;
    if (group == std::string::npos || at == std::string::npos || at > text.find("\n[", group)) {
      return "<unset>";
    }
    return text.substr(start, text.find('\n', start) - start);
  }
  std::string PictureKey() const { return Key(GetParam().where.pictureKey); }
  // What the picture key holds for `file`, as the keyfile quotes it.
  std::string Named(const std::string& file) const {
    return "'" + (GetParam().where.pictureIsUri ? "file://" + file : file) + "'";
  }
  std::string Refresh(const RequestedDesktop& values) {
    return RefreshInChild(dir.File("hive.reg"), &values);
  }
  // A first start's hive, seeded from the running desktop in a child.
  Hive FirstStartHive() {
    const std::string path = dir.File("first/HKCU.reg");
    std::filesystem::remove(path);
    EXPECT_EQ(RunInChild([&] { PosixSettingsStore(path, SeedFromRunningDesktop).Load(); }), "");
    return ParseHive(ReadText(path), path);
  }
  std::string Seeded() {
    Hive hive = FirstStartHive();
    return Shown(DesktopValuesOf(hive));
  }

  TempDir dir;
  ScopedEnv backend{"GSETTINGS_BACKEND", "keyfile"};
  ScopedEnv config{"XDG_CONFIG_HOME", dir.File("config")};
  ScopedEnv session{"XDG_CURRENT_DESKTOP", GetParam().currentDesktop};
  ScopedEnv display{"DISPLAY", std::nullopt};  // the X server is not asked here
  ScopedEnv sway{"SWAYSOCK", std::nullopt};
};

TEST_P(GSettingsSession, EachStyleWritesItsPictureOptionsAndTheSeedReadsItBack) {
  const std::string picture = dir.File("Berg.jpg");
  const char* dark = GetParam().where.darkPictureKey;
  const char* rows[][3] = {{"10", "0", "'zoom'"},     {"6", "0", "'scaled'"},
                           {"2", "0", "'stretched'"}, {"22", "0", "'spanned'"},
                           {"0", "1", "'wallpaper'"}, {"0", "0", "'centered'"}};
  for (const auto& [style, tile, options] : rows) {
    SCOPED_TRACE(options);
    const RequestedDesktop values{picture, style, tile, "58 110 165"};
    EXPECT_EQ(Refresh(values), "");
    EXPECT_EQ(PictureKey(), Named(picture));
    EXPECT_EQ(dark != nullptr ? Key(dark) : Named(picture), Named(picture));
    EXPECT_EQ(Key("picture-options"), options);
    EXPECT_EQ(Key("primary-color"), "'#3a6ea5'");
    EXPECT_EQ(Key("color-shading-type"), "'solid'");
    EXPECT_EQ(Seeded(), Shown(values));
  }
}

TEST_P(GSettingsSession, ThePictureIsNamedExactlyAndAbsoluteAndNoneShowsTheColourAlone) {
  Refresh({dir.File("Bild mit #, % und \"ä\" l'été.png"), "10", "0", "0 0 0"});
  // The keyfile quotes a text holding ' in double quotes, a " in it escaped.
  EXPECT_EQ(PictureKey(), GetParam().where.pictureIsUri
                              ? "\"file://" +
                                    dir.File("Bild%20mit%20%23,%20%25%20und%20%22%C3%A4%22%20l'%"
                                             "C3%A9t%C3%A9.png") +
                                    "\""
                              : "\"" + dir.File("Bild mit #, % und \\\"ä\\\" l'été.png") + "\"");
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  Refresh({"relativ.jpg", "10", "0", "0 0 0"});
  std::filesystem::current_path(before);
  EXPECT_EQ(PictureKey(), Named(dir.File("relativ.jpg")));

  Refresh({"", "10", "0", "255 128 0"});
  EXPECT_EQ(PictureKey(), "''");
  // MATE's picture-options has no "none": the empty picture alone shows the colour.
  EXPECT_EQ(Key("picture-options"), GetParam().where.hasNoneOption ? "'none'" : "'zoom'");
  EXPECT_EQ(Key("primary-color"), "'#ff8000'");
  EXPECT_EQ(Seeded(), "|10|0|255 128 0");
}

TEST_P(GSettingsSession, AFirstStartTakesWhatTheDesktopShowsOnlyWhenItIsALocalFile) {
  const std::string head = std::string(GetParam().group) + "\n" + GetParam().where.pictureKey;
  WriteText(KeyfilePath(), head + "=" + Named("/srv/Bilder/Berg See.jpg") +
                               "\npicture-options='wallpaper'\nprimary-color='#3A6EA5'\n");
  EXPECT_EQ(Seeded(), "/srv/Bilder/Berg See.jpg|0|1|58 110 165");
  if (GetParam().where.pictureIsUri) {
    WriteText(KeyfilePath(), head + "='resource:///org/gnome/bild.png'\npicture-options='zoom'\n");
    EXPECT_TRUE(Seeded().starts_with("|10|")) << Seeded();
  }
  // An existing hive is never seeded again.
  const std::string path = dir.File("HKCU.reg");
  const std::string text =
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"Wallpaper\"=\"/a.bmp\"\n\n";
  WriteText(path, text);
  EXPECT_EQ(RunInChild([&] { PosixSettingsStore(path, SeedFromRunningDesktop).Load(); }), "");
  EXPECT_EQ(ReadText(path), text);
}

TEST_P(GSettingsSession, AMissingSchemaIsOneFailureLineAndTheHiveIsStillWritten) {
  ScopedEnv dataDirs("XDG_DATA_DIRS", dir.File("empty-share"));
  ScopedEnv schemaDir("GSETTINGS_SCHEMA_DIR", std::nullopt);
  EXPECT_EQ(Refresh({dir.File("Berg.jpg"), "10", "0", "1 2 3"}),
            std::string("Der Desktop ") + GetParam().where.desktopName +
                " hat das Hintergrundbild nicht übernommen: Das GSettings-Schema " +
                GetParam().where.schema + " ist nicht installiert\n");
  EXPECT_NE(ReadText(dir.File("hive.reg")).find("Berg.jpg"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(KeyfilePath()));
  EXPECT_EQ(FormatHive(FirstStartHive()), FormatHive(FreshDesktopProfile()));
}

INSTANTIATE_TEST_SUITE_P(Desktops, GSettingsSession, testing::ValuesIn(kDesktops),
                         [](const auto& param) { return param.param.where.desktopName; });

TEST(GSettingsAbsent, ASessionOfNoGSettingsDesktopWritesNoSettings) {
  TempDir dir;
  ScopedEnv config("XDG_CONFIG_HOME", dir.File("config")), display("DISPLAY", std::nullopt),
      sway("SWAYSOCK", std::nullopt), backend("GSETTINGS_BACKEND", std::nullopt);
  for (const std::optional<std::string>& desktop :
       {std::optional<std::string>("Openbox"), std::optional<std::string>()}) {
    ScopedEnv session("XDG_CURRENT_DESKTOP", desktop);
    const std::string hive = dir.File(desktop.value_or("none") + ".reg");
    const std::string failures = RefreshInChild(hive, nullptr, SeedFromRunningDesktop);
    EXPECT_EQ(std::count(failures.begin(), failures.end(), '\n'), 1) << failures;
    EXPECT_FALSE(std::filesystem::exists(dir.File("config/glib-2.0/settings/keyfile")));
    EXPECT_EQ(ReadText(hive), FormatHive(FreshDesktopProfile()));
  }
}

}  // namespace
}  // namespace tapisto::test
