// tapisto-tool apply: reads a hive file as start-up does, then applies a picture (or, with an
// empty PICTURE, removes the wallpaper) as the program would, writing the hive file. The
// refresh only re-reads the values written: no running desktop is touched.
#include <filesystem>
#include <iostream>

#include "base/error.h"
#include "desktop/apply.h"
#include "desktop/desktop_controls.h"
#include "desktop/posix/handover/posix_refresh.h"
#include "desktop/posix/hive/posix_settings_store.h"
#include "desktop/posix/os/posix_files.h"
#include "desktop/posix/os/posix_shell.h"
#include "desktop/start_wallpaper.h"
#include "desktop/style_table.h"
#include "tool_support.h"

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

int RunApply(const std::vector<std::string>& args) {
  const Arguments a =
      Arguments::Parse(args, {"--hive", "--folder", "--screen", "--style", "--x", "--y"}, {});
  if (a.plain.size() != 1) throw UsageError("apply takes one PICTURE (\"\" to remove)");
  for (const char* required : {"--hive", "--folder", "--screen", "--style"}) {
    if (!a.Has(required)) throw UsageError(std::string("apply needs ") + required);
  }
  const std::string style = *a.Get("--style");
  if (!style.empty() && FindStyleRow(style) == nullptr) {
    throw UsageError("no style '" + style + "'");
  }
  const auto [width, height] = ParseSize(*a.Get("--screen"));

  WallpaperState state;
  FixedScreen screen(width, height);
  IdlePump pump;
  SteadyClock clock;
  PosixFiles files;
  ConsoleDialogs dialogs(false);
  ToolDesktopControls controls;
  CompositionContext compose{state, screen, pump, clock, files, dialogs, controls};
  PosixSettingsStore store(*a.Get("--hive"));
  PosixRefresh refresh(store);
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
  state.WallpaperFolder = *a.Get("--folder");
  controls.style = style;
  // The desktop reads the hive later, from another folder: a relative path would name nothing
  // then. The window's open dialog gives absolute paths; the command line is made to match.
  controls.file = a.plain[0].empty()
                      ? std::string()
                      : std::filesystem::absolute(a.plain[0]).lexically_normal().string();
  controls.x = ParseInt(a.Get("--x").value_or("0"), "--x");
  controls.y = ParseInt(a.Get("--y").value_or("0"), "--y");
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
    if (store.OpenKey(kDesktopKey) == nullptr) status = 1;
  } catch (const Error&) {
    status = 1;
  }
  for (const std::string& line : log.Lines()) std::cout << line << "\n";
  return status;
}

}  // namespace tapisto::tool
