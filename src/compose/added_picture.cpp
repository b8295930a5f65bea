// "addieren": the picture placed over the wallpaper the program started with. The base is
// always the start wallpaper, so placements never pile up.
#include "base/error.h"
#include "compose/compositions.h"
#include "compose/picture_cache.h"
#include "compose/toolkit.h"

namespace tapisto {

void AddPictureWin10(CompositionContext& ctx, const std::string& fileName,
                     const std::string& oldFileName) {
  WallpaperState& state = ctx.state;
  ClearSourceKinds(state);
  if (!ctx.files.FileExists(fileName) || !ctx.files.FileExists(oldFileName)) return;
  // Only ".BMP" selects the BMP reader for the base; anything else, no extension included
  // (the system's cache file of the wallpaper), is read as JPEG.
  const bool baseIsBmp = UpperExtensionOf(oldFileName, ctx.pathFlavour) == ".BMP";

  LoadedPicture picture;
  const Colour background = BackgroundColourOf(state);
  LoadBlock(ctx, fileName, background, picture);
  try {
    // The picture lands on the base, not on the background: it always has a source raster.
    PrepareSource(ctx, background, picture, false);
    std::shared_ptr<const Raster> base = std::make_shared<const Raster>();
    try {
      base = baseIsBmp ? LoadBmp(ctx.pictureCache, oldFileName)
                       : LoadJpeg(ctx.pictureCache, oldFileName);
    } catch (...) {
      ctx.dialogs.ShowMessage(oldFileName + "\n\n" + DescribeCurrentException());
    }
    // The canvas takes the base's size, and the base covers all of it.
    const int width = base->Width();
    const int height = base->Height();
    Canvas canvas(width, height, background, {0, 0, width, height});
    canvas.Add(PlaceFixedRaster(base));
    const int y = ctx.controls.OffsetY();
    const int x = ctx.controls.OffsetX();
    canvas.Add(PlaceSource(picture, x, y, false));
    state.ComposedFile = CompositionOutputName(ctx, "Add", fileName, ".jpg");
    ctx.controls.DetachOffsetHandlers();
    BusyFileWait(ctx, "AddPictureWin10, Vorgang fehlgeschlagen.\n\n");
    // After a failed base read the canvas is 0 x 0 and this writes an empty file; the user
    // has been told which base could not be read.
    SaveCanvasAsJpeg(SavingOf(ctx), canvas, state.ComposedFile);
    ctx.controls.AttachOffsetHandlers();
  } catch (...) {
    ctx.dialogs.ShowMessage("AddPictureWin10, Fehler beim Speichern von " + state.ComposedFile +
                            "\n\n" + oldFileName + "\n\n" + DescribeCurrentException());
    ctx.controls.AttachOffsetHandlers();
  }
}

}  // namespace tapisto
