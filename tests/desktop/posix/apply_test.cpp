// Applying a wallpaper and removing it, against the real hive file: the values written, their
// types, and the order of writes, pumps and refreshes.
#include "desktop/apply.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "desktop_rig.h"
#include "image/bmp.h"
#include "image/jpeg_encode.h"
#include "support/picture_files.h"
#include "support/recording_settings.h"

namespace tapisto::test {
namespace {

using Events = std::vector<std::string>;

// The desktop rig with every write and refresh recorded in `events`, and the pump's runs too.
struct ApplyRig : DesktopRig {
  Events events;
  RecordingSettings recordingStore{store, events};
  RecordingRefresh recordingRefresh{refresh, events};
  DesktopContext recorded{compose, recordingStore, recordingRefresh, shell, log, controls};

  ApplyRig() {
    // A fresh profile with a wallpaper folder and a readable background colour.
    WriteHive(
        "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"Wallpaper\"=\"\"\n"
        "\"TileWallpaper\"=\"0\"\n\"WallpaperStyle\"=\"10\"\n\n"
        "[HKEY_CURRENT_USER\\Control Panel\\Colors]\n\"Background\"=\"10 20 30\"\n");
    state.BackgroundRed = "10";
    state.BackgroundGreen = "20";
    state.BackgroundBlue = "30";
    state.WallpaperFolder = dir.File("Meine Wallpapers");
    std::filesystem::create_directory(state.WallpaperFolder);
    log.SetWindowExists(true);
  }

