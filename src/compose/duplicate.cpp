// "duplizieren", "duplizieren und spiegeln" and "duplizieren und doppelt spiegeln": the picture
// at both screen edges at height Y. The X offset is not used: it is reset to 0 with its change
// handler attached, so a non-zero X runs one nested apply of the same style first.
#include <string>

#include "base/error.h"
#include "compose/compositions.h"
#include "compose/toolkit.h"

namespace tapisto {

namespace {

// What differs between the two duplicate routines.
struct DuplicateVariant {
  bool mirrorOnLeft;  // where the mirror image goes when mirroring is asked for
  const char* waitFailureText;
  std::string (*saveFailureText)(const std::string& composedFile);
};

std::string TwoLogosSaveFailure(const std::string& composedFile) {
  return "TwoLogosWin10, Fehler beim Speichern von " + composedFile + "\n\n";
}

std::string DoubleMirrorSaveFailure(const std::string& composedFile) {
  return "Doppelt Spiegeln:\nSpeichern von " + composedFile + " fehlgeschlagen.\n\n";
}

// The picture at both edges of the canvas from its source raster and, when mirroring, its
// mirror raster.
void ComposeFromRasters(CompositionContext& ctx, bool spiegeln, const std::string& fileName,
                        const DuplicateVariant& variant, Colour background,
                        const LoadedPicture& picture, ScreenCanvas& canvas, Raster& mirror) {
  if (spiegeln) mirror = BuildMirrorRaster(ctx, fileName, background, picture);
  const Raster& right = (spiegeln && !variant.mirrorOnLeft) ? mirror : picture.Source();
  const Raster& left = (spiegeln && variant.mirrorOnLeft) ? mirror : picture.Source();
  CopyOnto(canvas, ctx.screen.Width() - picture.w, ctx.controls.OffsetY(), picture.w, picture.h,
           right);
  ctx.pump.ProcessMessages();
  CopyOnto(canvas, 0, ctx.controls.OffsetY(), picture.w, picture.h, left);
  ctx.pump.ProcessMessages();
}

void ComposeDuplicate(CompositionContext& ctx, bool spiegeln, const std::string& fileName,
                      const DuplicateVariant& variant) {
  WallpaperState& state = ctx.state;
  ClearSourceKinds(state);
  if (!ctx.files.FileExists(fileName)) return;
  ctx.controls.ResetOffsetXToZero();

  LoadedPicture picture;
  const Colour background = BackgroundColourOf(state);
  LoadBlock(ctx, fileName, background, picture);

  const int halfScreen = ctx.screen.Width() / 2;
  if (picture.w > halfScreen) {
    ctx.dialogs.ShowMessage("Bild zu breit für die aktuelle Auflösung von " +
                            std::to_string(ctx.screen.Width()) +
                            " Pixel.\nBildbreite: " + std::to_string(picture.w) + " Pixel.");
    ctx.controls.SelectFirstStyleSilently();
    return;
  }
  PrepareSource(ctx, background, picture);  // a failure here goes to the caller

  Raster mirror;  // before the canvas: the canvas's steps read it
  ScreenCanvas canvas;
  try {
    canvas = NewScreenCanvas(ctx, background);
    if (picture.DrawnDirectly()) {
      // The mirror raster would hold the picture over the background reversed: it is drawn
      // reversed instead.
      DrawSource(canvas, ctx.screen.Width() - picture.w, ctx.controls.OffsetY(), picture,
                 spiegeln && !variant.mirrorOnLeft);
      ctx.pump.ProcessMessages();
      DrawSource(canvas, 0, ctx.controls.OffsetY(), picture, spiegeln && variant.mirrorOnLeft);
      ctx.pump.ProcessMessages();
    } else {
      ComposeFromRasters(ctx, spiegeln, fileName, variant, background, picture, canvas, mirror);
    }
  } catch (...) {
    ctx.dialogs.ShowMessage("Fehler beim Spiegeln von " + fileName + "\n\n" +
                            DescribeCurrentException());
  }

  try {
    if (state.HasConvertedWallpaper) {
      state.ComposedFile = CompositionOutputName(ctx, "2", fileName, ".bmp");
      SaveCanvasAsBmp(ctx, canvas, state.ComposedFile);
    } else {
      state.ComposedFile = CompositionOutputName(ctx, "2", fileName, ".jpg");
      BusyFileWait(ctx, variant.waitFailureText);
      SaveCanvasAsJpeg(ctx, canvas, state.ComposedFile);
    }
  } catch (...) {
    ctx.dialogs.ShowMessage(variant.saveFailureText(state.ComposedFile) +
                            DescribeCurrentException());
  }
}

}  // namespace

void TwoLogosWin10(CompositionContext& ctx, bool spiegeln, const std::string& fileName) {
  static const DuplicateVariant variant{false, "TwoLogosWin10, Vorgang fehlgeschlagen.\n\n",
                                        &TwoLogosSaveFailure};
  ComposeDuplicate(ctx, spiegeln, fileName, variant);
}

void HorizontalDrehenUndSpiegelnWin10(CompositionContext& ctx, bool spiegeln,
                                      const std::string& fileName) {
  static const DuplicateVariant variant{true, "DoppeltSpiegelnWin10, Vorgang fehlgeschlagen.\n\n",
                                        &DoubleMirrorSaveFailure};
  ComposeDuplicate(ctx, spiegeln, fileName, variant);
}

}  // namespace tapisto
