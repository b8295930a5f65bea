// "duplizieren", "duplizieren und spiegeln" and "duplizieren und doppelt spiegeln": the picture
// at both screen edges at height Y. The X offset is not used: it is reset to 0 with its change
// handler attached, so a non-zero X runs one nested apply of the same style first.
#include <string>
#include <utility>

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
  PrepareSource(ctx, background, picture, true);  // a failure here goes to the caller

  Canvas canvas;
  try {
    canvas = NewScreenCanvas(ctx, background);
    // The mirror image is made before either copy is placed (a BMP is read again for it).
    const CanvasStep mirror =
        spiegeln ? PlaceMirror(ctx, fileName, background, picture, 0, 0) : CanvasStep{};
    // The right copy, then the left one; the one on the mirror's side is the mirror image when
    // mirroring is asked for.
    const auto place = [&](int x, bool mirrored) {
      CanvasStep step = mirrored ? mirror : PlaceSource(picture, x, 0, false);
      step.x = x;
      step.y = ctx.controls.OffsetY();
      canvas.Add(std::move(step));
      ctx.pump.ProcessMessages();
    };
    place(ctx.screen.Width() - picture.w, spiegeln && !variant.mirrorOnLeft);
    place(0, spiegeln && variant.mirrorOnLeft);
  } catch (...) {
    ctx.dialogs.ShowMessage("Fehler beim Spiegeln von " + fileName + "\n\n" +
                            DescribeCurrentException());
  }

  try {
    if (state.HasConvertedWallpaper) {
      state.ComposedFile = CompositionOutputName(ctx, "2", fileName, ".bmp");
      SaveCanvasAsBmp(SavingOf(ctx), canvas.Painted(), state.ComposedFile);
    } else {
      state.ComposedFile = CompositionOutputName(ctx, "2", fileName, ".jpg");
      BusyFileWait(ctx, variant.waitFailureText);
      SaveCanvasAsJpeg(SavingOf(ctx), canvas, state.ComposedFile);
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
