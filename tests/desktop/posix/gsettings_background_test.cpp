// The desktops that keep their background in GSettings (GNOME, Cinnamon, MATE) through GIO,
// with the keyfile backend in a scratch folder and the installed schemas: the keys each
// refresh writes, a fresh hive seeded from them, and a schema that is not installed.
//
// GIO keeps its settings backend and folders for the life of a process, so every use of it
// runs in a child process made for the one step; this process never loads a backend.
#include <gtest/gtest.h>

#include <filesystem>

#include "desktop/posix/handover/gsettings_background.h"
#include "desktop/posix/handover/posix_refresh.h"
#include "desktop/posix/handover/running_desktop.h"
#include "desktop/posix/hive/posix_settings_store.h"
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

class GSettingsSession : public testing::TestWithParam<GSettingsDesktop> {
 protected:
  void SetUp() override {
    const std::string missing = RunInChild([] { GSettingsHandOver(GetParam().where).ReadShown(); });
    if (!missing.empty()) GTEST_SKIP() << missing << " (Debian: " << GetParam().package << ")";
  }

  std::string KeyfilePath() const { return dir.File("config") + "/glib-2.0/settings/keyfile"; }

  // The text of `key` in the desktop's group of the keyfile, as GVariant text; "<unset>" when
  // the file or the key is not there.
  std::string Key(const std::string& key) const {
    const std::string text = ReadText(KeyfilePath());
    const std::size_t group = text.find(std::string(GetParam().group) + "\n");
    if (group == std::string::npos) return "<unset>";
    const std::size_t end = text.find("\n[", group + 1);
    const std::string body = text.substr(group, end == std::string::npos ? end : end - group);
    const std::size_t at = body.find("\n" + key + "=");
    if (at == std::string::npos) return "<unset>";
    const std::size_t start = at + key.size() + 2;
    return body.substr(start, body.find('\n', start) - start);
  }
  std::string PictureKey() const { return Key(GetParam().where.pictureKey); }
  // What the picture key holds for `file`, as the keyfile quotes it.
  std::string Named(const std::string& file) const {
    return "'" + (GetParam().where.pictureIsUri ? "file://" + file : file) + "'";
  }

  void WriteKeyfile(const std::string& pictureFile, const std::string& rest) const {
    WriteText(KeyfilePath(), std::string(GetParam().group) + "\n" + GetParam().where.pictureKey +
                                 "=" + Named(pictureFile) + "\n" + rest);
  }

