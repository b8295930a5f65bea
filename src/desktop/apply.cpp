#include "desktop/apply.h"

#include "base/error.h"
#include "base/text.h"
#include "compose/run_composition.h"
#include "convert/conversions.h"
#include "state/style_table.h"

namespace tapisto {

namespace {

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

// Writes "ConvertedWallpaper" on desktops that keep a converted copy, then converts the source
// where the desktop needs another format. Returns whether the path named a picture format.
bool PrepareWallpaperFile(DesktopContext& d, SettingsKey& key, const std::string& wallpaper) {
  const bool toBmp = d.state().HasConvertedWallpaper && !wallpaper.empty();
  if (toBmp) key.WriteString("ConvertedWallpaper", wallpaper);
  ConvertContext convert{d.compose.state, d.compose.files, d.compose.pathFlavour,
                         d.compose.canvasObserver};
  return PrepareDesktopFile(convert, d.log, wallpaper, toBmp);
}

// Applies the selected style row. Composition rows make ComposedFile the wallpaper file.
void ApplyStyle(DesktopContext& d, std::string& wallpaper) {
  const StyleRow* row = FindStyleRow(d.controls.StyleText());
  if (row == nullptr) return;
  WallpaperState& state = d.state();
  if (row->clearsWithoutPicture && d.controls.FileFieldText().empty()) {
    wallpaper.clear();
    return;
  }
  if (row->composition) {
    RunComposition(*row->composition, d.compose, d.controls.FileFieldText());
    wallpaper = state.ComposedFile;
  }
  state.TileWallpaper = row->tileWallpaper;
  state.WallpaperStyle = row->wallpaperStyle;
  d.controls.SetOffsetXEnabled(row->offsetXEnabled);
  d.controls.SetOffsetYEnabled(row->offsetYEnabled);
}

void Refresh(DesktopContext& d) {
  try {
    d.refresh.Refresh();
    d.compose.pump.ProcessMessages();
  } catch (...) {
    d.compose.dialogs.ShowMessage("Wallpaper-Aktualisierung fehlgeschlagen.\n\n" +
                                  DescribeCurrentException());
  }
}

}  // namespace

void SetWallpaperSystem(DesktopContext& d, const std::string& sWallpaper) {
  WallpaperState& state = d.state();
  std::string wallpaper = sWallpaper;
  try {
    const std::unique_ptr<SettingsKey> key = d.settings.OpenKey(kDesktopKey);
    if (!key) {
      d.compose.dialogs.ShowMessage("Kann nicht in die Registry schreiben.");
    } else {
      const bool knownFormat = PrepareWallpaperFile(d, *key, wallpaper);
      // A path that names none of the picture formats is applied as the file itself: an
      // earlier, unrelated ComposedFile must not become the wallpaper in its place.
      if (knownFormat && !Contains(UpperAscii(wallpaper), ".BMP") &&
          d.compose.files.FileExists(state.ComposedFile)) {
        wallpaper = state.ComposedFile;
      }
      try {
        ApplyStyle(d, wallpaper);
      } catch (...) {
        d.compose.dialogs.ShowMessage("ComboBox-Auswahl\n\n" + DescribeCurrentException());
      }
      key->WriteString("Wallpaper", wallpaper);
      d.compose.pump.ProcessMessages();
      // Taken after the pump: an apply that ran during it decides the values written here.
      key->WriteString("TileWallpaper", std::to_string(state.TileWallpaper));
      key->WriteString("WallpaperStyle", std::to_string(state.WallpaperStyle));
    }
  } catch (...) {
    d.compose.dialogs.ShowMessage("SetWallpaper\n\n" + DescribeCurrentException());
  }
  Refresh(d);
}

void ResetDesktopWallpaper(DesktopContext& d) {
  const std::unique_ptr<SettingsKey> key = d.settings.OpenKey(kDesktopKey);
  if (key) {
    if (d.state().HasConvertedWallpaper) key->WriteString("ConvertedWallpaper", "");
    key->WriteString("Wallpaper", "");
    d.compose.pump.ProcessMessages();
    key->WriteString("TileWallpaper", "0");
    key->WriteString("WallpaperStyle", "0");
    d.compose.pump.ProcessMessages();
  }
  d.refresh.Refresh();
}

}  // namespace tapisto
