// Reading the desktop settings at start, backing up the system's cached wallpaper files, and
// putting the start wallpaper and those files back at exit.
#pragma once

#include <array>
#include <string>

#include "desktop/desktop_context.h"

namespace tapisto {

// The key holding the desktop background colour ("Background": "R G B").
inline constexpr const char* kColorsKey = "Control Panel\\Colors";

// The system's cached wallpaper files, always handled in this order, each by its bare name
// inside ThemesFolder and TempFolder (both end in a separator).
inline constexpr std::array<const char*, 3> kThemeFiles = {"Transcoded_000", "TranscodedWallpaper",
                                                           "slideshow.ini"};

// Reads the background colour into the state record (split into its three texts) and the
// desktop's wallpaper settings into the out-parameters, notes "ConvertedWallpaper", keeps up to
// 800 bytes of "TranscodedImageCache", selects the style entry matching the stored values and
// shows the stored offsets. Each out-parameter is assigned only when its step runs. When the
// desktop key does not open, the operation ends silently after the colour. Failures reading the
// settings go to the caller, except a non-string "WallpaperOriginX"/"WallpaperOriginY", which
// ends the offset reads silently.
void GetWallpaperSystem(DesktopContext& d, std::string& sWallpaper, int& bTile, int& bStyle,
                        int& X_Pos, int& Y_Pos);

// Copies each theme file that exists from ThemesFolder to TempFolder, replacing an earlier
// backup. A failed copy is not reported.
void BackupThemeFiles(DesktopContext& d);

// Writes "Wallpaper" = `sWallpaper` and the kept "TranscodedImageCache" back, copies each backed
// up theme file back into ThemesFolder and deletes its backup, then asks the system to reload
// the wallpaper. Every failure is reported through the Dialogs port.
void SetOldWallpaper(DesktopContext& d, const std::string& sWallpaper);

}  // namespace tapisto
