#include "ui/picture_size.h"

#include "base/error.h"
#include "base/path.h"
#include "base/text.h"
#include "image/bmp.h"
#include "image/gif.h"
#include "image/jpeg_decode.h"
#include "image/png.h"

namespace tapisto {

PictureSize LoadPictureSize(const std::string& path) {
  const std::string extension = UpperExtensionOf(path);
  if (extension == ".BMP") {
    const Raster picture = ReadBmpFile(path);
    return {picture.Width(), picture.Height()};
  }
  if (extension == ".JPG" || extension == ".JPEG") {
    const Raster picture = ReadJpegFile(path);
    return {picture.Width(), picture.Height()};
  }
  if (extension == ".GIF") {
    const GifPicture picture = ReadGifFile(path);
    return {picture.Width(), picture.Height()};
  }
  if (extension == ".PNG") {
    const RgbaImage picture = ReadPngFile(path);
    return {picture.width, picture.height};
  }
  throw ImageFormatError("unknown picture file extension (" +
                         std::string(ExtensionOf(FileNamePart(path))) + ")");
}

}  // namespace tapisto
