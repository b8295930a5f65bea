#include "image/wallpaper_file.h"

#include <cstdint>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "image/bmp.h"
#include "image/file_io.h"

namespace tapisto {

namespace {
constexpr int kJpegQuality = 100;

void WriteCanvasFile(Files& files, const std::vector<std::uint8_t>& bytes,
                     const std::string& path) {
  // A file another program holds cannot be replaced, as on Windows: without this check a
  // rename would quietly replace it on POSIX systems.
  if (IsFileLocked(files, path)) {
    throw FileWriteError("cannot write file \"" + path + "\": it is in use");
  }
  WriteWholeFile(path, bytes);
}
}  // namespace

bool IsFileLocked(Files& files, const std::string& path) {
  if (!files.FileExists(path)) return false;
  return !files.CanOpenExclusively(path);
}

Colour BackgroundColourOf(const WallpaperState& state) {
  const int blue = StrictToInt(state.BackgroundBlue);
  const int green = StrictToInt(state.BackgroundGreen);
  const int red = StrictToInt(state.BackgroundRed);
  return ComposeRgb(red, green, blue);
}

void SaveCanvasAsJpeg(const CanvasSaving& saving, const Raster& canvas, const std::string& path) {
  WriteCanvasFile(saving.files, EncodeJpeg(canvas, kJpegQuality), path);
  if (saving.canvasObserver != nullptr) saving.canvasObserver->CanvasSaved(canvas, path);
}

void SaveCanvasAsJpeg(const CanvasSaving& saving, BandPainter& canvas, const std::string& path) {
  WriteCanvasFile(saving.files, EncodeJpeg(canvas, kJpegQuality, saving.keptStrips), path);
  if (saving.canvasObserver == nullptr) return;
  // The encoder painted the canvas strip by strip, never whole: only for an observer that
  // looks at pixels is it painted whole.
  static const Raster kUnpainted;
  saving.canvasObserver->CanvasSaved(
      saving.canvasObserver->LooksAtPixels() ? canvas.Painted() : kUnpainted, path);
}

void SaveCanvasAsBmp(const CanvasSaving& saving, const Raster& canvas, const std::string& path) {
  WriteCanvasFile(saving.files, EncodeBmp(canvas), path);
  if (saving.canvasObserver != nullptr) saving.canvasObserver->CanvasSaved(canvas, path);
}

}  // namespace tapisto
