// Everything the windows use from outside, handed in explicitly by whoever creates them (a
// view, a test).
#pragma once

#include "desktop/ports/clock.h"
#include "desktop/ports/dialogs.h"
#include "desktop/ports/files.h"
#include "desktop/ports/message_pump.h"
#include "desktop/ports/screen.h"
#include "desktop/ports/settings_store.h"
#include "desktop/ports/shell.h"
#include "desktop/ports/wallpaper_refresh.h"
#include "ui/application.h"
#include "ui/timers.h"

namespace tapisto {

struct WindowPorts {
  Screen& screen;
  MessagePump& pump;
  Clock& clock;
  Files& files;
  Dialogs& dialogs;
  SettingsStore& settings;
  WallpaperRefresh& refresh;
  Shell& shell;
  Application& application;
  Timers& timers;
};

}  // namespace tapisto
