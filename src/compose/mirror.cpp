// "spiegeln": the picture mirrored left to right at the offsets on a screen-sized canvas.
#include "base/error.h"
#include "compose/compositions.h"
#include "compose/toolkit.h"

namespace tapisto {

void SpiegelnWin10(CompositionContext& ctx, const std::string& fileName) {
  WallpaperState& state = ctx.state;
  ClearSourceKinds(state);
  if (!ctx.files.FileExists(fileName)) return;

  LoadedPicture picture;
  const Colour background = BackgroundColourOf(state);
  const int y = ctx.controls.OffsetY();
  LoadBlock(ctx, fileName, background, picture, RowsShown(ctx.screen.Height(), y));
  try {
    PrepareSource(ctx, background, picture, true);
    const int x = ctx.controls.OffsetX();
    // A JPEG or GIF picture is copied reversed from the source raster itself, so the part of
    // the canvas it covers needs no paint.
    const bool copiesSource = state.SourceIsJpeg || state.SourceIsGif;
    Canvas canvas =
        NewScreenCanvas(ctx, background, copiesSource ? CoveredBySource(picture, x, y) : Rect{});
    // A PNG wider than the screen with a negative X would read columns past the mirror
    // raster's right edge (it is only W wide): those are dropped and keep the background.
    canvas.Add(PlaceMirror(ctx, fileName, background, picture, x, y));
    ctx.pump.ProcessMessages();
    state.ComposedFile = CompositionOutputName(ctx, "Mirr", fileName, ".jpg");
    ctx.controls.DetachOffsetHandlers();
    BusyFileWait(ctx, "SpiegelnWin10, Vorgang fehlgeschlagen.\n\n");
    SaveCanvasAsJpeg(SavingOf(ctx), canvas, state.ComposedFile);
    ctx.controls.AttachOffsetHandlers();
  } catch (...) {
    ctx.dialogs.ShowMessage("SpiegelnWin10, Fehler beim Speichern von " + state.ComposedFile +
                            "\n\n" + DescribeCurrentException());
    ctx.controls.AttachOffsetHandlers();
  }
}

}  // namespace tapisto
