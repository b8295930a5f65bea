// The hive file is the user's: its permissions, owner, group and links are respected by every
// write, and writers in several processes or threads never lose one another's values.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "desktop/apply.h"
#include "desktop_rig.h"

namespace tapisto::test {
namespace {

namespace fs = std::filesystem;

struct HiveRig : DesktopRig {
  HiveRig() {
    WriteHive(
        "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"Wallpaper\"=\"alt.jpg\"\n"
        "\"WallpaperStyle\"=\"0\"\n\"TileWallpaper\"=\"0\"\n");
    controls.styleText = "zentriert";
    controls.fileField = dir.File("neu.bmp");
  }
  std::string Folder() const { return fs::path(store.HivePath()).parent_path().string(); }
  struct stat Stat() const {
    struct stat st {};
    EXPECT_EQ(::stat(store.HivePath().c_str(), &st), 0);
    return st;
  }
};

TEST(HivePermissions, AReadOnlyHiveOrFolderIsAccessDeniedAndStaysByteForByte) {
  struct Case {
    const char* what;
    bool folder;  // the folder is made read-only, else the file
  };
  for (const Case c : {Case{"read-only file", false}, Case{"read-only folder", true}}) {
    SCOPED_TRACE(c.what);
    HiveRig rig;
    const std::string before = rig.HiveText();
    const std::string locked = c.folder ? rig.Folder() : rig.store.HivePath();
    ASSERT_EQ(::chmod(locked.c_str(), c.folder ? 0555 : 0444), 0);

    SetWallpaperSystem(rig.d, rig.dir.File("neu.bmp"));
    EXPECT_EQ(rig.dialogs.messages.at(0), "Kann nicht in die Registry schreiben.");
    try {
      rig.store.Save(FreshDesktopProfile());
      ADD_FAILURE() << "saved";
    } catch (const SettingsError& e) {
      const std::string text = e.what();
      EXPECT_NE(text.find(rig.store.HivePath()), std::string::npos) << text;
      EXPECT_NE(text.find("Permission denied"), std::string::npos) << text;
    }
    ::chmod(locked.c_str(), c.folder ? 0755 : 0644);
    EXPECT_EQ(rig.HiveText(), before);
  }
}

TEST(HivePermissions, AWriteKeepsOwnerGroupModeAndHardLinks) {
  HiveRig rig;
  ASSERT_EQ(::chmod(rig.store.HivePath().c_str(), 0600), 0);
  // As root, the file of another user: it stays theirs.
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(rig.store.HivePath().c_str(), 4321, 4322), 0);
  }
  const struct stat before = rig.Stat();

  rig.store.OpenKey("Control Panel\\Desktop")->WriteString("Wallpaper", "eins.jpg");
  const struct stat after = rig.Stat();
  EXPECT_EQ(after.st_mode & 07777, 0600u);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  if (root) {
    EXPECT_EQ(after.st_uid, 4321u);
  }

  // A second name of the same file sees the new content too, and no backup copy stays.
  const std::string second = rig.dir.File("zweiter Name.reg");
  fs::create_hard_link(rig.store.HivePath(), second);
  rig.store.OpenKey("Control Panel\\Desktop")->WriteString("Wallpaper", "zwei.jpg");
  EXPECT_EQ(ReadText(second), rig.HiveText());
  EXPECT_NE(ReadText(second).find("\"Wallpaper\"=\"zwei.jpg\""), std::string::npos);
  EXPECT_EQ(rig.Stat().st_ino, after.st_ino);
  for (const auto& entry : fs::directory_iterator(rig.Folder())) {
    EXPECT_TRUE(entry.path().filename() == "HKCU.reg" || entry.path().filename() == "HKCU.reg.lock")
        << entry.path();
  }
}

// Writers on one hive file, each with its own store as separate processes have: every value
// written must be there at the end, none replaced by another writer's older copy of the file.
TEST(HivePermissions, ConcurrentWritersLoseNoValue) {
  HiveRig rig;
  constexpr int kWriters = 4;
  constexpr int kWrites = 25;
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([&rig, w] {
      PosixSettingsStore store(rig.store.HivePath());
      for (int i = 0; i < kWrites; ++i) {
        store.OpenKey("Control Panel\\Desktop")
            ->WriteString("Wert " + std::to_string(w) + "-" + std::to_string(i), "x");
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  const auto key = rig.store.OpenKey("Control Panel\\Desktop");
  int missing = 0;
  for (int w = 0; w < kWriters; ++w) {
    for (int i = 0; i < kWrites; ++i) {
      missing += key->ValueExists("Wert " + std::to_string(w) + "-" + std::to_string(i)) ? 0 : 1;
    }
  }
  EXPECT_EQ(missing, 0);
}

}  // namespace
}  // namespace tapisto::test
