// The steps every composition shares: background colour, load block with its fill step,
// source raster, screen canvas, mirror raster, output name, busy-file wait and save; and the
// shared functions CaseStringOf, FlipReverseCopyRect, IsFileLocked and WaitMilliseconds.
// Each composition runs these in its own order around its own geometry.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "compose/composition_context.h"
#include "compose/screen_canvas.h"
#include "image/colour.h"
#include "image/gif.h"
#include "image/raster.h"
#include "image/rgba_image.h"

namespace tapisto {

// The extensions that select a reader, by index: 0 BMP, 1 JPEG, 2 GIF, 3 PNG.
inline constexpr std::array<std::string_view, 4> kExtensionList{".BMP", ".JPG", ".GIF", ".PNG"};

// The index of the last entry of `list` equal to `text` (exact, case-sensitive); -1 for none.
int CaseStringOf(std::string_view text, std::span<const std::string_view> list);

// True when a file `path` exists and cannot be opened for reading and writing with no sharing
// at this moment; false when there is no such file or the open succeeds.
bool IsFileLocked(Files& files, const std::string& path);

// Returns once more than `ms` milliseconds have passed by the tick counter, running pending
// window messages meanwhile. Between passes it sleeps on the message queue rather than
// spinning, so a waiting program costs no processor time.
void WaitMilliseconds(std::uint16_t ms, Clock& clock, MessagePump& pump);

// A new raster of `bitmap`'s size holding it upside down (`flip`) and/or mirrored left to
// right (`reverse`). It takes `bitmap`'s pixel format unless the source is a GIF picture.
Raster FlipReverseCopyRect(bool flip, bool reverse, const Raster& bitmap,
                           const WallpaperState& state);

// ComposeRgb of BackgroundRed, BackgroundGreen and BackgroundBlue, converted blue first. A
// text that is not an integer throws ConversionError.
Colour BackgroundColourOf(const WallpaperState& state);

// The chosen picture as its reader holds it, and the source raster built from it. Decoded
// pictures are shared (with the picture cache), never changed: a BMP or JPEG picture serves as
// the source raster as it is, since the source raster of those is exactly the decoded picture.
struct LoadedPicture {
  LoadedPicture() = default;
  LoadedPicture(const LoadedPicture&) = delete;
  LoadedPicture& operator=(const LoadedPicture&) = delete;

  std::shared_ptr<const Raster> bmp;     // a BMP picture
  std::shared_ptr<const Raster> jpeg;    // the decoded JPEG picture
  GifPicture gif;                        // the decoded GIF picture, its background set
  std::shared_ptr<const RgbaImage> png;  // the decoded PNG picture, alpha kept
  Raster built;                          // the source raster where it is built here
  int w = 0;  // width and height as the reader reported them; 0 when nothing loaded
  int h = 0;

  // The w x h source raster (after BuildSourceRaster).
  const Raster& Source() const noexcept { return *source_; }
  // True when PrepareSource left the source raster unbuilt, for DrawSource to draw the
  // picture itself.
  bool DrawnDirectly() const noexcept { return direct_; }

