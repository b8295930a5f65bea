#include "convert/conversions.h"

#include "base/text.h"
#include "compose/toolkit.h"
#include "image/gif.h"
#include "image/jpeg.h"
#include "image/png.h"
#include "image/rgba_image.h"

namespace tapisto {

namespace {

// The PNG drawn over a plane of the background colour of its own size.
Raster PngOverBackground(CompositionContext& ctx, const std::string& fileName) {
  const RgbaImage png = ReadPngFile(fileName);
  const Colour background = BackgroundColourOf(ctx.state);
  Raster raster;
  raster.SetFillColour(background);  // before the size, so the new area takes it
  raster.SetHeight(png.height);
  raster.SetWidth(png.width);
  DrawRgba(raster, png, 0, 0);
  return raster;
}

// The first frame on the GIF's own background colour, not the desktop's.
Raster GifFirstFrame(const std::string& fileName) {
  return ReadGifFile(fileName).ToRaster();
}

std::string ConvertedName(const CompositionContext& ctx, const std::string& fileName,
                          std::string_view extension) {
  return CompositionOutputName(ctx, "", fileName, extension);
}

void WriteJpeg(CompositionContext& ctx, LogLines& log, const Raster& picture,
               const std::string& fileName) {
  ctx.state.ComposedFile = ConvertedName(ctx, fileName, ".jpg");
  SaveCanvasAsJpeg(ctx, picture, ctx.state.ComposedFile);
  AppendLogLine(log, "newFileName: " + ctx.state.ComposedFile);
}

void WriteBmp(CompositionContext& ctx, const Raster& picture, const std::string& fileName) {
  ctx.state.ComposedFile = ConvertedName(ctx, fileName, ".bmp");
  SaveCanvasAsBmp(ctx, picture, ctx.state.ComposedFile);
}

}  // namespace

void PNGtoJPEG(CompositionContext& ctx, LogLines& log, const std::string& fileName) {
  WriteJpeg(ctx, log, PngOverBackground(ctx, fileName), fileName);
}

void GIFtoJPEG(CompositionContext& ctx, LogLines& log, const std::string& fileName) {
  WriteJpeg(ctx, log, GifFirstFrame(fileName), fileName);
}

void GIFtoBMP(CompositionContext& ctx, const std::string& fileName) {
  WriteBmp(ctx, GifFirstFrame(fileName), fileName);
}

void JPEGtoBMP(CompositionContext& ctx, const std::string& fileName) {
  WriteBmp(ctx, ReadJpegFile(fileName), fileName);
}

void PNGtoBMP(CompositionContext& ctx, const std::string& fileName) {
  WriteBmp(ctx, PngOverBackground(ctx, fileName), fileName);
}

bool PrepareDesktopFile(CompositionContext& ctx, LogLines& log, const std::string& path,
                        bool toBmp) {
  const std::string upper = UpperAscii(path);
  const auto has = [&upper](const char* part) { return upper.find(part) != std::string::npos; };
  if (toBmp) {
    if (has(".GIF")) {
      GIFtoBMP(ctx, path);
    } else if (has(".JPG")) {
      JPEGtoBMP(ctx, path);
    } else if (has(".PNG")) {
      PNGtoBMP(ctx, path);
    } else {
      return false;
    }
    return true;
  }
  if (has(".PNG")) {
    PNGtoJPEG(ctx, log, path);
  } else if (has(".GIF")) {
    GIFtoJPEG(ctx, log, path);
  } else if (has(".JPG")) {
    ctx.state.ComposedFile = path;
  } else {
    return false;
  }
  AppendLogLine(log, "sWallpaper: " + path);
  return true;
}

}  // namespace tapisto
