// The GNOME background settings through GIO, with the keyfile backend in a scratch folder and
// the installed schema: the keys each refresh writes, and a fresh hive seeded from them.
//
// GIO keeps its settings backend and folders for the life of a process, so every use of it
// runs in a child process made for the one step; this process never loads a backend.
#include <gtest/gtest.h>

#include <filesystem>

#include "desktop/posix/handover/gnome_background.h"
#include "desktop/posix/handover/posix_refresh.h"
#include "desktop/posix/handover/running_desktop.h"
#include "desktop/posix/hive/posix_settings_store.h"
#include "desktop_rig.h"
#include "desktop_session.h"

namespace tapisto::test {
namespace {

const std::string kGroup = "[org/gnome/desktop/background]";

class GnomeSession : public testing::Test {
 protected:
  void SetUp() override {
    const std::string missing = RunInChild([] {
      if (!GnomeBackgroundAvailable()) throw std::runtime_error("schema missing");
    });
    if (!missing.empty()) {
      GTEST_SKIP() << "the schema org.gnome.desktop.background is not installed "
                      "(Debian: gsettings-desktop-schemas)";
    }
  }

  // The keyfile backend's file.
  std::string KeyfilePath() const { return dir.File("config") + "/glib-2.0/settings/keyfile"; }

  // The text of `key` in the background's group of the keyfile, as GVariant text; "<unset>"
  // when the file or the key is not there.
  std::string Key(const std::string& key) const {
    const std::string text = ReadText(KeyfilePath());
    const std::size_t group = text.find(kGroup + "\n");
    if (group == std::string::npos) return "<unset>";
    const std::size_t end = text.find("\n[", group + 1);
    const std::string body = text.substr(group, end == std::string::npos ? end : end - group);
    const std::size_t at = body.find("\n" + key + "=");
    if (at == std::string::npos) return "<unset>";
    const std::size_t start = at + key.size() + 2;
    return body.substr(start, body.find('\n', start) - start);
  }

  void WriteKeyfile(const std::string& lines) const {
    WriteText(KeyfilePath(), kGroup + "\n" + lines);
  }

