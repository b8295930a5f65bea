// Turning the chosen picture into a file the desktop can show: PNG and GIF into JPEG, or PNG,
// GIF and JPEG into BMP for desktops that keep a converted copy of the wallpaper. Each writes
// into WallpaperFolder under the picture's name with the new extension (no prefix), sets
// ComposedFile before writing, and lets every failure go to the caller.
#pragma once

#include <string>

#include "base/path.h"
#include "image/wallpaper_file.h"
#include "ports/files.h"
#include "state/log_lines.h"
#include "state/wallpaper_state.h"

namespace tapisto {

// What a conversion uses: the state record (background colour, WallpaperFolder, ComposedFile),
// the files port, the path rules and whom to tell of each saved picture.
struct ConvertContext {
  WallpaperState& state;
  Files& files;
  PathFlavour pathFlavour = kNativePathFlavour;
  CanvasObserver* canvasObserver = nullptr;
};

// The PNG over a plane of the desktop background colour, as JPEG; logs "newFileName: ".
void PNGtoJPEG(ConvertContext& ctx, LogLines& log, const std::string& fileName);
// The GIF's first frame on its own background colour, as JPEG; logs "newFileName: ".
void GIFtoJPEG(ConvertContext& ctx, LogLines& log, const std::string& fileName);
// The same pictures written as BMP; no log line.
void GIFtoBMP(ConvertContext& ctx, const std::string& fileName);
void JPEGtoBMP(ConvertContext& ctx, const std::string& fileName);
void PNGtoBMP(ConvertContext& ctx, const std::string& fileName);

// Prepares a file the desktop can show, as applying a wallpaper does. For a desktop that keeps
// a converted copy (`toBmp`), a path containing ".GIF", ".JPG" or ".PNG" (tested in this
// order, anywhere in the upper-cased path) becomes a BMP. Otherwise ".PNG", ".GIF" and ".JPG"
// are tested in this order: PNG and GIF become JPEG, a JPEG is used as it is (ComposedFile
// names it), and the line "sWallpaper: " + the path is logged. Returns false, doing nothing,
// when the path names none of these formats.
bool PrepareDesktopFile(ConvertContext& ctx, LogLines& log, const std::string& path, bool toBmp);

}  // namespace tapisto
