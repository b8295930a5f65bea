// Saving the wallpaper file: a composed or converted picture written as JPEG or BMP, never
// over a file another program holds; and the desktop background colour pictures are placed
// over. Compositions and conversions both save through here.
#pragma once

#include <string>

#include "image/colour.h"
#include "image/jpeg_encode.h"
#include "image/raster.h"
#include "image/strip_cache.h"
#include "ports/files.h"
#include "state/wallpaper_state.h"

namespace tapisto {

// Told of every picture just saved, before encoding shaped it: lets a caller see the saved
// pixels exactly (the JPEG file holds them only approximately).
class CanvasObserver {
 public:
  virtual ~CanvasObserver() = default;
  virtual void CanvasSaved(const Raster& canvas, const std::string& path) = 0;
  // False for an observer that only wants to know which files were saved: a composed canvas,
  // which the encoder painted strip by strip, is then not painted whole for it, and it is
  // given an empty raster instead.
  virtual bool LooksAtPixels() const noexcept { return true; }
};

// Where saved pictures go besides their file.
struct CanvasSaving {
  Files& files;
  CanvasObserver* canvasObserver = nullptr;
  // Keeps the bytes of JPEG strips known without painting (plain, or the start wallpaper
  // alone) between saves; none: every save compresses them afresh (a plain strip repeated
  // within one picture is still compressed once).
  StripCache* keptStrips = nullptr;
};

// True when a file `path` exists and cannot be opened for reading and writing with no sharing
// at this moment; false when there is no such file or the open succeeds.
bool IsFileLocked(Files& files, const std::string& path);

// ComposeRgb of BackgroundRed, BackgroundGreen and BackgroundBlue, converted blue first. A
// text that is not an integer throws ConversionError.
Colour BackgroundColourOf(const WallpaperState& state);

// Writes `canvas` to `path` as a JPEG of quality 100 (a 0 x 0 canvas gives an empty file), or
// as a BMP in its own pixel format. A file in use or read-only is not replaced: both throw
// FileWriteError, and the file that was there stays whole.
//
// A canvas given as a BandPainter is painted band by band as it is encoded (see EncodeJpeg),
// and whole only for an observer that looks at pixels. What it throws while painting reaches
// the caller as thrown, and no file is written then.
void SaveCanvasAsJpeg(const CanvasSaving& saving, const Raster& canvas, const std::string& path);
void SaveCanvasAsJpeg(const CanvasSaving& saving, BandPainter& canvas, const std::string& path);
void SaveCanvasAsBmp(const CanvasSaving& saving, const Raster& canvas, const std::string& path);

}  // namespace tapisto