  // The program's refresh of these settings, run in a child.
  void Refresh(const RequestedDesktop& values) {
    const std::string hive = dir.File("hive.reg");
    EXPECT_EQ(RunInChild([&] {
                PosixSettingsStore store(hive);
                Hive h = store.Load();
                PutDesktopValues(h, values);
                store.Save(h);
                RunningDesktop desktop;
                PosixRefresh(store, &desktop).Refresh();
              }),
              "");
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
  ScopedEnv session{"XDG_CURRENT_DESKTOP", std::nullopt};
  ScopedEnv display{"DISPLAY", std::nullopt};  // the X server is not asked here
};

TEST_F(GnomeSession, EachStyleWritesItsPictureOptionsAndTheSeedReadsItBack) {
  const std::string picture = dir.File("Berg.jpg");
  const std::string uri = "'file://" + picture + "'";
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
    Refresh(values);
    EXPECT_EQ(Key("picture-uri"), uri);
    EXPECT_EQ(Key("picture-uri-dark"), uri);
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

TEST_F(GnomeSession, ThePictureBecomesAnEscapedFileUri) {
  Refresh({dir.File("Bild mit #, % und ä.png"), "6", "0", "0 0 0"});
  EXPECT_EQ(Key("picture-uri"),
            "'file://" + dir.File("Bild%20mit%20%23,%20%25%20und%20%C3%A4.png") + "'");

  // A relative path is taken from the working folder.
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  Refresh({"relativ.jpg", "6", "0", "0 0 0"});
  std::filesystem::current_path(before);
  EXPECT_EQ(Key("picture-uri"), "'file://" + dir.File("relativ.jpg") + "'");
}

TEST_F(GnomeSession, NoWallpaperShowsTheColourAlone) {
  Refresh({dir.File("Berg.jpg"), "10", "0", "1 2 3"});
  Refresh({"", "10", "0", "255 128 0"});
  EXPECT_EQ(Key("picture-uri"), "''");
  EXPECT_EQ(Key("picture-options"), "'none'");
  EXPECT_EQ(Key("primary-color"), "'#ff8000'");
}

TEST_F(GnomeSession, AFirstStartTakesWhatTheDesktopShows) {
  WriteKeyfile(
      "picture-uri='file:///srv/Bilder/Berg%20See.jpg'\n"
      "picture-options='wallpaper'\nprimary-color='#3A6EA5'\n");
  Hive seeded = FirstStartHive();
  const RequestedDesktop values = DesktopValuesOf(seeded);
  EXPECT_EQ(values.wallpaper, "/srv/Bilder/Berg See.jpg");
  EXPECT_EQ(values.wallpaperStyle, "0");
  EXPECT_EQ(values.tileWallpaper, "1");
  EXPECT_EQ(values.background, "58 110 165");

  // GNOME showing no picture: no wallpaper, the fresh profile's style kept.
  WriteKeyfile(
      "picture-uri='file:///srv/a.jpg'\npicture-options='none'\nprimary-color='#000000'\n");
  Hive none = FirstStartHive();
  EXPECT_EQ(DesktopValuesOf(none).wallpaper, "");
  EXPECT_EQ(DesktopValuesOf(none).wallpaperStyle, "10");
  EXPECT_EQ(DesktopValuesOf(none).background, "0 0 0");
}

TEST_F(GnomeSession, AnExistingHiveIsNotSeededAgain) {
  WriteKeyfile("picture-uri='file:///srv/neu.jpg'\npicture-options='zoom'\n");
  const std::string path = dir.File("HKCU.reg");
  const std::string text =
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"Wallpaper\"=\"/alt.bmp\"\n\n";
  WriteText(path, text);
  EXPECT_EQ(RunInChild([&] { PosixSettingsStore(path, SeedFromRunningDesktop).Load(); }), "");
  EXPECT_EQ(ReadText(path), text);
}

TEST_F(GnomeSession, AWallpaperGnomeDoesNotKeepAsAFileSeedsNone) {
  WriteKeyfile("picture-uri='resource:///org/gnome/bild.png'\npicture-options='zoom'\n");
  Hive seeded = FirstStartHive();
  EXPECT_EQ(DesktopValuesOf(seeded).wallpaper, "");
  EXPECT_EQ(DesktopValuesOf(seeded).wallpaperStyle, "10");
}

TEST(GnomeAbsent, WithoutTheSchemaOrTheSessionNothingIsWrittenOrSeeded) {
  TempDir dir;
  ScopedEnv config("XDG_CONFIG_HOME", dir.File("config"));
  ScopedEnv display("DISPLAY", std::nullopt);
  ScopedEnv schemaDir("GSETTINGS_SCHEMA_DIR", std::nullopt);
  const std::string keyfile = dir.File("config") + "/glib-2.0/settings/keyfile";
  struct Row {
    const char* name;
    std::optional<std::string> backend, desktop, dataDirs;
  };
  for (const Row& row : {
           // The keyfile backend chosen, but no schema in the data folders.
           Row{"no schema", "keyfile", "GNOME", dir.File("empty-share")},
           // A desktop that does not use the GNOME background, nor an explicit backend.
           Row{"another desktop", std::nullopt, "KDE", std::nullopt},
           Row{"no desktop named", std::nullopt, std::nullopt, std::nullopt},
       }) {
    SCOPED_TRACE(row.name);
    ScopedEnv backend("GSETTINGS_BACKEND", row.backend);
    ScopedEnv session("XDG_CURRENT_DESKTOP", row.desktop);
    ScopedEnv dataDirs("XDG_DATA_DIRS", row.dataDirs);
    const std::string hive = dir.File(std::string(row.name) + ".reg");
    EXPECT_EQ(RunInChild([&] {
                if (GnomeBackgroundAvailable()) throw std::runtime_error("available");
                if (WriteGnomeBackground({"/a.jpg", DesktopStyle::Fill, 0})) {
                  throw std::runtime_error("written");
                }
                if (ReadGnomeBackground()) throw std::runtime_error("read");
                PosixSettingsStore store(hive, SeedFromRunningDesktop);
                store.Load();
                RunningDesktop desktop;
                PosixRefresh(store, &desktop).Refresh();
              }),
              "");
    EXPECT_FALSE(std::filesystem::exists(keyfile));
    EXPECT_EQ(ReadText(hive), FormatHive(FreshDesktopProfile()));
  }
}

}  // namespace
}  // namespace tapisto::test