  // The program's refresh of these settings, run in a child; the failure lines it reported.
  std::string Refresh(const RequestedDesktop& values) {
    const std::string hive = dir.File("hive.reg");
    std::string failures;
    const std::string report = dir.File("failures.txt");
    EXPECT_EQ(RunInChild([&] {
                PosixSettingsStore store(hive);
                Hive h = store.Load();
                PutDesktopValues(h, values);
                store.Save(h);
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

  // A first start's hive, seeded from the running desktop in a child.
  Hive FirstStartHive() {
    const std::string path = dir.File("first/HKCU.reg");
    std::filesystem::remove(path);
    EXPECT_EQ(RunInChild([&] { PosixSettingsStore(path, SeedFromRunningDesktop).Load(); }), "");
    return ParseHive(ReadText(path), path);
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
  struct Row {
    const char* style;
    const char* tile;
    const char* options;
  };
  for (const Row row :
       {Row{"10", "0", "'zoom'"}, Row{"6", "0", "'scaled'"}, Row{"2", "0", "'stretched'"},
        Row{"22", "0", "'spanned'"}, Row{"0", "1", "'wallpaper'"}, Row{"0", "0", "'centered'"}}) {
    SCOPED_TRACE(row.options);
    const RequestedDesktop values{picture, row.style, row.tile, "58 110 165"};
    EXPECT_EQ(Refresh(values), "");
    EXPECT_EQ(PictureKey(), Named(picture));
    if (GetParam().where.darkPictureKey != nullptr) {
      EXPECT_EQ(Key(GetParam().where.darkPictureKey), Named(picture));
    }
    EXPECT_EQ(Key("picture-options"), row.options);
    EXPECT_EQ(Key("primary-color"), "'#3a6ea5'");
    EXPECT_EQ(Key("color-shading-type"), "'solid'");

    Hive seeded = FirstStartHive();
    const RequestedDesktop back = DesktopValuesOf(seeded);
    EXPECT_EQ(back.wallpaper, values.wallpaper);
    EXPECT_EQ(back.wallpaperStyle, values.wallpaperStyle);
    EXPECT_EQ(back.tileWallpaper, values.tileWallpaper);
    EXPECT_EQ(back.background, values.background);
  }
}

TEST_P(GSettingsSession, ThePictureIsNamedExactlyAndAbsolute) {
  const bool uri = GetParam().where.pictureIsUri;
  Refresh({dir.File("Bild mit #, % und \"ä\" l'été.png"), "6", "0", "0 0 0"});
  // The keyfile quotes a text holding ' in double quotes, a " in it escaped.
  EXPECT_EQ(
      PictureKey(),
      uri ? "\"file://" +
                dir.File("Bild%20mit%20%23,%20%25%20und%20%22%C3%A4%22%20l'%C3%A9t%C3%A9.png") +
                "\""
          : "\"" + dir.File("Bild mit #, % und \\\"ä\\\" l'été.png") + "\"");

  // A relative path is taken from the working folder.
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  Refresh({"relativ.jpg", "6", "0", "0 0 0"});
  std::filesystem::current_path(before);
  EXPECT_EQ(PictureKey(), Named(dir.File("relativ.jpg")));
}

TEST_P(GSettingsSession, NoWallpaperShowsTheColourAlone) {
  Refresh({dir.File("Berg.jpg"), "10", "0", "1 2 3"});
  Refresh({"", "10", "0", "255 128 0"});
  EXPECT_EQ(PictureKey(), "''");
  // MATE's picture-options has no "none": the empty picture alone shows the colour.
  EXPECT_EQ(Key("picture-options"), GetParam().where.hasNoneOption ? "'none'" : "'zoom'");
  EXPECT_EQ(Key("primary-color"), "'#ff8000'");
  Hive seeded = FirstStartHive();
  EXPECT_EQ(DesktopValuesOf(seeded).wallpaper, "");
}

TEST_P(GSettingsSession, AFirstStartTakesWhatTheDesktopShows) {
  WriteKeyfile("/srv/Bilder/Berg See.jpg",
               "picture-options='wallpaper'\nprimary-color='#3A6EA5'\n");
  Hive seeded = FirstStartHive();
  const RequestedDesktop values = DesktopValuesOf(seeded);
  EXPECT_EQ(values.wallpaper, "/srv/Bilder/Berg See.jpg");
  EXPECT_EQ(values.wallpaperStyle, "0");
  EXPECT_EQ(values.tileWallpaper, "1");
  EXPECT_EQ(values.background, "58 110 165");

  // An existing hive is never seeded again.
  const std::string path = dir.File("HKCU.reg");
  const std::string text =
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"Wallpaper\"=\"/alt.bmp\"\n\n";
  WriteText(path, text);
  EXPECT_EQ(RunInChild([&] { PosixSettingsStore(path, SeedFromRunningDesktop).Load(); }), "");
  EXPECT_EQ(ReadText(path), text);
}

TEST_P(GSettingsSession, AWallpaperThatIsNoLocalFileSeedsNone) {
  if (!GetParam().where.pictureIsUri) GTEST_SKIP() << "a plain path is always a file";
  WriteText(KeyfilePath(), std::string(GetParam().group) +
                               "\npicture-uri='resource:///org/gnome/bild.png'\n"
                               "picture-options='zoom'\n");
  Hive seeded = FirstStartHive();
  EXPECT_EQ(DesktopValuesOf(seeded).wallpaper, "");
  EXPECT_EQ(DesktopValuesOf(seeded).wallpaperStyle, "10");
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
                         [](const testing::TestParamInfo<GSettingsDesktop>& param) {
                           return std::string(param.param.where.desktopName);
                         });

TEST(GSettingsAbsent, ASessionOfNoGSettingsDesktopWritesNoSettings) {
  TempDir dir;
  ScopedEnv config("XDG_CONFIG_HOME", dir.File("config"));
  ScopedEnv display("DISPLAY", std::nullopt);
  ScopedEnv sway("SWAYSOCK", std::nullopt);
  ScopedEnv backend("GSETTINGS_BACKEND", std::nullopt);
  const std::string keyfile = dir.File("config") + "/glib-2.0/settings/keyfile";
  for (const std::optional<std::string>& desktop :
       {std::optional<std::string>("Openbox"), std::optional<std::string>()}) {
    ScopedEnv session("XDG_CURRENT_DESKTOP", desktop);
    const std::string hive = dir.File(desktop.value_or("none") + ".reg");
    EXPECT_EQ(RunInChild([&] {
                PosixSettingsStore store(hive, SeedFromRunningDesktop);
                store.Load();
                RunningDesktop running;
                PosixRefresh refresh(store, &running);
                refresh.Refresh();
                if (refresh.LastFailures().size() != 1) throw std::runtime_error("no failure line");
              }),
              "");
    EXPECT_FALSE(std::filesystem::exists(keyfile));
    EXPECT_EQ(ReadText(hive), FormatHive(FreshDesktopProfile()));
  }
}

}  // namespace
}  // namespace tapisto::test
