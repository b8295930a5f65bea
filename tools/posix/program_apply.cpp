#include "program_apply.h"

#include <iostream>

#include "base/error.h"
#include "desktop/apply.h"
#include "desktop/posix/os/posix_files.h"
#include "desktop/posix/os/posix_shell.h"
#include "desktop/start_wallpaper.h"
#include "ports/desktop_controls.h"
#include "state/style_table.h"

namespace tapisto::tool {

namespace {

// The window's controls as the command line gives them.
class ToolDesktopControls final : public DesktopControls {
 public:
  int OffsetX() override { return x; }
  int OffsetY() override { return y; }
  void DetachOffsetHandlers() override {}
  void AttachOffsetHandlers() override {}
  // No window: the X field's change handler, which would apply once more, is not there.
  void ResetOffsetXToZero() override { x = 0; }
  void SelectFirstStyleSilently() override { style = "normal"; }
  std::string StyleText() override { return style; }
  std::string FileFieldText() override { return file; }
  void SetOffsetXEnabled(bool) override {}
  void SetOffsetYEnabled(bool) override {}
  void SelectStyleSilently(const std::string&) override {}  // the command line decides
  void SetOffsetXValue(int) override {}
  void SetOffsetYValue(int) override {}

  int x = 0;
  int y = 0;
  std::string style;
  std::string file;
};

}  // namespace

ApplyRequest ParseApplyRequest(const Arguments& a, const char* command) {
  if (a.plain.size() != 1) {
    throw UsageError(std::string(command) + " takes one PICTURE (\"\" to remove)");
  }
  if (!a.Has("--style")) throw UsageError(std::string(command) + " needs --style");
  ApplyRequest request;
  request.style = *a.Get("--style");
  if (!request.style.empty() && FindStyleRow(request.style) == nullptr) {
    throw UsageError("no style '" + request.style + "'");
  }
  // The desktop reads the hive later, from another folder: a relative path would name nothing
  // then. The window's open dialog gives absolute paths; the command line is made to match.
  request.picture = AbsolutePicturePath(a.plain[0]);
  request.x = ParseInt(a.Get("--x").value_or("0"), "--x");
  request.y = ParseInt(a.Get("--y").value_or("0"), "--y");
  return request;
}

bool StyleComposes(const std::string& style) {
  const StyleRow* row = FindStyleRow(style);
  return row != nullptr && row->composition.has_value();
}

int ApplyAsTheProgram(const ApplyRequest& request, PosixSettingsStore& store,
                      PosixRefresh& refresh) {
  WallpaperState state;
  FixedScreen screen(request.screenWidth, request.screenHeight);
  IdlePump pump;
  SteadyClock clock;
  PosixFiles files;
  ConsoleDialogs dialogs(false);
  ToolDesktopControls controls;
  CompositionContext compose{state, screen, pump, clock, files, dialogs, controls};
  PosixShell shell;
  LogLines log;
  log.SetWindowExists(true);
  DesktopContext d{compose, store, refresh, shell, log, controls};

  try {
    GetWallpaperSystem(d, state.CurrentWallpaper, state.TileWallpaper, state.WallpaperStyle,
                       state.OriginX, state.OriginY);
  } catch (...) {
    dialogs.ShowMessage("GetWallpaperSystem " + DescribeCurrentException());
  }
  state.WallpaperFolder = request.folder;
  controls.style = request.style;
  controls.file = request.picture;
  controls.x = request.x;
  controls.y = request.y;
  int status = 0;
  if (controls.file.empty()) {
    try {
      ResetDesktopWallpaper(d);
    } catch (...) {
      dialogs.ShowMessage(DescribeCurrentException());
      status = 1;
    }
  } else {
    SetWallpaperSystem(d, controls.file);
  }
  // Apply shows its failures and goes on; the exit status tells them. A desktop key that could
  // not be opened is shown without an error being raised, so it is asked for once more.
  if (dialogs.ErrorShown()) status = 1;
  try {
    if (store.OpenKey("Control Panel\\Desktop") == nullptr) status = 1;
  } catch (const Error&) {
    status = 1;
  }
  for (const std::string& line : log.Lines()) std::cout << line << "\n";
  return status;
}

}  // namespace tapisto::tool
