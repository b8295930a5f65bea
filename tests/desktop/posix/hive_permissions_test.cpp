// The hive file is the user's: its permissions, owner, group and links are respected by every
// write, and writers in several processes or threads never lose one another's values.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <thread>

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
  void Write(PosixSettingsStore& writer, const std::string& name) const {
    writer.OpenKey("Control Panel\\Desktop")->WriteString(name, "x");
  }
};

TEST(HivePermissions, AReadOnlyHiveOrFolderIsAccessDeniedAndStaysByteForByte) {
  for (const bool folder : {false, true}) {
    SCOPED_TRACE(folder ? "read-only folder" : "read-only file");
    HiveRig rig;
    const std::string before = rig.HiveText();
    const std::string locked = folder ? rig.Folder() : rig.store.HivePath();
    ASSERT_EQ(::chmod(locked.c_str(), folder ? 0555 : 0444), 0);
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
    ::chmod(locked.c_str(), folder ? 0755 : 0644);
    EXPECT_EQ(rig.HiveText(), before);
  }
}

TEST(HivePermissions, AWriteKeepsOwnerGroupModeAndHardLinks) {
  HiveRig rig;
  const std::string path = rig.store.HivePath();
  const char* hive = path.c_str();
  ASSERT_EQ(::chmod(hive, 0600), 0);
  // As root, the file of another user: it stays theirs.
  ASSERT_TRUE(::geteuid() != 0 || ::chown(hive, 4321, 4322) == 0);
  const std::string second = rig.dir.File("zweiter Name.reg");
  fs::create_hard_link(hive, second);
  struct stat before = {};
  struct stat after = {};
  ASSERT_EQ(::stat(hive, &before), 0);
  rig.Write(rig.store, "Wallpaper");
  ASSERT_EQ(::stat(hive, &after), 0);
  EXPECT_EQ(after.st_mode & 07777, 0600u);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  EXPECT_EQ(after.st_ino, before.st_ino);
  // The second name sees the new content too, and no backup copy stays.
  EXPECT_NE(ReadText(second).find("\"Wallpaper\"=\"x\""), std::string::npos) << ReadText(second);
  for (const auto& entry : fs::directory_iterator(rig.Folder())) {
    EXPECT_TRUE(entry.path().filename() == "HKCU.reg" || entry.path().filename() == "HKCU.reg.lock")
        << entry.path();
  }
}

// Writers on one hive file, each with its own store as separate processes have: every value
// written must be there at the end, none replaced by another writer's older copy of the file.
TEST(HivePermissions, ConcurrentWritersLoseNoValue) {
  HiveRig rig;
  std::vector<std::thread> writers;
  for (int w = 0; w < 4; ++w) {
    writers.emplace_back([&rig, w] {
      PosixSettingsStore store(rig.store.HivePath());
      for (int i = 0; i < 25; ++i) rig.Write(store, "Wert " + std::to_string(w * 25 + i));
    });
  }
  for (std::thread& writer : writers) writer.join();
  const auto key = rig.store.OpenKey("Control Panel\\Desktop");
  for (int n = 0; n < 100; ++n) EXPECT_TRUE(key->ValueExists("Wert " + std::to_string(n))) << n;
}

}  // namespace
}  // namespace tapisto::test
