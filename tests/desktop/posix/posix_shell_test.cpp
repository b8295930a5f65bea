#include "desktop/posix/os/posix_shell.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "desktop/posix/handover/posix_refresh.h"
#include "desktop/posix/hive/posix_settings_store.h"
#include "desktop/posix/os/xdg_folders.h"
#include "desktop_rig.h"

namespace tapisto {
namespace {

namespace fs = std::filesystem;
using test::DesktopRig;
using test::ReadText;
using test::ScopedEnv;
using test::WriteText;

TEST(UserDirFromText, ReadsTheDocumentsLineAsTheUserDirsToolWritesIt) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", "/home/u/Dokumente"},
      {"# comment\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n",
       "/home/u/Docs"},
      {"XDG_DOCUMENTS_DIR=\"/data/Papiere\"", "/data/Papiere"},
      {"XDG_DOCUMENTS_DIR=\"$HOME\"\n", "/home/u"},
      {"XDG_DOCUMENTS_DIR=\"$HOME/\"\n", "/home/u"},
      {"  XDG_DOCUMENTS_DIR = \"$HOME/Mit Leer\\\"zeichen\\\\\"\r\n",
       "/home/u/Mit Leer\"zeichen\\"},
      {"XDG_DOCUMENTS_DIR=\"$HOME/a\"\nXDG_DOCUMENTS_DIR=\"$HOME/b\"\n", "/home/u/b"},
      {"XDG_DOCUMENTS_DIR=\"$HOME/a\"\nXDG_DOCUMENTS_DIR=\"relativ\"\n", "/home/u/a"},
      {"XDG_DOCUMENTS_DIR=\"relativ\"\n", ""},
      {"XDG_DOCUMENTS_DIR=\"$HOMEWORK/x\"\n", ""},
      {"XDG_DOCUMENTS_DIR=\"$HOME/offen\n", ""},
      {"XDG_DOCUMENTS_DIR=$HOME/ohne\n", ""},
      {"# XDG_DOCUMENTS_DIR=\"$HOME/aus\"\n", ""},
      {"XDG_DOCUMENTS_DIRS=\"$HOME/anders\"\n", ""},
      {"XDG_PICTURES_DIR=\"$HOME/Bilder\"\n", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UserDirFromText(c.text, "XDG_DOCUMENTS_DIR", "/home/u/"), c.expected) << c.text;
  }
}

TEST(PosixShell, FoldersComeFromTheXdgSettings) {
  DesktopRig rig;
  const std::string home = rig.dir.File("home");
  const std::string config = rig.dir.File("config");
  PosixShell& shell = rig.shell;
  EXPECT_EQ(shell.SpecialFolder(ShellFolder::Documents), home + "/Documents");
  WriteText(config + "/user-dirs.dirs",
            "XDG_PICTURES_DIR=\"$HOME/Bilder\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  EXPECT_EQ(shell.SpecialFolder(ShellFolder::Documents), home + "/Dokumente");
  EXPECT_EQ(shell.SpecialFolder(ShellFolder::RoamingAppData), config);
  {
    ScopedEnv noConfig("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(shell.SpecialFolder(ShellFolder::RoamingAppData), home + "/.config");
    // user-dirs.dirs is now looked for under $HOME/.config, where there is none.
    EXPECT_EQ(shell.SpecialFolder(ShellFolder::Documents), home + "/Documents");
  }
  {
    ScopedEnv slash("HOME", home + "/");
    ScopedEnv noConfig("XDG_CONFIG_HOME", "");
    EXPECT_EQ(shell.SpecialFolder(ShellFolder::RoamingAppData), home + "/.config");
  }
}

TEST(PosixShell, TempPathIsTmpdirElseSlashTmp) {
  PosixShell shell;
  {
    ScopedEnv tmp("TMPDIR", "/var/tmp/eigen/");
    EXPECT_EQ(shell.TempPath(), "/var/tmp/eigen/");
  }
  {
    ScopedEnv tmp("TMPDIR", "");
    EXPECT_EQ(shell.TempPath(), "/tmp");
  }
  {
    ScopedEnv tmp("TMPDIR", std::nullopt);
    EXPECT_EQ(shell.TempPath(), "/tmp");
  }
}

// The processes whose parent is this one, as the system's process table has them: a child
// that ended and was not waited for stays there as a zombie.
int ChildrenOfThisProcess() {
  const std::string self = std::to_string(::getpid());
  int count = 0;
  std::error_code error;
  for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
    std::ifstream in(it->path() / "stat");
    std::string stat;
    if (!std::getline(in, stat)) continue;  // not a process, or it has just ended
    // "pid (name) state ppid ...": the name may hold anything, so read after its last ")".
    const std::size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) continue;
    std::istringstream rest(stat.substr(nameEnd + 1));
    std::string state, parent;
    rest >> state >> parent;
    if (parent == self) ++count;
  }
  return count;
}

