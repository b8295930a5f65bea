// The program's own styles. Each builds one picture, saves it in WallpaperFolder and leaves
// its path in ComposedFile; failures are reported through the Dialogs port, except a
// background colour that is not a number (and, for the duplicate styles, a failure while the
// source raster is built), which reach the caller.
#pragma once

#include <string>

#include "compose/composition_context.h"

namespace tapisto {

// "normal": the picture unscaled at (X, Y) on a screen-sized canvas; output "0" + name + ".jpg".
void SinglePictureWin10(CompositionContext& ctx, const std::string& fileName);

// "addieren": the picture at (X, Y) over the start wallpaper `oldFileName`, at the start
// wallpaper's size; output "Add" + name + ".jpg".
void AddPictureWin10(CompositionContext& ctx, const std::string& fileName,
                     const std::string& oldFileName);

// "spiegeln": the picture mirrored left to right at (X, Y); output "Mirr" + name + ".jpg".
void SpiegelnWin10(CompositionContext& ctx, const std::string& fileName);

// "duplizieren" (spiegeln false) and "duplizieren und spiegeln" (true): the picture at the left
// and right screen edges at height Y, the right copy mirrored when `spiegeln`; output
// "2" + name + ".jpg", or ".bmp" when the desktop keeps a converted wallpaper.
void TwoLogosWin10(CompositionContext& ctx, bool spiegeln, const std::string& fileName);

// "duplizieren und doppelt spiegeln": as TwoLogosWin10 with the copies exchanged: the
// unmirrored picture at the right edge, its mirror image (when `spiegeln`) at the left.
void HorizontalDrehenUndSpiegelnWin10(CompositionContext& ctx, bool spiegeln,
                                      const std::string& fileName);

}  // namespace tapisto
