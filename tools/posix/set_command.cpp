// tapisto-tool set: the program's own apply on the user's real hive and the running desktop,
// for scripts and keyboard shortcuts. A hive written but a desktop that did not take it exits 3.
#include <filesystem>
#include <iostream>

#include "base/path.h"
#include "desktop/folders.h"
#include "desktop/posix/handover/running_desktop.h"
#include "desktop/posix/handover/x11_screen.h"
#include "desktop/posix/os/posix_shell.h"
#include "desktop_exit.h"
#include "program_apply.h"

namespace tapisto::tool {

namespace {

// The screen the session shows: from its desktop where that knows it (a Wayland compositor),
// else from X11. Xlib that cannot be loaded leaves it unknown; the hand-over then says why.
std::optional<ScreenSize> SessionScreenSize() {
  const std::vector<std::unique_ptr<DesktopHandOver>> desktops =
      DesktopsOfSession(SessionEnvironment::OfThisProcess());
  if (!desktops.empty()) {
    try {
      if (const std::optional<ScreenSize> size = desktops.front()->ShownScreenSize()) return size;
    } catch (const Error&) {
      // A desktop that cannot be asked leaves the size to X11.
    }
  }
  try {
    return PrimaryX11ScreenSize();
  } catch (const Error&) {
    return std::nullopt;
  }
}

// "Meine Wallpapers" in the documents folder, made when missing, as the program makes it.
std::string WallpaperFolder() {
  PosixShell shell;
  const std::string documents = GetSpecialFolder(shell, ShellFolder::Documents);
  if (documents.empty()) throw ToolFailure("no documents folder (HOME is not set)");
  const std::string folder = JoinPath(documents, "Meine Wallpapers");
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) throw ToolFailure("cannot create " + folder + ": " + ec.message());
  return folder;
}

}  // namespace

int RunSet(const std::vector<std::string>& args) {
  const Arguments a = Arguments::Parse(args, {"--style", "--x", "--y", "--screen"}, {});
  ApplyRequest request = ParseApplyRequest(a, "set");
  if (a.Has("--screen")) {
    std::tie(request.screenWidth, request.screenHeight) = ParseSize(*a.Get("--screen"));
  } else if (const std::optional<ScreenSize> size = SessionScreenSize()) {
    request.screenWidth = size->width;
    request.screenHeight = size->height;
  } else if (StyleComposes(request.style)) {
    throw UsageError(
        "the screen's size is not known here (no X display, no desktop that "
        "tells it): give --screen WxH");
  }
  try {
    if (!request.picture.empty() && !std::filesystem::is_regular_file(request.picture)) {
      throw ToolFailure("no picture file " + request.picture);
    }
    request.folder = WallpaperFolder();
    const std::string hive = HivePathOrFail();
    // A first use seeds the hive from what the desktop shows, as the program's first start.
    PosixSettingsStore store(hive, SeedFromRunningDesktop);
    RunningDesktop desktop;
    PosixRefresh refresh(store, &desktop, ReportOnStderr);
    const int status = ApplyAsTheProgram(request, store, refresh);
    return status != 0 ? status : ExitOfRefresh(refresh);
  } catch (const ToolFailure& e) {
    std::cerr << "tapisto-tool: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace tapisto::tool