 private:
  friend void BuildSourceRaster(CompositionContext&, Colour, LoadedPicture&);
  friend void PrepareSource(CompositionContext&, Colour, LoadedPicture&);
  const Raster* source_ = &built;
  bool direct_ = false;
};

// Reads `fileName` with the reader its upper-cased extension selects, sets the kind flag,
// takes w and h, and runs the fill step. A failure is reported as "CaseStringOf\n\n" + error
// and the picture keeps what was set before it.
void LoadBlock(CompositionContext& ctx, const std::string& fileName, Colour background,
               LoadedPicture& picture);

// Turns the loaded picture into the w x h source raster: a JPEG or GIF picture is assigned, a
// PNG is drawn over the background colour on a screen-wide raster, a BMP is already there.
void BuildSourceRaster(CompositionContext& ctx, Colour background, LoadedPicture& picture);

// BuildSourceRaster for compositions whose canvas is a new screen canvas, which copy the
// source raster onto it only through DrawSource: a PNG no wider than the screen is left
// unbuilt, since drawing it over the background-coloured canvas gives the pixels that copying
// its source raster would.
void PrepareSource(CompositionContext& ctx, Colour background, LoadedPicture& picture);

// Copies the w x h source raster from its point (0, 0) to (x, y) of `canvas` as BitBlt does,
// or mirrored left to right as BitBltMirrored does. Where PrepareSource left it unbuilt, the
// picture is drawn instead: `canvas` must then hold the background colour wherever the
// picture lands.
// Only rows inside `band` change.
void DrawSource(Raster& canvas, int x, int y, const LoadedPicture& picture, bool mirrored,
                RowBand band = {});
// DrawSource as a step of `canvas`: `picture` must live until the canvas is painted.
void DrawSource(ScreenCanvas& canvas, int x, int y, const LoadedPicture& picture, bool mirrored);

// BitBlt(canvas, x, y, w, h, source, 0, 0) as a step of `canvas`: `source` must live until the
// canvas is painted.
void CopyOnto(ScreenCanvas& canvas, int x, int y, int w, int h, const Raster& source);

// A screen-sized canvas in the background colour. Pixels inside `covered` are left unpainted:
// the caller's next step overwrites all of them that lie on the canvas with opaque pixels.
ScreenCanvas NewScreenCanvas(CompositionContext& ctx, Colour background, Rect covered = {});

// The part of a canvas that DrawSource(canvas, x, y, picture, ...) overwrites whole: where the
// source raster is copied, or nothing where the picture is drawn over the canvas.
Rect CoveredBySource(const LoadedPicture& picture, int x, int y);

// The picture once more, mirrored left to right: a BMP is read again from `fileName`, a JPEG
// or GIF picture is assigned, a PNG is drawn at the right edge of a screen-wide raster in the
// background colour. Empty when no picture was loaded.
Raster BuildMirrorRaster(CompositionContext& ctx, const std::string& fileName, Colour background,
                         const LoadedPicture& picture);

// The mirror raster of BuildMirrorRaster, made ready for one copy onto the canvas. Where the
// mirror image is the picture itself reversed (a JPEG, a GIF, a BMP read again, a PNG no wider
// than the screen) the picture is kept and reversed while it is copied: no second raster of
// its size is made. Otherwise the mirror raster is built.
class MirrorRaster {
 public:
  // Copies w x h pixels of the mirror raster from its point (0, 0) to (x, y) of `canvas`, as
  // BitBlt does; only rows inside `band` change.
  void CopyTo(Raster& canvas, int x, int y, int w, int h, RowBand band = {}) const;
  // CopyTo as a step of `canvas`: this mirror raster must live until the canvas is painted.
  void CopyTo(ScreenCanvas& canvas, int x, int y, int w, int h) const;

 private:
  friend MirrorRaster PrepareMirrorRaster(CompositionContext&, const std::string&, Colour,
                                          const LoadedPicture&);
  std::shared_ptr<const Raster> kept_;  // holds what `unmirrored_` points to, where needed
  const Raster* unmirrored_ = nullptr;
  const LoadedPicture* drawn_ = nullptr;  // a picture DrawSource draws mirrored
  Raster mirrored_;
};

// The mirror raster as BuildMirrorRaster makes it, with the same reads and failures.
MirrorRaster PrepareMirrorRaster(CompositionContext& ctx, const std::string& fileName,
                                 Colour background, const LoadedPicture& picture);

// `WallpaperFolder` + separator + prefix + the file-name part of `fileName`, extension
// replaced.
std::string CompositionOutputName(const CompositionContext& ctx, std::string_view prefix,
                                  const std::string& fileName, std::string_view extension);

// Waits while `ComposedFile` is in use, asking every so often whether to go on waiting. A
// failure is reported as `failureText` + error; the wait then ends.
void BusyFileWait(CompositionContext& ctx, const std::string& failureText);

// Writes the canvas to `path` as a JPEG of quality 100 (a 0 x 0 canvas gives an empty file),
// or as a BMP in its own pixel format. A file in use or read-only is not replaced: both throw
// FileWriteError, and the file that was there stays whole.
void SaveCanvasAsJpeg(CompositionContext& ctx, const Raster& canvas, const std::string& path);
void SaveCanvasAsBmp(CompositionContext& ctx, const Raster& canvas, const std::string& path);
// The same for a screen canvas, painted as it is encoded.
void SaveCanvasAsJpeg(CompositionContext& ctx, ScreenCanvas& canvas, const std::string& path);
void SaveCanvasAsBmp(CompositionContext& ctx, ScreenCanvas& canvas, const std::string& path);

}  // namespace tapisto
