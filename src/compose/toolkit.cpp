#include "compose/toolkit.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "base/error.h"
#include "base/text.h"
#include "compose/picture_cache.h"
#include "image/bmp.h"
#include "image/file_io.h"
#include "image/jpeg.h"

namespace tapisto {

namespace {
constexpr int kJpegQuality = 100;
}  // namespace

int CaseStringOf(std::string_view text, std::span<const std::string_view> list) {
  for (auto i = static_cast<int>(list.size()) - 1; i >= 0; --i) {
    if (list[static_cast<std::size_t>(i)] == text) return i;
  }
  return -1;
}

bool IsFileLocked(Files& files, const std::string& path) {
  if (!files.FileExists(path)) return false;
  return !files.CanOpenExclusively(path);
}

void WaitMilliseconds(std::uint16_t ms, Clock& clock, MessagePump& pump) {
  const std::uint32_t start = clock.TickCount();
  for (;;) {
    const std::uint32_t elapsed = clock.TickCount() - start;  // wraps modulo 2^32
    if (elapsed > ms) return;
    pump.ProcessMessages();
    pump.WaitForMessages(ms - elapsed + 1);
  }
}

Raster FlipReverseCopyRect(bool flip, bool reverse, const Raster& bitmap,
                           const WallpaperState& state) {
  Raster result;
  result.SetWidth(bitmap.Width());
  result.SetHeight(bitmap.Height());
  if (!state.SourceIsGif) {
    result.SetFormat(bitmap.Format());
    result.SetPalette(bitmap.Palette());
  }
  const int width = bitmap.Width();
  const int height = bitmap.Height();
  const Rect dest{reverse ? width - 1 : 0, flip ? height - 1 : 0, reverse ? -1 : width,
                  flip ? -1 : height};
  CopyRect(result, dest, bitmap, {0, 0, width, height});
  return result;
}

Colour BackgroundColourOf(const WallpaperState& state) {
  const int blue = StrictToInt(state.BackgroundBlue);
  const int green = StrictToInt(state.BackgroundGreen);
  const int red = StrictToInt(state.BackgroundRed);
  return ComposeRgb(red, green, blue);
}

void LoadBlock(CompositionContext& ctx, const std::string& fileName, Colour background,
               LoadedPicture& picture) {
  WallpaperState& state = ctx.state;
  try {
    const int index = CaseStringOf(UpperExtensionOf(fileName, ctx.pathFlavour), kExtensionList);
    switch (index) {
      case 0:
        state.SourceIsBmp = true;
        picture.bmp = LoadBmp(ctx.pictureCache, fileName);
        picture.w = picture.bmp->Width();
        picture.h = picture.bmp->Height();
        break;
      case 1:
        state.SourceIsJpeg = true;
        picture.jpeg = LoadJpeg(ctx.pictureCache, fileName);
        picture.w = picture.jpeg->Width();
        picture.h = picture.jpeg->Height();
        break;
      case 2:
        state.SourceIsGif = true;
        picture.gif = *LoadGif(ctx.pictureCache, fileName);
        // The transparent parts of the GIF show the desktop background colour.
        picture.gif.SetBackgroundColour(background);
        picture.w = picture.gif.Width();
        picture.h = picture.gif.Height();
        break;
      case 3:
        state.SourceIsPng = true;
        picture.png = LoadPng(ctx.pictureCache, fileName);
        picture.w = picture.png->width;
        picture.h = picture.png->height;
        break;
      default:
        break;  // any other extension loads nothing
    }
    // Fill step: the source raster's fill colour, which its later resizes paint with. The
    // rectangle (w, 0, W - w, h) changes no pixel: it starts at column w, the right edge of a
    // BMP picture (and of every raster not yet built), and is inverted when w > W - w.
    picture.built.SetFillColour(background);
  } catch (...) {
    ctx.dialogs.ShowMessage("CaseStringOf\n\n" + DescribeCurrentException());
  }
}

void BuildSourceRaster(CompositionContext& ctx, Colour background, LoadedPicture& picture) {
  const WallpaperState& state = ctx.state;
  Raster& built = picture.built;
  picture.source_ = &built;
  if (state.SourceIsJpeg) {
    // A decoded JPEG is w x h already: it is the source raster.
    if (picture.jpeg) {
      picture.source_ = picture.jpeg.get();
      return;
    }
  } else if (state.SourceIsGif) {
    built = picture.gif.ToRaster();
    built.SetFillColour(background);
  } else if (state.SourceIsPng) {
    built.SetHeight(picture.h);
    if (picture.w <= ctx.screen.Width()) {
      // Drawn on a w-wide raster straight away: the same pixels as drawing on a screen-wide
      // one and cutting it back below, without painting and copying the screen's width.
      built.SetWidth(picture.w);
    } else {
      built.SetWidth(ctx.screen.Width());
    }
    if (picture.png) DrawRgba(built, *picture.png, 0, 0);
  } else if (state.SourceIsBmp && picture.bmp) {
    picture.source_ = picture.bmp.get();  // the file was read into the source raster
    return;
  }
  // Cuts a PNG back to w columns: one wider than the screen keeps only its first W columns
  // of picture, the rest is background colour.
  built.SetHeight(picture.h);
  built.SetWidth(picture.w);
}

void PrepareSource(CompositionContext& ctx, Colour background, LoadedPicture& picture) {
  picture.direct_ = ctx.state.SourceIsPng && picture.png && picture.w <= ctx.screen.Width();
  if (!picture.direct_) BuildSourceRaster(ctx, background, picture);
}

void DrawSource(Raster& canvas, int x, int y, const LoadedPicture& picture, bool mirrored,
                RowBand band) {
  if (picture.DrawnDirectly()) {
    if (mirrored) {
      DrawRgbaMirrored(canvas, *picture.png, x, y, band);
    } else {
      DrawRgba(canvas, *picture.png, x, y, band);
    }
  } else if (mirrored) {
    BitBltMirrored(canvas, x, y, picture.w, picture.h, picture.Source(), band);
  } else {
    BitBlt(canvas, x, y, picture.w, picture.h, picture.Source(), 0, 0, band);
  }
}

void DrawSource(ScreenCanvas& canvas, int x, int y, const LoadedPicture& picture, bool mirrored) {
  canvas.Record(
      [x, y, &picture, mirrored](Raster& raster, RowBand band) {
        DrawSource(raster, x, y, picture, mirrored, band);
      },
      RowsOf(y, picture.h));
}

void CopyOnto(ScreenCanvas& canvas, int x, int y, int w, int h, const Raster& source) {
  canvas.Record(
      [x, y, w, h, &source](Raster& raster, RowBand band) {
        BitBlt(raster, x, y, w, h, source, 0, 0, band);
      },
      RowsOf(y, h));
}

ScreenCanvas NewScreenCanvas(CompositionContext& ctx, Colour background, Rect covered) {
  return ScreenCanvas(ctx.screen.Width(), ctx.screen.Height(), background, covered);
}

Rect CoveredBySource(const LoadedPicture& picture, int x, int y) {
  if (picture.DrawnDirectly()) return {};
  // Edges beyond the range of int lie off every canvas: they are clamped.
  const auto edge = [](std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
  };
  const Raster& source = picture.Source();
  return {x, y, edge(std::int64_t{x} + std::min(picture.w, source.Width())),
          edge(std::int64_t{y} + std::min(picture.h, source.Height()))};
}

Raster BuildMirrorRaster(CompositionContext& ctx, const std::string& fileName, Colour background,
                         const LoadedPicture& picture) {
  const WallpaperState& state = ctx.state;
  if (state.SourceIsBmp) {
    // Read again from the file (a damaged file fails here once more).
    return FlipReverseCopyRect(false, true, *LoadBmp(ctx.pictureCache, fileName), state);
  }
  if (state.SourceIsJpeg) {
    return FlipReverseCopyRect(false, true, picture.jpeg ? *picture.jpeg : Raster(), state);
  }
  if (state.SourceIsGif) return FlipReverseCopyRect(false, true, picture.gif.ToRaster(), state);
  Raster mirror;
  if (state.SourceIsPng) {
    mirror.SetFillColour(background);
    mirror.SetHeight(picture.Source().Height());
    const int screenWidth = ctx.screen.Width();
    mirror.SetWidth(screenWidth);
    // At the right edge, so that after mirroring the picture starts in column 0.
    if (picture.png) DrawRgba(mirror, *picture.png, screenWidth - picture.png->width, 0);
  }
  return FlipReverseCopyRect(false, true, mirror, state);
}

void MirrorRaster::CopyTo(Raster& canvas, int x, int y, int w, int h, RowBand band) const {
  if (drawn_ != nullptr) {
    // w and h are the picture's own: the whole of it lands.
    DrawSource(canvas, x, y, *drawn_, true, band);
  } else if (unmirrored_ != nullptr) {
    BitBltMirrored(canvas, x, y, w, h, *unmirrored_, band);
  } else {
    BitBlt(canvas, x, y, w, h, mirrored_, 0, 0, band);
  }
}

void MirrorRaster::CopyTo(ScreenCanvas& canvas, int x, int y, int w, int h) const {
  canvas.Record(
      [this, x, y, w, h](Raster& raster, RowBand band) { CopyTo(raster, x, y, w, h, band); },
      RowsOf(y, h));
}

MirrorRaster PrepareMirrorRaster(CompositionContext& ctx, const std::string& fileName,
                                 Colour background, const LoadedPicture& picture) {
  const WallpaperState& state = ctx.state;
  MirrorRaster mirror;
  if (state.SourceIsBmp) {
    // Read again from the file (a damaged file fails here once more).
    mirror.kept_ = LoadBmp(ctx.pictureCache, fileName);
    mirror.unmirrored_ = mirror.kept_.get();
  } else if (state.SourceIsJpeg) {
    mirror.kept_ = picture.jpeg ? picture.jpeg : std::make_shared<const Raster>();
    mirror.unmirrored_ = mirror.kept_.get();
  } else if (state.SourceIsGif) {
    // The source raster is the GIF picture converted, its background colour set.
    mirror.unmirrored_ = &picture.Source();
  } else if (state.SourceIsPng && picture.DrawnDirectly()) {
    // The mirror raster's first w columns are the picture over the background, reversed.
    mirror.drawn_ = &picture;
  } else if (state.SourceIsPng && picture.png && picture.w <= ctx.screen.Width()) {
    // The screen-wide mirror raster holds the picture over the background in its first w
    // columns, reversed; that is the source raster reversed.
    mirror.unmirrored_ = &picture.Source();
  } else {
    mirror.mirrored_ = BuildMirrorRaster(ctx, fileName, background, picture);
  }
  return mirror;
}

std::string CompositionOutputName(const CompositionContext& ctx, std::string_view prefix,
                                  const std::string& fileName, std::string_view extension) {
  return OutputFileName(ctx.state.WallpaperFolder, prefix, fileName, extension, ctx.pathFlavour);
}

void BusyFileWait(CompositionContext& ctx, const std::string& failureText) {
  WallpaperState& state = ctx.state;
  try {
    state.LockWaitMs = 0;
    // ComposedFile is read afresh each pass: a handler run by the pump may change it.
    while (IsFileLocked(ctx.files, state.ComposedFile)) {
      WaitMilliseconds(10, ctx.clock, ctx.pump);
      state.LockWaitMs += 10;
      if (state.LockWaitMs < 2500) continue;
      if (!ctx.dialogs.Confirm("Die Datei " + state.ComposedFile + " ist in Benutzung. Warten?")) {
        break;
      }
      state.LockWaitMs = 1000;
    }
  } catch (...) {
    ctx.dialogs.ShowMessage(failureText + DescribeCurrentException());
  }
}

namespace {
void WriteCanvasFile(CompositionContext& ctx, const std::vector<std::uint8_t>& bytes,
                     const std::string& path) {
  // A file another program holds cannot be replaced, as on Windows: without this check a
  // rename would quietly replace it on POSIX systems.
  if (IsFileLocked(ctx.files, path)) {
    throw FileWriteError("cannot write file \"" + path + "\": it is in use");
  }
  WriteWholeFile(path, bytes);
}

void SaveBytes(CompositionContext& ctx, const Raster& canvas,
               const std::vector<std::uint8_t>& bytes, const std::string& path) {
  WriteCanvasFile(ctx, bytes, path);
  if (ctx.canvasObserver != nullptr) ctx.canvasObserver->CanvasSaved(canvas, path);
}
}  // namespace

void SaveCanvasAsJpeg(CompositionContext& ctx, const Raster& canvas, const std::string& path) {
  SaveBytes(ctx, canvas, EncodeJpeg(canvas, kJpegQuality), path);
}

void SaveCanvasAsBmp(CompositionContext& ctx, const Raster& canvas, const std::string& path) {
  SaveBytes(ctx, canvas, EncodeBmp(canvas), path);
}

void SaveCanvasAsJpeg(CompositionContext& ctx, ScreenCanvas& canvas, const std::string& path) {
  WriteCanvasFile(ctx, EncodeJpeg(canvas.Unfinished(), kJpegQuality, canvas, ctx.plainStrips),
                  path);
  // Plain strips whose bytes the encoder had at hand were left unpainted; only an observer
  // looks at the canvas after this.
  if (ctx.canvasObserver != nullptr) ctx.canvasObserver->CanvasSaved(canvas.Painted(), path);
}

void SaveCanvasAsBmp(CompositionContext& ctx, ScreenCanvas& canvas, const std::string& path) {
  SaveCanvasAsBmp(ctx, canvas.Painted(), path);
}

}  // namespace tapisto
