// The program's own apply as tapisto-tool's apply and set run it: start-up's reading of the
// hive, then the apply of a picture with a style and offsets (or, with no picture, the removal
// of the wallpaper) over a given settings store and refresh, with no window.
#pragma once

#include <string>
#include <vector>

#include "desktop/posix/handover/posix_refresh.h"
#include "desktop/posix/hive/posix_settings_store.h"
#include "tool_support.h"

namespace tapisto::tool {

// What the command line asks one apply.
struct ApplyRequest {
  std::string picture;  // "" removes the wallpaper
  std::string style;    // a text of the style list, or "" for none
  int x = 0;
  int y = 0;
  int screenWidth = 0;
  int screenHeight = 0;
  std::string folder;  // where compositions and conversions are written
};

// The options both commands take: --style (required, a text of the style list or ""), --x and
// --y, and one PICTURE (made absolute); fills those fields of the request. Throws UsageError.
ApplyRequest ParseApplyRequest(const Arguments& a, const char* command);

// Whether `style` composes a screen-sized picture, which needs the screen's size.
bool StyleComposes(const std::string& style);

// Reads the hive as start-up does, then applies as the program does; message boxes go to
// stderr and the log lines to stdout. Returns 1 when the program showed a failure (a reader,
// a conversion, a save or a settings write) or the settings could not be opened, else 0.
int ApplyAsTheProgram(const ApplyRequest& request, PosixSettingsStore& store,
                      PosixRefresh& refresh);

}  // namespace tapisto::tool
