// The desktop layer on Windows: applying, removing and reading the wallpaper settings through
// the registry backend, with real files and the real refresh. Each test keeps its settings
// under a registry root of its own, so tests run side by side and the user's own desktop
// settings stay untouched.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "base/path.h"
#include "desktop/apply.h"
#include "desktop/start_wallpaper.h"
#include "desktop/win32/win32_files.h"
#include "desktop/win32/win32_settings_store.h"
#include "desktop/win32/win32_shell.h"
#include "desktop/win32/win32_system.h"
#include "desktop/win32/win32_text.h"
#include "desktop/win32/windows_api.h"
#include "image/file_io.h"
#include "image/jpeg_decode.h"
#include "image/jpeg_encode.h"
#include "support/desktop_fakes.h"
#include "support/fakes.h"
#include "support/picture_files.h"
#include "support/recording_settings.h"
#include "support/temp_dir.h"

namespace tapisto::test {
namespace {

using Events = std::vector<std::string>;

// The registry backend with every key path taken below `root`.
class RootedSettings final : public SettingsStore {
 public:
  RootedSettings(SettingsStore& inner, std::string root) : inner_(inner), root_(std::move(root)) {}
  std::unique_ptr<SettingsKey> OpenKey(const std::string& path) override {
    return inner_.OpenKey(root_ + "\\" + path);
  }

 private:
  SettingsStore& inner_;
  std::string root_;
};

struct Win32DesktopRig {
  TempDir dir;
  std::string root = "Software\\Tapisto-Tests\\Desktop-" + std::to_string(std::random_device{}());
  WallpaperState state;
  FakeScreen screen{40, 30};
  FakeClock clock;
  ScriptedPump pump{clock};
  Win32Files files;
  RecordingDialogs dialogs;
  RecordingDesktopControls controls;
  CompositionContext compose{state, screen, pump, clock, files, dialogs, controls};
  Win32SettingsStore registry;
  RootedSettings rooted{registry, root};
  Events events;
  RecordingSettings settings{rooted, events};
  Win32Refresh systemRefresh;
  RecordingRefresh refresh{systemRefresh, events};
  Win32Shell shell;
  LogLines log;
  DesktopContext d{compose, settings, refresh, shell, log, controls};

  Win32DesktopRig() {
    CreateKey(kDesktopKey);
    CreateKey(kColorsKey);
    state.BackgroundRed = "10";
    state.BackgroundGreen = "20";
    state.BackgroundBlue = "30";
    state.WallpaperFolder = dir.File("Meine Wallpapers");
    std::filesystem::create_directory(PathFromUtf8(state.WallpaperFolder));
  }
  ~Win32DesktopRig() { ::RegDeleteTreeW(HKEY_CURRENT_USER, Utf16FromUtf8(root).c_str()); }
  Win32DesktopRig(const Win32DesktopRig&) = delete;
  Win32DesktopRig& operator=(const Win32DesktopRig&) = delete;

  std::wstring KeyPath(const std::string& key) const { return Utf16FromUtf8(root + "\\" + key); }
  void CreateKey(const std::string& key) const {
    HKEY handle = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath(key).c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(handle);
  }
  void DeleteKey(const std::string& key) const {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, KeyPath(key).c_str());
  }
  void SetRaw(const std::string& key, const std::string& name, DWORD type, const void* data,
              DWORD size) const {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, KeyPath(key).c_str(),
                                Utf16FromUtf8(name).c_str(), type, data, size),
              ERROR_SUCCESS);
  }
  void SetText(const std::string& key, const std::string& name, const std::string& text) const {
    const std::wstring wide = Utf16FromUtf8(text);
    SetRaw(key, name, REG_SZ, wide.c_str(), static_cast<DWORD>((wide.size() + 1) * 2));
  }
  // "type:text" of a string value as the registry holds it, "missing" when there is none.
  std::string Raw(const std::string& key, const std::string& name) const {
    wchar_t buffer[1024] = {};
    DWORD type = 0;
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_CURRENT_USER, KeyPath(key).c_str(), Utf16FromUtf8(name).c_str(),
                       RRF_RT_ANY | RRF_NOEXPAND, &type, buffer, &size) != ERROR_SUCCESS) {
      return "missing";
    }
    return (type == REG_SZ ? "REG_SZ:" : "type " + std::to_string(type) + ":") +
           Utf8FromUtf16(buffer);
  }
  void Apply(const std::string& style, const std::string& file) {
    controls.styleText = style;
    controls.fileField = file;
    SetWallpaperSystem(d, file);
  }
  std::string Png(const std::string& name) {
    const std::string path = dir.File(name);
    WriteBytes(path, MakePng(PatternRgba(6, 4)));
    return path;
  }
};

