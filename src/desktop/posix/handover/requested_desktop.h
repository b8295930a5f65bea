// The wallpaper settings one refresh hands to the running Linux desktop, as the hive holds them.
// On Windows the system takes the wallpaper from the settings when the program asks it to
// refresh; on Linux the refresh reads the settings just written and gives them to whatever
// desktop runs.
#pragma once

#include <string>

#include "base/error.h"

namespace tapisto {

// The running desktop (the X server, the desktop's settings service or its IPC) could not be
// reached or refused what it was given.
TAPISTO_ERROR_TYPE(DesktopError, Error);

// The desktop settings one refresh asked for, as the store holds them (texts, not numbers).
struct RequestedDesktop {
  std::string wallpaper;       // "Wallpaper" of Control Panel\Desktop
  std::string wallpaperStyle;  // "WallpaperStyle"
  std::string tileWallpaper;   // "TileWallpaper"
  std::string background;      // "Background" of Control Panel\Colors
};

}  // namespace tapisto
