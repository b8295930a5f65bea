#include "desktop/posix/hive/posix_settings_store.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "base/error.h"
#include "desktop_rig.h"
#include "image/file_io.h"
#include "support/file_size_limit.h"

namespace tapisto {
namespace {

namespace fs = std::filesystem;
using test::DesktopRig;
using test::FileSizeLimit;
using test::ReadText;
using test::ScopedEnv;
using test::TempDir;
using test::WriteText;

const std::string kDesktop = "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n";

std::vector<std::string> FolderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The hive's way of replacing a file.
void ReplaceFileAtomically(const std::string& path, std::string_view text) {
  WriteWholeFile(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                 WriteDurability::Durable);
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const SettingsError& e) {
    return e.what();
  }
  return "(no SettingsError)";
}

TEST(PosixSettingsStore, HivePathFollowsXdgConfigHomeThenHome) {
  TempDir dir;
  ScopedEnv home("HOME", dir.File("home"));
  {
    ScopedEnv config("XDG_CONFIG_HOME", dir.File("cfg"));
    EXPECT_EQ(PosixSettingsStore::DefaultHivePath(), dir.File("cfg") + "/tapisto/HKCU.reg");
  }
  for (const std::optional<std::string>& unusable :
       {std::optional<std::string>(), std::optional<std::string>(""),
        std::optional<std::string>("relative/cfg")}) {
    ScopedEnv config("XDG_CONFIG_HOME", unusable);
    EXPECT_EQ(PosixSettingsStore::DefaultHivePath(),
              dir.File("home") + "/.config/tapisto/HKCU.reg");
  }
}

TEST(PosixSettingsStore, AMissingHiveIsCreatedAsAFreshDesktopProfile) {
  DesktopRig rig;
  ASSERT_FALSE(fs::exists(fs::path(rig.store.HivePath()).parent_path()));
  const auto key = rig.store.OpenKey("Control Panel\\Desktop");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(rig.HiveText(), FormatHive(FreshDesktopProfile()));
  EXPECT_EQ(key->ReadString("WallpaperStyle", "?"), "10");
  EXPECT_EQ(key->ReadString("TileWallpaper", "?"), "0");
  EXPECT_EQ(key->ReadString("Wallpaper", "?"), "");
  const auto colors = rig.store.OpenKey("Control Panel\\Colors");
  ASSERT_NE(colors, nullptr);
  EXPECT_EQ(colors->ReadString("Background", "?"), "0 0 0");
  struct stat st {};
  ASSERT_EQ(::stat(rig.store.HivePath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(PosixSettingsStore, KeysAreOpenedNeverCreatedAndCompareWithoutCase) {
  DesktopRig rig;
  rig.WriteHive(kDesktop + "\"Wallpaper\"=\"a.jpg\"\n\n[HKEY_CURRENT_USER\\Software\\Tapisto]\n");
  const std::string before = rig.HiveText();
  for (const char* missing : {"Software\\Neu", "Control Panel\\Desk", "Control", "Sof"}) {
    EXPECT_EQ(rig.store.OpenKey(missing), nullptr) << missing;
  }
  EXPECT_EQ(rig.HiveText(), before);

  const auto key = rig.store.OpenKey("\\CONTROL PANEL\\desktop\\");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->ReadString("WALLPAPER", ""), "a.jpg");
  key->WriteString("wallpaper", "b.jpg");
  key->WriteString("TileWallpaper", "1");
  EXPECT_EQ(rig.HiveText(), "Windows Registry Editor Version 5.00\n\n" + kDesktop +
                                "\"Wallpaper\"=\"b.jpg\"\n\"TileWallpaper\"=\"1\"\n\n"
                                "[HKEY_CURRENT_USER\\Software\\Tapisto]\n\n");

  // "Software" exists as the parent of a key; its first value gives it a section of its own,
  // placed before its subkey.
  const auto parent = rig.store.OpenKey("software");
  ASSERT_NE(parent, nullptr);
  EXPECT_EQ(parent->ValueSize("x"), -1);
  parent->WriteString("x", "1");
  EXPECT_NE(rig.HiveText().find("[HKEY_CURRENT_USER\\software]\n\"x\"=\"1\"\n\n"
                                "[HKEY_CURRENT_USER\\Software\\Tapisto]\n"),
            std::string::npos);
}

TEST(PosixSettingsStore, WrongTypesFailWithTheRegistryText) {
  DesktopRig rig;
  rig.WriteHive(kDesktop +
                "\"Text\"=\"abc\"\n\"Zahl\"=dword:00000001\n\"Bytes\"=hex:01,02,03\n"
                "\"Liste\"=hex(7):61,00,00,00,00,00\n");
  const auto key = rig.store.OpenKey("Control Panel\\Desktop");
  ASSERT_NE(key, nullptr);
  for (const char* name : {"Zahl", "Bytes", "Liste"}) {
    EXPECT_EQ(ErrorOf([&] { key->ReadString(name, ""); }),
              std::string("Ungültiger Datentyp für '") + name + "'");
  }
  EXPECT_EQ(ErrorOf([&] { key->ReadBinary("Text", 100); }), "Ungültiger Datentyp für 'Text'");
  EXPECT_EQ(ErrorOf([&] { key->ReadBinary("Zahl", 100); }), "Ungültiger Datentyp für 'Zahl'");
  EXPECT_EQ(ErrorOf([&] { key->ReadBinary("Bytes", 2); }), "Ungültiger Datentyp für 'Bytes'");
  try {
    key->ReadString("Zahl", "");
  } catch (const Error& e) {
    EXPECT_EQ(Describe(e), "SettingsError : Ungültiger Datentyp für 'Zahl'");
  }

  EXPECT_EQ(key->ReadBinary("Bytes", 3), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(key->ReadBinary("Liste", 6).size(), 6u);
  EXPECT_TRUE(key->ReadBinary("Fehlt", 10).empty());
  EXPECT_EQ(key->ReadString("Fehlt", "vorgabe"), "vorgabe");
  EXPECT_TRUE(key->ValueExists("zahl"));
  EXPECT_FALSE(key->ValueExists("Fehlt"));
}

TEST(PosixSettingsStore, ValueSizesAreWhatTheRegistryReports) {
  DesktopRig rig;
  rig.WriteHive(kDesktop + "\"Leer\"=\"\"\n\"Text\"=\"Grün\"\n\"Zahl\"=dword:00000001\n");
  const auto key = rig.store.OpenKey("Control Panel\\Desktop");
  ASSERT_NE(key, nullptr);
  key->WriteBinary("Cache", std::vector<std::uint8_t>(800, 0xAB));
  EXPECT_EQ(key->ValueSize("Leer"), 2);
  EXPECT_EQ(key->ValueSize("Text"), 10);
  EXPECT_EQ(key->ValueSize("Zahl"), 4);
  EXPECT_EQ(key->ValueSize("cache"), 800);
  EXPECT_EQ(key->ValueSize("Fehlt"), -1);
}

TEST(PosixSettingsStore, RewritingKeepsEverythingElseInItsOrder) {
  DesktopRig rig;
  const std::string others =
      "[HKEY_CURRENT_USER\\Software\\Other]\n"
      "\"Pfad\"=hex(2):25,00,00,00\n"
      "\"Zahl\"=dword:0000002a\n\n";
  rig.WriteHive(kDesktop + "\"B\"=\"1\"\n\"A\"=hex:00\n\"C\"=\"3\"\n\n" + others);
  const auto key = rig.store.OpenKey("Control Panel\\Desktop");
  ASSERT_NE(key, nullptr);
  key->WriteString("A", "jetzt Text");  // a value may change its type in place
  key->WriteString("Neu", "n");
  key->WriteBinary("C", {0xFF});
  EXPECT_EQ(rig.HiveText(),
            "Windows Registry Editor Version 5.00\n\n" + kDesktop +
                "\"B\"=\"1\"\n\"A\"=\"jetzt Text\"\n\"C\"=hex:ff\n\"Neu\"=\"n\"\n\n" + others);
}

TEST(PosixSettingsStore, TextsSurviveThatTheQuotedFormCannotHold) {
  DesktopRig rig;
  const auto key = rig.store.OpenKey("Control Panel\\Desktop");
  ASSERT_NE(key, nullptr);
  const std::string texts[] = {"Zeile 1\nZeile 2", "mit \"Anführung\" und \\", "😀 äöü",
                               std::string("nul\0drin", 8)};
  for (const std::string& text : texts) {
    key->WriteString("Wert", text);
    EXPECT_EQ(key->ReadString("Wert", "?"), text);
  }
  const std::string before = rig.HiveText();
  EXPECT_EQ(ErrorOf([&] { key->WriteString("Wert", "\xC3\x28"); }),
            "Der Wert 'Wert' ist kein gültiger UTF-8-Text");
  EXPECT_NE(ErrorOf([&] { key->WriteString("Zwei\nZeilen", "x"); }), "(no SettingsError)");
  EXPECT_EQ(rig.HiveText(), before);
}

TEST(PosixSettingsStore, EveryOperationSeesTheFileAsItIsNow) {
  DesktopRig rig;
  PosixSettingsStore second(rig.store.HivePath());
  const auto mine = rig.store.OpenKey("Control Panel\\Desktop");
  const auto theirs = second.OpenKey("Control Panel\\Desktop");
  ASSERT_NE(mine, nullptr);
  ASSERT_NE(theirs, nullptr);
  mine->WriteString("Wallpaper", "eins.jpg");
  EXPECT_EQ(theirs->ReadString("Wallpaper", ""), "eins.jpg");
  theirs->WriteString("TileWallpaper", "1");
  mine->WriteString("WallpaperStyle", "0");
  EXPECT_EQ(mine->ReadString("TileWallpaper", ""), "1");  // not lost by the later write

  rig.WriteHive(kDesktop + "\"Wallpaper\"=\"von außen.jpg\"\n");
  EXPECT_EQ(mine->ReadString("Wallpaper", ""), "von außen.jpg");
  EXPECT_FALSE(mine->ValueExists("TileWallpaper"));

  // A key removed from outside: reads find nothing, a write fails and changes nothing.
  rig.WriteHive("[HKEY_CURRENT_USER\\Control Panel\\Colors]\n");
  EXPECT_EQ(mine->ReadString("Wallpaper", "weg"), "weg");
  const std::string before = rig.HiveText();
  EXPECT_EQ(ErrorOf([&] { mine->WriteString("Wallpaper", "x"); }),
            "Der Schlüssel \"Control Panel\\Desktop\" existiert nicht mehr");
  EXPECT_EQ(rig.HiveText(), before);
}

TEST(PosixSettingsStore, ABrokenHiveIsReportedAndNeverOverwritten) {
  DesktopRig rig;
  const auto key = rig.store.OpenKey("Control Panel\\Desktop");
  ASSERT_NE(key, nullptr);
  const std::string broken =
      "Windows Registry Editor Version 5.00\n\n" + kDesktop + "\"Wallpaper\"=\"kein Ende\n";
  WriteText(rig.store.HivePath(), broken);
  const std::string expected = "Registry-Datei \"" + rig.store.HivePath() +
                               "\", Zeile 4: schließendes Anführungszeichen fehlt";
  EXPECT_TRUE(ErrorOf([&] { rig.store.OpenKey("Control Panel\\Desktop"); }).starts_with(expected));
  EXPECT_TRUE(ErrorOf([&] { key->WriteString("Wallpaper", "x"); }).starts_with(expected));
  EXPECT_TRUE(ErrorOf([&] { key->WriteBinary("Cache", {1}); }).starts_with(expected));
  EXPECT_TRUE(ErrorOf([&] { key->ReadString("Wallpaper", ""); }).starts_with(expected));
  EXPECT_EQ(rig.HiveText(), broken);
  EXPECT_EQ(FolderEntries(fs::path(rig.store.HivePath()).parent_path()),
            (std::vector<std::string>{"HKCU.reg", "HKCU.reg.lock"}));
}

TEST(PosixSettingsStore, HiveFilesThatAreNoFileOrTooLargeAreRefused) {
  DesktopRig rig;
  fs::create_directories(rig.store.HivePath());
  EXPECT_NE(ErrorOf([&] { rig.store.OpenKey("Control Panel"); }).find("keine gewöhnliche Datei"),
            std::string::npos);
  fs::remove(rig.store.HivePath());

  WriteText(rig.store.HivePath(), "");
  fs::resize_file(rig.store.HivePath(), static_cast<std::uintmax_t>(kMaxHiveFileBytes) + 1);
  EXPECT_NE(ErrorOf([&] { rig.store.OpenKey("Control Panel"); }).find("zu groß"),
            std::string::npos);

  PosixSettingsStore nowhere("");
  EXPECT_NE(ErrorOf([&] { nowhere.OpenKey("Control Panel"); }), "(no SettingsError)");
}

TEST(PosixSettingsStore, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
  DesktopRig rig;
  const auto key = rig.store.OpenKey("Control Panel\\Desktop");
  ASSERT_NE(key, nullptr);
  const std::string before = rig.HiveText();
  std::string failure;
  {
    FileSizeLimit limit(4096);
    failure = ErrorOf([&] { key->WriteString("Wallpaper", std::string(10000, 'x')); });
  }
  EXPECT_TRUE(failure.starts_with("Kann die Registry-Datei nicht schreiben: cannot write \"" +
                                  rig.store.HivePath() + "\""))
      << failure;
  EXPECT_EQ(rig.HiveText(), before);
  const fs::path folder = fs::path(rig.store.HivePath()).parent_path();
  EXPECT_EQ(FolderEntries(folder), (std::vector<std::string>{"HKCU.reg", "HKCU.reg.lock"}));

  key->WriteString("Wallpaper", std::string(10000, 'x'));
  EXPECT_EQ(key->ReadString("Wallpaper", "").size(), 10000u);
  EXPECT_EQ(FolderEntries(folder), (std::vector<std::string>{"HKCU.reg", "HKCU.reg.lock"}));
}

TEST(DurableWrite, ReplacesKeepingModeAndLinks) {
  TempDir dir;
  const std::string file = dir.File("settings.reg");
  WriteText(file, "alt");
  ::chmod(file.c_str(), 0640);
  fs::create_symlink("settings.reg", dir.File("link.reg"));
  ReplaceFileAtomically(dir.File("link.reg"), "neu");
  EXPECT_TRUE(fs::is_symlink(dir.File("link.reg")));
  EXPECT_EQ(ReadText(file), "neu");
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(FolderEntries(dir.path()), (std::vector<std::string>{"link.reg", "settings.reg"}));
}

TEST(DurableWrite, AFailedRenameLeavesTargetAndNoTemporaryFile) {
  TempDir dir;
  // A folder with content cannot be replaced by a file.
  const std::string target = dir.File("HKCU.reg");
  WriteText(target + "/inside", "bleibt");
  try {
    ReplaceFileAtomically(target, "neu");
    ADD_FAILURE() << "replaced a folder";
  } catch (const FileWriteError& e) {
    EXPECT_TRUE(std::string(e.what()).starts_with("cannot replace \"" + target + "\": "))
        << e.what();
  }
  EXPECT_EQ(ReadText(target + "/inside"), "bleibt");
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"HKCU.reg"});
  EXPECT_THROW(ReplaceFileAtomically(dir.File("kein/Ordner.reg"), "x"), FileWriteError);
}

}  // namespace
}  // namespace tapisto
