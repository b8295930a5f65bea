// tapisto-tool decode: reads a picture with the reader its extension selects and writes what
// it decoded as a 24-bit BMP.
#include <iostream>

#include "base/error.h"
#include "base/path.h"
#include "image/bmp.h"
#include "image/gif.h"
#include "image/jpeg_decode.h"
#include "image/png.h"
#include "image/rgba_image.h"
#include "tool_support.h"

namespace tapisto::tool {

namespace {
Colour ParseColour(const std::string& text) {
  std::vector<int> parts;
  std::size_t start = 0;
  for (;;) {
    const auto blank = text.find(' ', start);
    parts.push_back(ParseInt(text.substr(start, blank - start), "a colour part"));
    if (blank == std::string::npos) break;
    start = blank + 1;
  }
  if (parts.size() != 3) throw UsageError("a colour is written \"R G B\", not '" + text + "'");
  for (int p : parts) {
    if (p < 0 || p > 255) throw UsageError("colour parts run from 0 to 255");
  }
  return ComposeRgb(parts[0], parts[1], parts[2]);
}

Raster Decode(const std::string& file, Colour background) {
  const std::string ext = UpperExtensionOf(file);
  if (ext == ".BMP") return ReadBmpFile(file);
  if (ext == ".JPG") return ReadJpegFile(file);
  if (ext == ".GIF") return ReadGifFile(file).ToRaster();
  if (ext == ".PNG") {
    const RgbaImage png = ReadPngFile(file);
    Raster raster(png.width, png.height, background);
    DrawRgba(raster, png, 0, 0);
    return raster;
  }
  throw UsageError("no reader for the extension of " + file +
                   " (one of .bmp, .jpg, .gif, .png in any letter case)");
}
}  // namespace

int RunDecode(const std::vector<std::string>& args) {
  const Arguments a = Arguments::Parse(args, {"--background"}, {});
  if (a.plain.size() != 2) throw UsageError("decode takes FILE and OUT.bmp");
  const Colour background = ParseColour(a.Get("--background").value_or("0 0 0"));
  try {
    Raster picture = Decode(a.plain[0], background);
    picture.SetFormat(PixelFormat::Bit24);
    WriteBmpFile(picture, a.plain[1]);
    std::cout << picture.Width() << " x " << picture.Height() << "\n";
    return 0;
  } catch (const UsageError&) {
    throw;
  } catch (...) {
    // Running out of memory on a huge picture is reported like any reader error.
    std::cerr << DescribeCurrentException() << "\n";
    return 1;
  }
}

}  // namespace tapisto::tool
