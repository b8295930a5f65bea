#include "desktop/start_wallpaper.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <type_traits>

#include "base/error.h"
#include "base/text.h"
#include "desktop/apply.h"
#include "desktop/background_colour.h"
#include "state/style_table.h"

namespace tapisto {

// The state record's integer fields are the out-parameters of GetWallpaperSystem.
static_assert(std::is_same_v<std::int32_t, int>);

namespace {

constexpr int kCacheCapacity = WallpaperState::kTranscodedImageCacheCapacity;

// The style entry shown for the stored "WallpaperStyle" and "TileWallpaper"; nullptr when the
// values select nothing (span, centred without tiling, values of no row).
const StyleRow* StyleShownFor(int style, int tile) {
  const StyleRow* row = RowOfStoredValues(tile, style);
  return row != nullptr && row->selectedAtStart ? row : nullptr;
}

void ReadBackgroundColour(DesktopContext& d) {
  const std::unique_ptr<SettingsKey> colors = d.settings.OpenKey(kColorsKey);
  if (!colors) return;
  const std::string text = colors->ReadString("Background", "");
  if (text.empty()) {
    d.state().BackgroundText.clear();
  } else {
    SplitBackgroundText(d.state(), text);
  }
}

// Writes back the "TranscodedImageCache" read at start. A size of -1 (the value was missing)
// or over 800 (it could not be read) means no valid bytes are held: the value is then left
// as it is rather than written from bytes that were never read.
void WriteTranscodedImageCache(SettingsKey& key, const WallpaperState& state) {
  const int size = state.TranscodedImageCacheSize;
  if (size < 0 || size > kCacheCapacity) return;
  const auto begin = state.TranscodedImageCache.begin();
  key.WriteBinary("TranscodedImageCache", std::vector<std::uint8_t>(begin, begin + size));
}

// Copies each backup back and deletes it. A backup whose copy back failed is kept, so the
// file is not lost and a later run can still restore it.
void RestoreThemeFiles(DesktopContext& d) {
  const WallpaperState& state = d.state();
  Files& files = d.compose.files;
  for (const char* name : kThemeFiles) {
    const std::string backup = state.TempFolder + name;
    if (!files.FileExists(backup)) continue;
    if (!files.CopyFile(backup, state.ThemesFolder + name)) {
      if (std::strcmp(name, kThemeFiles[0]) == 0) d.compose.pump.ProcessMessages();
      continue;
    }
    files.DeleteFile(backup);
  }
}

}  // namespace

void GetWallpaperSystem(DesktopContext& d, std::string& sWallpaper, int& bTile, int& bStyle,
                        int& X_Pos, int& Y_Pos) {
  WallpaperState& state = d.state();
  ReadBackgroundColour(d);

  const std::unique_ptr<SettingsKey> key = d.settings.OpenKey(kDesktopKey);
  if (!key) return;
  if (key->ValueExists("ConvertedWallpaper")) state.HasConvertedWallpaper = true;
  sWallpaper = key->ReadString("Wallpaper", "");
  bTile = LenientToInt(key->ReadString("TileWallpaper", ""));
  bStyle = LenientToInt(key->ReadString("WallpaperStyle", ""));

  const std::int64_t size = key->ValueSize("TranscodedImageCache");
  state.TranscodedImageCacheSize =
      static_cast<std::int32_t>(std::min<std::int64_t>(size, std::numeric_limits<int>::max()));
  if (size > 0) {
    // Fails for a value over 800 bytes or of another type: that failure goes to the caller.
    const std::vector<std::uint8_t> cache =
        key->ReadBinary("TranscodedImageCache",
                        static_cast<std::size_t>(std::min<std::int64_t>(size, kCacheCapacity)));
    std::copy_n(cache.begin(), std::min<std::size_t>(cache.size(), kCacheCapacity),
                state.TranscodedImageCache.begin());
  }

  if (const StyleRow* shown = StyleShownFor(bStyle, bTile)) {
    d.controls.SelectStyleSilently(std::string(shown->text));
  }

  try {
    X_Pos = LenientToInt(key->ReadString("WallpaperOriginX", ""));
    Y_Pos = LenientToInt(key->ReadString("WallpaperOriginY", ""));
  } catch (const SettingsError&) {
    // An offset stored with another type than string is not shown; what was read stays.
  }
  d.controls.SetOffsetXValue(X_Pos);
  d.controls.SetOffsetYValue(Y_Pos);
}

void BackupThemeFiles(DesktopContext& d) {
  const WallpaperState& state = d.state();
  Files& files = d.compose.files;
  for (const char* name : kThemeFiles) {
    const std::string file = state.ThemesFolder + name;
    if (files.FileExists(file)) files.CopyFile(file, state.TempFolder + name);
  }
}

void SetOldWallpaper(DesktopContext& d, const std::string& sWallpaper) {
  try {
    if (std::unique_ptr<SettingsKey> key = d.settings.OpenKey(kDesktopKey)) {
      key->WriteString("Wallpaper", sWallpaper);
      WriteTranscodedImageCache(*key, d.state());
      d.compose.pump.ProcessMessages();
      try {
        RestoreThemeFiles(d);
      } catch (...) {
        d.compose.dialogs.ShowMessage("Fehler beim Wiederherstellen der Slideshow-Dateien.\n\n" +
                                      DescribeCurrentException());
      }
    }  // the key is closed before the refresh
    d.refresh.Refresh();
    d.compose.pump.ProcessMessages();
  } catch (...) {
    d.compose.dialogs.ShowMessage("SetOldWallpaper\n\n" + DescribeCurrentException());
  }
}

}  // namespace tapisto
