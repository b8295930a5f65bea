// Everything applying, reading and restoring the desktop settings uses, handed in explicitly.
#pragma once

#include "compose/composition_context.h"
#include "ports/desktop_controls.h"
#include "ports/settings_store.h"
#include "ports/shell.h"
#include "ports/wallpaper_refresh.h"
#include "state/log_lines.h"

namespace tapisto {

struct DesktopContext {
  // The state record, screen, pump, clock, files, dialogs and (the same) controls.
  CompositionContext& compose;
  SettingsStore& settings;
  WallpaperRefresh& refresh;
  Shell& shell;
  LogLines& log;
  DesktopControls& controls;

  WallpaperState& state() const noexcept { return compose.state; }
};

}  // namespace tapisto
