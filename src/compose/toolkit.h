// The steps every composition shares: load block, source raster (with its fill colour), screen
// canvas, the steps that place the picture and its mirror image, output name, busy-file wait;
// and the shared functions CaseStringOf, FlipReverseCopyRect and WaitMilliseconds. The
// background colour and the saving itself are the image layer's (image/wallpaper_file.h).
// Each composition runs these in its own order around its own geometry.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "compose/canvas.h"
#include "compose/composition_context.h"
#include "image/colour.h"
#include "image/gif.h"
#include "image/raster.h"
#include "image/rgba_image.h"

namespace tapisto {

// The extensions that select a reader, by index: 0 BMP, 1 JPEG, 2 GIF, 3 PNG.
inline constexpr std::array<std::string_view, 4> kExtensionList{".BMP", ".JPG", ".GIF", ".PNG"};

// The index of the last entry of `list` equal to `text` (exact, case-sensitive); -1 for none.
int CaseStringOf(std::string_view text, std::span<const std::string_view> list);

// Returns once more than `ms` milliseconds have passed by the tick counter, running pending
// window messages meanwhile. Between passes it sleeps on the message queue rather than
// spinning, so a waiting program costs no processor time.
void WaitMilliseconds(std::uint16_t ms, Clock& clock, MessagePump& pump);

// A new raster of `bitmap`'s size holding it upside down (`flip`) and/or mirrored left to
// right (`reverse`). It takes `bitmap`'s pixel format unless the source is a GIF picture.
Raster FlipReverseCopyRect(bool flip, bool reverse, const Raster& bitmap,
                           const WallpaperState& state);

// The chosen picture as its reader holds it, and what is placed on the canvas from it.
// Decoded pictures are shared (with the picture cache and the canvas steps), never changed.
struct LoadedPicture {
  std::shared_ptr<const Raster> bmp;     // a BMP picture
  std::shared_ptr<const Raster> jpeg;    // the decoded JPEG picture
  GifPicture gif;                        // the decoded GIF picture, its background set
  std::shared_ptr<const RgbaImage> png;  // the decoded PNG picture, alpha kept
  int w = 0;  // width and height as the reader reported them; 0 when nothing loaded
  int h = 0;
  // The w x h source raster (after PrepareSource); none where the picture is drawn over the
  // canvas itself. A BMP or JPEG picture is its own source raster.
  std::shared_ptr<const Raster> source;

  // True when PrepareSource left no source raster: the PNG is drawn over the canvas.
  bool DrawnDirectly() const noexcept { return source == nullptr; }
};

// Reads `fileName` with the reader its upper-cased extension selects, sets the kind flag and
// takes w and h. A failure is reported as "CaseStringOf\n\n" + error
// and the picture keeps what was set before it. A composition that shows no more than the top
// `rowsShown` rows of the picture says so: a JPEG picture read for it alone is decoded only
// that far, and its w x h is then the decoded part.
void LoadBlock(CompositionContext& ctx, const std::string& fileName, Colour background,
               LoadedPicture& picture, int rowsShown = INT_MAX);

// The rows of a picture whose top lies at row `y` that a canvas `height` rows tall shows: those
// above its row height - y.
int RowsShown(int height, int y);

// Turns the loaded picture into the w x h source raster: a JPEG or BMP picture is it already,
// a GIF picture is converted, a PNG is drawn over the background colour (on a screen-wide
// raster cut back to w columns: one wider than the screen keeps only its first W columns of
// picture, the rest is background colour). When `overBackground` (the canvas holds the
// background colour wherever the picture lands) a PNG no wider than the screen gets no source
// raster: drawing it over the canvas gives the pixels that copying its source raster would.
void PrepareSource(CompositionContext& ctx, Colour background, LoadedPicture& picture,
                   bool overBackground);

// The step that places the picture at (x, y): its w x h source raster copied as BitBlt does,
// or mirrored left to right as BitBltMirrored does; where PrepareSource left no source raster,
// the picture drawn over the canvas (mirrored).
CanvasStep PlaceSource(const LoadedPicture& picture, int x, int y, bool mirrored);

// The step that copies the w x h mirror raster from its point (0, 0) to (x, y), as BitBlt
// does. The mirror raster is the picture once more, mirrored left to right: a BMP read again
// from `fileName` (a damaged file fails here once more), a JPEG or GIF picture as it is, a PNG
// drawn at the right edge of a screen-wide raster in the background colour. Where that is the
// picture itself reversed (a JPEG, a GIF, a BMP, a PNG no wider than the screen) the picture
// is reversed while it is copied: no raster of its size is made.
CanvasStep PlaceMirror(CompositionContext& ctx, const std::string& fileName, Colour background,
                       const LoadedPicture& picture, int x, int y);

// A screen-sized canvas in the background colour. Pixels inside `covered` are left unpainted:
// the caller's next step overwrites all of them that lie on the canvas with opaque pixels.
Canvas NewScreenCanvas(CompositionContext& ctx, Colour background, Rect covered = {});

// The part of a canvas that PlaceSource(picture, x, y, false) overwrites whole: where the
// source raster is copied, or nothing where the picture is drawn over the canvas.
Rect CoveredBySource(const LoadedPicture& picture, int x, int y);

// `WallpaperFolder` + separator + prefix + the file-name part of `fileName`, extension
// replaced.
std::string CompositionOutputName(const CompositionContext& ctx, std::string_view prefix,
                                  const std::string& fileName, std::string_view extension);

// Waits while `ComposedFile` is in use, asking every so often whether to go on waiting. A
// failure is reported as `failureText` + error; the wait then ends.
void BusyFileWait(CompositionContext& ctx, const std::string& failureText);

// Where a composition saves its canvas: its files, observer and plain strips.
CanvasSaving SavingOf(const CompositionContext& ctx);

}  // namespace tapisto
