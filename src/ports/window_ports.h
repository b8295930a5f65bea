// Everything the windows use from outside, handed in explicitly by whoever creates them (a
// view, a test).
#pragma once

#include "ports/application.h"
#include "ports/clock.h"
#include "ports/dialogs.h"
#include "ports/files.h"
#include "ports/message_pump.h"
#include "ports/screen.h"
#include "ports/settings_store.h"
#include "ports/shell.h"
#include "ports/timers.h"
#include "ports/wallpaper_refresh.h"

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
