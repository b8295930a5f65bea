// Applying a wallpaper: the one way the program changes the desktop wallpaper, and removing it.
#pragma once

#include <string>

#include "desktop/desktop_context.h"

namespace tapisto {

// The desktop settings key every apply writes.
inline constexpr const char* kDesktopKey = "Control Panel\\Desktop";

// Prepares a file the desktop can show from `sWallpaper`, applies the style selected in the
// style list, writes "Wallpaper", "TileWallpaper" and "WallpaperStyle" (and "ConvertedWallpaper"
// on desktops that keep a converted copy) and asks the system to reload the wallpaper. Every
// failure is reported through the Dialogs port; the refresh runs on every path.
void SetWallpaperSystem(DesktopContext& d, const std::string& sWallpaper);

// Removes the wallpaper: empty "Wallpaper", "TileWallpaper" and "WallpaperStyle" "0", then the
// refresh. When the desktop key cannot be opened nothing is written, and the refresh still
// runs. Failures go to the caller.
void ResetDesktopWallpaper(DesktopContext& d);

}  // namespace tapisto
