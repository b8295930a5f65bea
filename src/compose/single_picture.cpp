// "normal": one unscaled copy of the picture at the offsets on a screen-sized canvas.
#include "base/error.h"
#include "compose/compositions.h"
#include "compose/toolkit.h"

namespace tapisto {

void SinglePictureWin10(CompositionContext& ctx, const std::string& fileName) {
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
    Canvas canvas = NewScreenCanvas(ctx, background, CoveredBySource(picture, x, y));
    canvas.Add(PlaceSource(picture, x, y, false));
    ctx.controls.DetachOffsetHandlers();
    state.ComposedFile = CompositionOutputName(ctx, "0", fileName, ".jpg");
    BusyFileWait(ctx, "SinglePictureWin10, Vorgang fehlgeschlagen.\n\n");
    SaveCanvasAsJpeg(SavingOf(ctx), canvas, state.ComposedFile);
    ctx.controls.AttachOffsetHandlers();
  } catch (...) {
    ctx.dialogs.ShowMessage("SinglePictureWin10, Fehler beim Speichern von " + state.ComposedFile +
                            "\n\n" + DescribeCurrentException());
    ctx.controls.AttachOffsetHandlers();
  }
}

}  // namespace tapisto
