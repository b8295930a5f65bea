// Faults a wallpaper program meets on a real machine: a full disk, a folder that has gone, a
// settings file that cannot be read, backups removed behind its back. Each test checks what
// the user is told and that nothing the user had is lost.
#include <gtest/gtest.h>

#include <filesystem>

#include "desktop/apply.h"
#include "desktop/start_wallpaper.h"
#include "desktop_rig.h"
#include "image/bmp.h"
#include "image/file_io.h"
#include "image/jpeg_decode.h"
#include "support/file_size_limit.h"
#include "support/picture_files.h"

namespace tapisto::test {
namespace {

namespace fs = std::filesystem;

struct FaultRig : DesktopRig {
  FaultRig() {
    screen.width = 320;
    screen.height = 240;
    WriteHive(
        "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"Wallpaper\"=\"\"\n\n"
        "[HKEY_CURRENT_USER\\Control Panel\\Colors]\n\"Background\"=\"10 20 30\"\n");
    state.BackgroundRed = "10";
    state.BackgroundGreen = "20";
    state.BackgroundBlue = "30";
    state.WallpaperFolder = dir.File("Meine Wallpapers");
    fs::create_directory(state.WallpaperFolder);
  }
  std::string Picture() {
    Raster r = PatternRaster(120, 90);
    r.SetFormat(PixelFormat::Bit24);
    const std::string path = dir.File("bild.bmp");
    WriteBytes(path, EncodeBmp(r));
    return path;
  }
  void Apply(const std::string& style, const std::string& file) {
    controls.styleText = style;
    controls.fileField = file;
    SetWallpaperSystem(d, file);
  }
  std::string Wallpaper() {
    return store.OpenKey("Control Panel\\Desktop")->ReadString("Wallpaper", "");
  }
};

TEST(Faults, AFullDiskDuringASaveKeepsTheLastGoodPictureWhole) {
  FaultRig rig;
  const std::string picture = rig.Picture();
  rig.Apply("normal", picture);
  const std::string output = rig.state.ComposedFile;
  const auto good = ReadWholeFile(output, 1 << 24);
  ASSERT_GT(good.size(), 4000u);

  rig.controls.offsets.x = 50;
  {
    // Big enough for the settings file, too small for the new picture.
    FileSizeLimit full(4000);
    rig.Apply("normal", picture);
  }
  ASSERT_EQ(rig.dialogs.messages.size(), 1u);
  EXPECT_EQ(
      rig.dialogs.messages[0].rfind(
          "SinglePictureWin10, Fehler beim Speichern von " + output + "\n\nFileWriteError : ", 0),
      0u)
      << rig.dialogs.messages[0];
  // The picture that was there is untouched and whole, and it is what the settings name.
  EXPECT_EQ(ReadWholeFile(output, 1 << 24), good);
  EXPECT_EQ(ReadJpegFile(output).Width(), 320);
  EXPECT_EQ(rig.Wallpaper(), output);
  for (const auto& entry : fs::directory_iterator(rig.state.WallpaperFolder)) {
    EXPECT_EQ(entry.path().extension(), ".jpg") << "left behind: " << entry.path();
  }
}

TEST(Faults, AFullDiskDuringAConversionIsReportedAndWritesNoSetting) {
  FaultRig rig;
  const std::string png = rig.dir.File("gross.png");
  WriteBytes(png, MakePng(PatternRgba(200, 150)));
  {
    FileSizeLimit full(3000);
    rig.Apply("zentriert", png);
  }
  ASSERT_EQ(rig.dialogs.messages.size(), 1u);
  EXPECT_EQ(rig.dialogs.messages[0].rfind("SetWallpaper\n\nFileWriteError : ", 0), 0u)
      << rig.dialogs.messages[0];
  EXPECT_EQ(rig.Wallpaper(), "");
  EXPECT_FALSE(fs::exists(rig.state.WallpaperFolder + "/gross.jpg"));
  EXPECT_EQ(rig.desktop.shown.size(), 1u);
}

TEST(Faults, ASettingsFileThatCannotBeReadIsReportedAndLeftAsItIs) {
  FaultRig rig;
  const std::string picture = rig.Picture();
  WriteText(rig.store.HivePath(), "Windows Registry Editor Version 5.00\n\n[kaputt\n");
  const std::string before = rig.HiveText();
  rig.Apply("normal", picture);
  ASSERT_EQ(rig.dialogs.messages.size(), 2u);
  EXPECT_EQ(rig.dialogs.messages[0].rfind("SetWallpaper\n\nSettingsError : ", 0), 0u)
      << rig.dialogs.messages[0];
  EXPECT_EQ(rig.dialogs.messages[1].rfind(
                "Wallpaper-Aktualisierung fehlgeschlagen.\n\nSettingsError : ", 0),
            0u)
      << rig.dialogs.messages[1];
  EXPECT_EQ(rig.HiveText(), before);
}

TEST(Faults, ThemeFilesAreNeverLost) {
  FaultRig rig;
  const std::string themes = rig.dir.File("themes") + "/";
  fs::create_directories(themes);
  WriteText(themes + "TranscodedWallpaper", "original");
  WriteText(themes + "slideshow.ini", "show");
  rig.state.ThemesFolder = themes;

  // The temporary folder is missing: nothing is backed up, and nothing is restored over the
  // files at exit.
  rig.state.TempFolder = rig.dir.File("fehlt") + "/";
  BackupThemeFiles(rig.d);
  SetOldWallpaper(rig.d, "");
  EXPECT_EQ(ReadText(themes + "TranscodedWallpaper"), "original");
  EXPECT_EQ(ReadText(themes + "slideshow.ini"), "show");

  // A backup removed behind the program's back: its file stays as it is, the others return.
  rig.state.TempFolder = rig.dir.File("tmp") + "/";
  fs::create_directories(rig.state.TempFolder);
  BackupThemeFiles(rig.d);
  WriteText(themes + "TranscodedWallpaper", "changed");
  WriteText(themes + "slideshow.ini", "changed");
  fs::remove(rig.state.TempFolder + "slideshow.ini");
  SetOldWallpaper(rig.d, "");
  EXPECT_EQ(ReadText(themes + "TranscodedWallpaper"), "original");
  EXPECT_EQ(ReadText(themes + "slideshow.ini"), "changed");
  EXPECT_TRUE(rig.dialogs.messages.empty());
}

}  // namespace
}  // namespace tapisto::test