// Waits until this process has `count` children again; the launch runs on its own.
bool WaitForChildren(int count) {
  for (int i = 0; i < 2000 && ChildrenOfThisProcess() != count; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return ChildrenOfThisProcess() == count;
}

TEST(PosixShell, OpenRunsXdgOpenWithTheDocumentAsItsOneArgumentAndReapsIt) {
  DesktopRig rig;
  const std::string bin = rig.dir.File("bin");
  const std::string log = rig.dir.File("opened.txt");
  WriteText(bin + "/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" > '" + log +
                                   ".part' && mv '" + log + ".part' '" + log + "'\n");
  ::chmod((bin + "/xdg-open").c_str(), 0755);
  ScopedEnv path("PATH", bin + ":/usr/bin:/bin");

  const std::string document = "https://example.org/a b'c\"$(rm -rf x);ä";
  const int before = ChildrenOfThisProcess();
  rig.shell.Open(document, "--ignored", ".\\", ShowCommand::Show);
  // The child ended and was waited for: it left no zombie behind.
  ASSERT_TRUE(WaitForChildren(before));
  EXPECT_EQ(ReadText(log), "1\n" + document + "\n");
}

TEST(PosixShell, AFailedLaunchPassesSilently) {
  DesktopRig rig;
  fs::create_directories(rig.dir.File("empty"));
  ScopedEnv path("PATH", rig.dir.File("empty"));
  const int before = ChildrenOfThisProcess();
  EXPECT_NO_THROW(rig.shell.Open("file.txt", "", "", ShowCommand::Show));
  EXPECT_EQ(ChildrenOfThisProcess(), before);
}

TEST(PosixRefresh, KeepsTheWallpaperSettingsJustWritten) {
  DesktopRig rig;
  rig.WriteHive(
      "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
      "\"Wallpaper\"=\"/home/u/Bild.jpg\"\n\"WallpaperStyle\"=\"6\"\n"
      "\"TileWallpaper\"=dword:00000001\n\n"
      "[HKEY_CURRENT_USER\\Control Panel\\Colors]\n\"Background\"=\"58 110 165\"\n");
  EXPECT_TRUE(rig.desktop.shown.empty());
  rig.refresh.Refresh();
  EXPECT_EQ(rig.desktop.shown.size(), 1u);
  EXPECT_EQ(rig.desktop.Last().wallpaper, "/home/u/Bild.jpg");
  EXPECT_EQ(rig.desktop.Last().wallpaperStyle, "6");
  EXPECT_EQ(rig.desktop.Last().tileWallpaper, "");  // not a string: not usable
  EXPECT_EQ(rig.desktop.Last().background, "58 110 165");

  rig.WriteHive("[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"Wallpaper\"=\"neu.png\"\n");
  rig.refresh.Refresh();
  EXPECT_EQ(rig.desktop.shown.size(), 2u);
  EXPECT_EQ(rig.desktop.Last().wallpaper, "neu.png");
  EXPECT_EQ(rig.desktop.Last().wallpaperStyle, "");
  EXPECT_EQ(rig.desktop.Last().background, "");  // the colour key is gone
}

}  // namespace
}  // namespace tapisto
