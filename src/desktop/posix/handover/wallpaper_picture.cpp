#include "desktop/posix/handover/wallpaper_picture.h"

#include "base/error.h"
#include "base/path.h"
#include "image/bmp.h"
#include "image/gif.h"
#include "image/jpeg_decode.h"
#include "image/png.h"
#include "image/rgba_image.h"

namespace tapisto {

namespace {

Raster ReadByExtension(const std::string& path, const std::string& extension, Colour background,
                       bool& known) {
  known = true;
  if (extension == ".BMP") return ReadBmpFile(path);
  if (extension == ".JPG" || extension == ".JPEG" || extension == ".JPE" || extension == ".JFIF") {
    return ReadJpegFile(path);
  }
  if (extension == ".PNG") {
    const RgbaImage image = ReadPngFile(path);
    Raster raster(image.width, image.height, background);
    DrawRgba(raster, image, 0, 0);
    return raster;
  }
  if (extension == ".GIF") {
    GifPicture gif = ReadGifFile(path);
    gif.SetBackgroundColour(background);
    return gif.ToRaster();
  }
  known = false;
  return {};
}

}  // namespace

std::optional<Raster> ReadDesktopPicture(const std::string& path, Colour background) {
  if (path.empty()) return std::nullopt;
  bool known = false;
  try {
    Raster raster = ReadByExtension(path, UpperExtensionOf(path), background, known);
    if (!known || raster.Empty()) return std::nullopt;
    return raster;
  } catch (const Error&) {
    // A wallpaper the desktop cannot show is no failure of the refresh: Windows too shows the
    // background colour alone then.
    return std::nullopt;
  }
}

}  // namespace tapisto
