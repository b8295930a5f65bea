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

void SaveCanvasAsJpeg(const CanvasSaving& saving, const Raster& canvas, const std::string& path,
                      BandPainter* painter) {
  if (painter == nullptr) {
    WriteCanvasFile(saving.files, EncodeJpeg(canvas, kJpegQuality), path);
  } else {
    WriteCanvasFile(saving.files, EncodeJpeg(canvas, kJpegQuality, *painter, saving.keptStrips),
                    path);
  }
  if (saving.canvasObserver == nullptr) return;
  // The encoder leaves plain strips unpainted; only an observer looks at the canvas after this.
  if (painter != nullptr && saving.canvasObserver->LooksAtPixels()) {
    painter->Paint({0, canvas.Height()});
  }
  saving.canvasObserver->CanvasSaved(canvas, path);
}

void SaveCanvasAsBmp(const CanvasSaving& saving, const Raster& canvas, const std::string& path) {
  WriteCanvasFile(saving.files, EncodeBmp(canvas), path);
  if (saving.canvasObserver != nullptr) saving.canvasObserver->CanvasSaved(canvas, path);
}

}  // namespace tapisto
