#include "compose/toolkit.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "base/error.h"
#include "base/text.h"
#include "compose/picture_cache.h"

namespace tapisto {

int CaseStringOf(std::string_view text, std::span<const std::string_view> list) {
  for (auto i = static_cast<int>(list.size()) - 1; i >= 0; --i) {
    if (list[static_cast<std::size_t>(i)] == text) return i;
  }
  return -1;
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

void LoadBlock(CompositionContext& ctx, const std::string& fileName, Colour background,
               LoadedPicture& picture, int rowsShown) {
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
        picture.jpeg = LoadJpeg(ctx.pictureCache, fileName, rowsShown);
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
  } catch (...) {
    ctx.dialogs.ShowMessage("CaseStringOf\n\n" + DescribeCurrentException());
  }
}

int RowsShown(int height, int y) {
  return static_cast<int>(std::clamp<std::int64_t>(std::int64_t{height} - y, 0, INT_MAX));
}

namespace {
// The picture once more, mirrored left to right, as a raster of its own: a BMP read again from
// `fileName`, a JPEG or GIF picture reversed, a PNG drawn at the right edge of a screen-wide
// raster in the background colour and reversed. Empty when no picture was loaded.
Raster BuildMirrorRaster(CompositionContext& ctx, const std::string& fileName, Colour background,
                         const LoadedPicture& picture) {
  const WallpaperState& state = ctx.state;
  if (state.SourceIsBmp) {
    return FlipReverseCopyRect(false, true, *LoadBmp(ctx.pictureCache, fileName), state);
  }
  if (state.SourceIsJpeg) {
    return FlipReverseCopyRect(false, true, picture.jpeg ? *picture.jpeg : Raster(), state);
  }
  if (state.SourceIsGif) return FlipReverseCopyRect(false, true, picture.gif.ToRaster(), state);
  Raster mirror;
  if (state.SourceIsPng) {
    mirror.SetFillColour(background);
    mirror.SetHeight(picture.source ? picture.source->Height() : 0);
    const int screenWidth = ctx.screen.Width();
    mirror.SetWidth(screenWidth);
    // At the right edge, so that after mirroring the picture starts in column 0.
    if (picture.png) DrawRgba(mirror, *picture.png, screenWidth - picture.png->width, 0);
  }
  return FlipReverseCopyRect(false, true, mirror, state);
}
}  // namespace

void PrepareSource(CompositionContext& ctx, Colour background, LoadedPicture& picture,
                   bool overBackground) {
  const WallpaperState& state = ctx.state;
  picture.source = nullptr;
  if (overBackground && state.SourceIsPng && picture.png && picture.w <= ctx.screen.Width()) {
    return;  // drawn over the canvas itself
  }
  // The source raster's fill colour is what its resizes paint with. (The program's fill of
  // the rectangle (w, 0, W - w, h) changes no pixel: it starts at column w, the right edge of
  // a BMP picture and of every raster not yet built, and is inverted when w > W - w.)
  auto built = std::make_shared<Raster>();
  built->SetFillColour(background);
  if (state.SourceIsJpeg) {
    // A decoded JPEG is w x h already: it is the source raster.
    if (picture.jpeg) {
      picture.source = picture.jpeg;
      return;
    }
  } else if (state.SourceIsGif) {
    *built = picture.gif.ToRaster();
    built->SetFillColour(background);
  } else if (state.SourceIsPng) {
    built->SetHeight(picture.h);
    // Drawn on a w-wide raster straight away where it fits: the same pixels as drawing on a
    // screen-wide one and cutting it back below, without painting and copying the screen's
    // width.
    built->SetWidth(picture.w <= ctx.screen.Width() ? picture.w : ctx.screen.Width());
    if (picture.png) DrawRgba(*built, *picture.png, 0, 0);
  } else if (state.SourceIsBmp && picture.bmp) {
    picture.source = picture.bmp;  // the file was read into the source raster
    return;
  }
  // Cuts a PNG back to w columns: one wider than the screen keeps only its first W columns
  // of picture, the rest is background colour.
  built->SetHeight(picture.h);
  built->SetWidth(picture.w);
  picture.source = std::move(built);
}

CanvasStep PlaceSource(const LoadedPicture& picture, int x, int y, bool mirrored) {
  if (picture.DrawnDirectly()) return PlaceRgba(picture.png, x, y, mirrored);
  return PlaceRaster(picture.source, x, y, picture.w, picture.h, mirrored);
}

CanvasStep PlaceMirror(CompositionContext& ctx, const std::string& fileName, Colour background,
                       const LoadedPicture& picture, int x, int y) {
  const WallpaperState& state = ctx.state;
  const int w = picture.w;
  const int h = picture.h;
  if (state.SourceIsBmp) {
    // Read again from the file (a damaged file fails here once more).
    return PlaceRaster(LoadBmp(ctx.pictureCache, fileName), x, y, w, h, true);
  }
  if (state.SourceIsJpeg) {
    return PlaceRaster(picture.jpeg ? picture.jpeg : std::make_shared<const Raster>(), x, y, w, h,
                       true);
  }
  if (state.SourceIsGif) {
    // The source raster is the GIF picture converted, its background colour set.
    return PlaceRaster(picture.source, x, y, w, h, true);
  }
  if (state.SourceIsPng && picture.DrawnDirectly()) {
    // The mirror raster's first w columns are the picture over the background, reversed.
    return PlaceRgba(picture.png, x, y, true);
  }
  if (state.SourceIsPng && picture.png && picture.w <= ctx.screen.Width()) {
    // The screen-wide mirror raster holds the picture over the background in its first w
    // columns, reversed; that is the source raster reversed.
    return PlaceRaster(picture.source, x, y, w, h, true);
  }
  return PlaceRaster(
      std::make_shared<const Raster>(BuildMirrorRaster(ctx, fileName, background, picture)), x, y,
      w, h);
}

Canvas NewScreenCanvas(CompositionContext& ctx, Colour background, Rect covered) {
  return Canvas(ctx.screen.Width(), ctx.screen.Height(), background, covered);
}

Rect CoveredBySource(const LoadedPicture& picture, int x, int y) {
  if (picture.DrawnDirectly()) return {};
  // Edges beyond the range of int lie off every canvas: they are clamped.
  const auto edge = [](std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
  };
  const Raster& source = *picture.source;
  return {x, y, edge(std::int64_t{x} + std::min(picture.w, source.Width())),
          edge(std::int64_t{y} + std::min(picture.h, source.Height()))};
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

CanvasSaving SavingOf(const CompositionContext& ctx) {
  return {ctx.files, ctx.canvasObserver, ctx.keptStrips};
}

}  // namespace tapisto