TEST(Win32Desktop, DesktopStylesWriteTheirValuesAsRegistryStrings) {
  struct Case {
    const char* style;
    const char* tile;
    const char* code;
  };
  const Case cases[] = {{"ausfüllen", "0", "10"},
                        {"strecken", "0", "22"},
                        {"nebeneinander", "1", "0"},
                        {"zentriert", "0", "0"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    Win32DesktopRig rig;
    const std::string jpg = rig.dir.File("Blüte am Fluss.jpg");
    WriteJpegFile(PatternRaster(6, 4), 100, jpg);
    rig.Apply(c.style, jpg);
    EXPECT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages[0];
    EXPECT_EQ(rig.events, (Events{"Wallpaper=" + jpg, std::string("TileWallpaper=") + c.tile,
                                  std::string("WallpaperStyle=") + c.code, "refresh"}));
    EXPECT_EQ(rig.Raw(kDesktopKey, "Wallpaper"), "REG_SZ:" + jpg);
    EXPECT_EQ(rig.Raw(kDesktopKey, "TileWallpaper"), std::string("REG_SZ:") + c.tile);
    EXPECT_EQ(rig.Raw(kDesktopKey, "WallpaperStyle"), std::string("REG_SZ:") + c.code);
  }
}

TEST(Win32Desktop, AMirroredPngBecomesAJpegInTheWallpaperFolderAndTheWallpaper) {
  Win32DesktopRig rig;
  rig.log.SetWindowExists(true);
  const std::string png = rig.Png("Logo ü.png");
  rig.Apply("spiegeln", png);
  EXPECT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages[0];
  const std::string composed = rig.state.WallpaperFolder + "\\MirrLogo ü.jpg";
  EXPECT_EQ(rig.state.ComposedFile, composed);
  EXPECT_EQ(rig.Raw(kDesktopKey, "Wallpaper"), "REG_SZ:" + composed);
  const Raster written = ReadJpegFile(composed);
  EXPECT_EQ(written.Width(), 40);
  EXPECT_EQ(written.Height(), 30);
  // The converted copy of the PNG lies beside it, as the log says.
  EXPECT_EQ(rig.log.Lines().front(), "newFileName: " + rig.state.WallpaperFolder + "\\Logo ü.jpg");
  EXPECT_TRUE(rig.files.FileExists(rig.state.WallpaperFolder + "\\Logo ü.jpg"));
}

TEST(Win32Desktop, RemovingTheWallpaperWritesEmptyStringsAndRefreshes) {
  Win32DesktopRig rig;
  rig.SetText(kDesktopKey, "Wallpaper", "C:\\alt.bmp");
  rig.state.TileWallpaper = 1;
  ResetDesktopWallpaper(rig.d);
  EXPECT_EQ(rig.events, (Events{"Wallpaper=", "TileWallpaper=0", "WallpaperStyle=0", "refresh"}));
  EXPECT_EQ(rig.Raw(kDesktopKey, "Wallpaper"), "REG_SZ:");
  EXPECT_EQ(rig.Raw(kDesktopKey, "TileWallpaper"), "REG_SZ:0");
}

TEST(Win32Desktop, AMissingDesktopKeyIsReportedAndNotCreated) {
  Win32DesktopRig rig;
  rig.DeleteKey(kDesktopKey);
  rig.Apply("zentriert", rig.Png("b.png"));
  EXPECT_EQ(rig.dialogs.messages, (Events{"Kann nicht in die Registry schreiben."}));
  EXPECT_EQ(rig.events, (Events{"refresh"}));
  EXPECT_EQ(rig.Raw(kDesktopKey, "Wallpaper"), "missing");
  EXPECT_EQ(rig.settings.OpenKey(kDesktopKey), nullptr);
}

TEST(Win32Desktop, StartUpReadsTheStoredSettingsAndTheColour) {
  Win32DesktopRig rig;
  rig.SetText(kColorsKey, "Background", "37 111 149");
  rig.SetText(kDesktopKey, "Wallpaper", "C:\\Bilder\\Grün.bmp");
  rig.SetText(kDesktopKey, "TileWallpaper", "1");
  rig.SetText(kDesktopKey, "WallpaperStyle", "0");
  rig.SetText(kDesktopKey, "WallpaperOriginX", "5");
  std::vector<std::uint8_t> cache(800);
  for (std::size_t i = 0; i < cache.size(); ++i) cache[i] = static_cast<std::uint8_t>(i);
  rig.SetRaw(kDesktopKey, "TranscodedImageCache", REG_BINARY, cache.data(), 800);
  std::string wallpaper;
  int tile = -1, style = -1, x = -1, y = -1;
  GetWallpaperSystem(rig.d, wallpaper, tile, style, x, y);
  EXPECT_EQ(rig.state.BackgroundRed, "37");
  EXPECT_EQ(rig.state.BackgroundGreen, "111");
  EXPECT_EQ(rig.state.BackgroundBlue, "149");
  EXPECT_EQ(wallpaper, "C:\\Bilder\\Grün.bmp");
  EXPECT_EQ(tile, 1);
  EXPECT_EQ(style, 0);
  EXPECT_EQ(x, 5);
  EXPECT_EQ(y, 0);  // missing: 0
  EXPECT_EQ(rig.state.TranscodedImageCacheSize, 800);
  EXPECT_TRUE(std::equal(cache.begin(), cache.end(), rig.state.TranscodedImageCache.begin()));
  EXPECT_EQ(rig.controls.styleText, "nebeneinander");
}

TEST(Win32Desktop, StartUpFailsWithTheTypeErrorForNonStringSettings) {
  struct Case {
    const char* key;
    const char* name;
  };
  const Case cases[] = {
      {kDesktopKey, "WallpaperStyle"}, {kDesktopKey, "TileWallpaper"}, {kColorsKey, "Background"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Win32DesktopRig rig;
    rig.SetText(kColorsKey, "Background", "1 2 3");
    rig.SetText(kDesktopKey, "Wallpaper", "w");
    const DWORD one = 1;
    rig.SetRaw(c.key, c.name, REG_DWORD, &one, sizeof(one));
    std::string wallpaper;
    int tile = 0, style = 0, x = 0, y = 0;
    try {
      GetWallpaperSystem(rig.d, wallpaper, tile, style, x, y);
      ADD_FAILURE() << "no error";
    } catch (const SettingsError& e) {
      EXPECT_EQ(Describe(e),
                std::string("SettingsError : Ungültiger Datentyp für '") + c.name + "'");
    }
  }
  // A cache over 800 bytes cannot be read either.
  Win32DesktopRig rig;
  const std::vector<std::uint8_t> big(801, 1);
  rig.SetRaw(kDesktopKey, "TranscodedImageCache", REG_BINARY, big.data(), 801);
  std::string wallpaper;
  int tile = 0, style = 0, x = 0, y = 0;
  EXPECT_THROW(GetWallpaperSystem(rig.d, wallpaper, tile, style, x, y), SettingsError);
  EXPECT_EQ(rig.state.TranscodedImageCacheSize, 801);
}

}  // namespace
}  // namespace tapisto::test