  std::string Picture(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = dir.File(name);
    WriteBytes(path, bytes);
    return path;
  }
  std::string Bmp(const std::string& name) {
    Raster r = PatternRaster(6, 4);
    r.SetFormat(PixelFormat::Bit24);
    return Picture(name, EncodeBmp(r));
  }
  std::string Png(const std::string& name) { return Picture(name, MakePng(PatternRgba(6, 4))); }
  std::string Output(const std::string& name) const { return state.WallpaperFolder + "/" + name; }
  void Apply(const std::string& style, const std::string& file) {
    controls.styleText = style;
    controls.fileField = file;
    // Count the pumps where they happen among the writes.
    pump.Post([this] { events.push_back("pump"); });
    SetWallpaperSystem(recorded, file);
  }
  std::string Read(const std::string& name) {
    return store.OpenKey("Control Panel\\Desktop")->ReadString(name, "<missing>");
  }
};

TEST(Apply, DesktopStylesWriteTheirValuesAsStringsAndDisableTheOffsets) {
  struct Row {
    const char* style;
    const char* tile;
    const char* code;
  };
  for (const Row row :
       {Row{"ausfüllen", "0", "10"}, Row{"anpassen", "0", "6"}, Row{"dehnen", "0", "2"},
        Row{"strecken", "0", "22"}, Row{"zentriert", "0", "0"}, Row{"nebeneinander", "1", "0"}}) {
    SCOPED_TRACE(row.style);
    ApplyRig rig;
    const std::string bmp = rig.Bmp("bild.bmp");
    rig.Apply(row.style, bmp);
    EXPECT_EQ(rig.events,
              (Events{"Wallpaper=" + bmp, "pump", std::string("TileWallpaper=") + row.tile,
                      std::string("WallpaperStyle=") + row.code, "refresh"}));
    EXPECT_FALSE(rig.controls.xEnabled);
    EXPECT_FALSE(rig.controls.yEnabled);
    EXPECT_TRUE(rig.log.Lines().empty());  // a BMP is used as it is, nothing logged
    EXPECT_TRUE(rig.dialogs.messages.empty());
    // Strings in the hive, never dword values.
    EXPECT_NE(rig.HiveText().find(std::string("\"WallpaperStyle\"=\"") + row.code + "\""),
              std::string::npos);
    EXPECT_EQ(rig.desktop.Last().wallpaper, bmp);
  }
}

TEST(Apply, APngIsConvertedThenComposedAndTheCompositionBecomesTheWallpaper) {
  ApplyRig rig;
  const std::string png = rig.Png("Logo.png");
  rig.controls.offsets.x = 3;
  rig.Apply("spiegeln", png);
  EXPECT_EQ(rig.log.Lines(),
            (Events{"newFileName: " + rig.Output("Logo.jpg"), "sWallpaper: " + png}));
  EXPECT_EQ(rig.Read("Wallpaper"), rig.Output("MirrLogo.jpg"));
  EXPECT_EQ(rig.Read("TileWallpaper"), "0");
  EXPECT_EQ(rig.Read("WallpaperStyle"), "0");
  EXPECT_TRUE(rig.controls.xEnabled);
  EXPECT_TRUE(rig.controls.yEnabled);
  EXPECT_TRUE(std::filesystem::exists(rig.Output("Logo.jpg")));
  EXPECT_TRUE(std::filesystem::exists(rig.Output("MirrLogo.jpg")));

  rig.Apply("duplizieren", png);
  EXPECT_EQ(rig.Read("Wallpaper"), rig.Output("2Logo.jpg"));
  EXPECT_FALSE(rig.controls.xEnabled);
  EXPECT_TRUE(rig.controls.yEnabled);
}

TEST(Apply, AJpegIsUsedAsItIsAndLogged) {
  ApplyRig rig;
  const std::string jpg = rig.Picture("Foto.JPG", EncodeJpeg(PatternRaster(8, 8), 90));
  rig.Apply("zentriert", jpg);
  EXPECT_EQ(rig.state.ComposedFile, jpg);
  EXPECT_EQ(rig.Read("Wallpaper"), jpg);
  EXPECT_EQ(rig.log.Lines(), (Events{"sWallpaper: " + jpg}));
}

TEST(Apply, ConvertedModeWritesThePathFirstAndABmpWithoutLogLines) {
  ApplyRig rig;
  rig.state.HasConvertedWallpaper = true;
  const std::string png = rig.Png("Logo.png");
  rig.Apply("anpassen", png);
  EXPECT_EQ(rig.events.front(), "ConvertedWallpaper=" + png);
  EXPECT_EQ(rig.Read("Wallpaper"), rig.Output("Logo.bmp"));
  EXPECT_TRUE(rig.log.Lines().empty());
  EXPECT_EQ(ReadBmpFile(rig.Output("Logo.bmp")).Width(), 6);
}

TEST(Apply, TheOrderOfTheFormatTestsDecidesAPngInAGifFolder) {
  for (bool converted : {false, true}) {
    SCOPED_TRACE(converted);
    ApplyRig rig;
    rig.state.HasConvertedWallpaper = converted;
    std::filesystem::create_directory(rig.dir.path() / "bilder.gif");
    const std::string png = rig.Png("bilder.gif/Logo.png");
    rig.Apply("zentriert", png);
    if (!converted) {
      EXPECT_TRUE(rig.dialogs.messages.empty());
      EXPECT_EQ(rig.Read("Wallpaper"), rig.Output("Logo.jpg"));
      continue;
    }
    // Taken for a GIF: the GIF reader fails, nothing is written after "ConvertedWallpaper",
    // and the refresh still runs.
    ASSERT_EQ(rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(rig.dialogs.messages[0].rfind("SetWallpaper\n\nImageFormatError : ", 0), 0u)
        << rig.dialogs.messages[0];
    EXPECT_EQ(rig.events, (Events{"ConvertedWallpaper=" + png, "refresh", "pump"}));
  }
}

TEST(Apply, AMissingKeyIsReportedAndOnlyTheRefreshRuns) {
  ApplyRig rig;
  rig.WriteHive("[HKEY_CURRENT_USER\\Control Panel\\Colors]\n\"Background\"=\"0 0 0\"\n");
  rig.Apply("zentriert", rig.Bmp("b.bmp"));
  EXPECT_EQ(rig.dialogs.messages, (Events{"Kann nicht in die Registry schreiben."}));
  EXPECT_EQ(rig.events, (Events{"refresh", "pump"}));
  EXPECT_EQ(rig.HiveText().find("Desktop"), std::string::npos);  // never created
}

TEST(Apply, AFailingCompositionIsReportedAndTheWritesGoOn) {
  ApplyRig rig;
  const std::string bmp = rig.Bmp("b.bmp");
  rig.state.BackgroundGreen = "";
  rig.state.TileWallpaper = 1;
  rig.Apply("normal", bmp);
  ASSERT_EQ(rig.dialogs.messages.size(), 1u);
  EXPECT_EQ(rig.dialogs.messages[0].rfind("ComboBox-Auswahl\n\nConversionError : ", 0), 0u);
  // The wallpaper file and style values as far as they had got.
  EXPECT_EQ(rig.events,
            (Events{"Wallpaper=" + bmp, "pump", "TileWallpaper=1", "WallpaperStyle=0", "refresh"}));
}

TEST(Apply, GuardedStylesWithAnEmptyFileFieldWriteAnEmptyWallpaperOnly) {
  for (const char* style : {"spiegeln", "duplizieren", "duplizieren und spiegeln",
                            "duplizieren und doppelt spiegeln"}) {
    ApplyRig rig;
    rig.state.TileWallpaper = 1;
    rig.state.WallpaperStyle = 6;
    rig.controls.xEnabled = false;
    rig.controls.styleText = style;
    rig.controls.fileField = "";
    SetWallpaperSystem(rig.recorded, "");
    EXPECT_EQ(rig.events, (Events{"Wallpaper=", "TileWallpaper=1", "WallpaperStyle=6", "refresh"}))
        << style;
    EXPECT_FALSE(rig.controls.xEnabled);
  }
}

TEST(Apply, NoSelectionWritesTheValuesOfTheLastApply) {
  ApplyRig rig;
  const std::string bmp = rig.Bmp("b.bmp");
  rig.state.TileWallpaper = 1;
  rig.state.WallpaperStyle = 0;
  rig.Apply("", bmp);
  EXPECT_EQ(rig.Read("TileWallpaper"), "1");
  EXPECT_EQ(rig.Read("WallpaperStyle"), "0");
  EXPECT_TRUE(rig.controls.xEnabled);
}

TEST(Apply, APathOfNoPictureFormatIsAppliedAsItselfNotAsAnEarlierOutput) {
  ApplyRig rig;
  rig.Apply("zentriert", rig.Png("Logo.png"));  // leaves Logo.jpg as ComposedFile
  const std::string other = rig.Picture("foto.jpeg", EncodeJpeg(PatternRaster(4, 4), 90));
  rig.Apply("zentriert", other);
  EXPECT_EQ(rig.Read("Wallpaper"), other);
}

TEST(Apply, AnApplyDuringThePumpDecidesTheStyleValuesTheOuterWrites) {
  ApplyRig rig;
  const std::string bmp = rig.Bmp("b.bmp");
  rig.controls.styleText = "dehnen";
  rig.controls.fileField = bmp;
  rig.pump.Post([&] {
    rig.controls.styleText = "nebeneinander";
    SetWallpaperSystem(rig.recorded, bmp);
  });
  SetWallpaperSystem(rig.recorded, bmp);
  EXPECT_EQ(rig.Read("TileWallpaper"), "1");
  EXPECT_EQ(rig.Read("WallpaperStyle"), "0");
  EXPECT_EQ(rig.events.back(), "refresh");
}

TEST(ResetDesktopWallpaper, WritesEmptyValuesInOrderThenRefreshes) {
  for (bool converted : {false, true}) {
    ApplyRig rig;
    rig.state.HasConvertedWallpaper = converted;
    rig.state.TileWallpaper = 1;
    ResetDesktopWallpaper(rig.recorded);
    Events expected{"Wallpaper=", "TileWallpaper=0", "WallpaperStyle=0", "refresh"};
    if (converted) expected.insert(expected.begin(), "ConvertedWallpaper=");
    EXPECT_EQ(rig.events, expected);
    EXPECT_EQ(rig.pump.processCalls, 2);
    EXPECT_EQ(rig.state.TileWallpaper, 1);  // the state's values stay
  }
}

TEST(ResetDesktopWallpaper, WithoutTheKeyWritesNothingAndStillRefreshes) {
  ApplyRig rig;
  rig.WriteHive("");
  ResetDesktopWallpaper(rig.recorded);
  EXPECT_EQ(rig.events, (Events{"refresh"}));
}

}  // namespace
}  // namespace tapisto::test
