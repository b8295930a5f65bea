// Everything a composition uses, handed in explicitly: the state record, the ports and the
// controls. No composition reaches a global.
#pragma once

#include <string>

#include "base/path.h"
#include "image/wallpaper_file.h"
#include "ports/clock.h"
#include "ports/composition_controls.h"
#include "ports/dialogs.h"
#include "ports/files.h"
#include "ports/message_pump.h"
#include "ports/screen.h"
#include "state/wallpaper_state.h"

namespace tapisto {

class PictureCache;

struct CompositionContext {
  WallpaperState& state;
  Screen& screen;
  MessagePump& pump;
  Clock& clock;
  Files& files;
  Dialogs& dialogs;
  CompositionControls& controls;
  PathFlavour pathFlavour = kNativePathFlavour;
  CanvasObserver* canvasObserver = nullptr;
  // Keeps decoded pictures between compositions while their files are unchanged; none: every
  // composition decodes afresh.
  PictureCache* pictureCache = nullptr;
  // Keeps the bytes of JPEG strips known without painting (plain, or the start wallpaper
  // alone) between saves; none: every save compresses them afresh (a plain strip repeated
  // within one picture is still compressed once).
  StripCache* keptStrips = nullptr;
};

}  // namespace tapisto
