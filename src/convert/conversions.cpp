#include "convert/conversions.h"

#include "base/path.h"
#include "base/text.h"
#include "image/gif.h"
#include "image/jpeg_decode.h"
#include "image/png.h"
#include "image/rgba_image.h"

namespace tapisto {

namespace {

CanvasSaving SavingOf(const ConvertContext& ctx) {
  return {ctx.files, ctx.canvasObserver, nullptr};
}

// The PNG drawn over a plane of the background colour of its own size.
Raster PngOverBackground(ConvertContext& ctx, const std::string& fileName) {
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

std::string ConvertedName(const ConvertContext& ctx, const std::string& fileName,
                          std::string_view extension) {
  return OutputFileName(ctx.state.WallpaperFolder, "", fileName, extension, ctx.pathFlavour);
}

void WriteJpeg(ConvertContext& ctx, LogLines& log, const Raster& picture,
               const std::string& fileName) {
  ctx.state.ComposedFile = ConvertedName(ctx, fileName, ".jpg");
  SaveCanvasAsJpeg(SavingOf(ctx), picture, ctx.state.ComposedFile);
  AppendLogLine(log, "newFileName: " + ctx.state.ComposedFile);
}

void WriteBmp(ConvertContext& ctx, const Raster& picture, const std::string& fileName) {
  ctx.state.ComposedFile = ConvertedName(ctx, fileName, ".bmp");
  SaveCanvasAsBmp(SavingOf(ctx), picture, ctx.state.ComposedFile);
}

}  // namespace

void PNGtoJPEG(ConvertContext& ctx, LogLines& log, const std::string& fileName) {
  WriteJpeg(ctx, log, PngOverBackground(ctx, fileName), fileName);
}

void GIFtoJPEG(ConvertContext& ctx, LogLines& log, const std::string& fileName) {
  WriteJpeg(ctx, log, GifFirstFrame(fileName), fileName);
}

void GIFtoBMP(ConvertContext& ctx, const std::string& fileName) {
  WriteBmp(ctx, GifFirstFrame(fileName), fileName);
}

void JPEGtoBMP(ConvertContext& ctx, const std::string& fileName) {
  WriteBmp(ctx, ReadJpegFile(fileName), fileName);
}

void PNGtoBMP(ConvertContext& ctx, const std::string& fileName) {
  WriteBmp(ctx, PngOverBackground(ctx, fileName), fileName);
}

bool PrepareDesktopFile(ConvertContext& ctx, LogLines& log, const std::string& path, bool toBmp) {
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
