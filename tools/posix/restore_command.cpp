// tapisto-tool restore: hands the wallpaper the user's hive holds to the running desktop
// again (a plain X11 window manager forgets the root picture at the next login); with
// --autostart it writes an XDG autostart entry that does so at every login.
#include <filesystem>
#include <iostream>

#include "base/error.h"
#include "desktop/posix/hive/posix_settings_store.h"
#include "desktop/posix/os/xdg_folders.h"
#include "desktop_exit.h"
#include "image/file_io.h"
#include "tool_support.h"

namespace tapisto::tool {

namespace {

constexpr const char* kAutostartName = "tapisto-restore.desktop";

// One argument of a desktop entry's Exec key: double-quoted with `"`, `` ` ``, `$` and `\`
// escaped, then every `\` doubled for the string value it is part of, and `%` doubled so it
// is no field code. A line break cannot be written there.
std::string ExecArgument(const std::string& argument) {
  std::string quoted = "\"";
  for (const char c : argument) {
    if (c == '\n' || c == '\r') throw ToolFailure("a line break in " + argument);
    if (c == '"' || c == '`' || c == '$') {
      quoted += "\\\\";
    } else if (c == '\\') {
      quoted += "\\\\\\";
    } else if (c == '%') {
      quoted += '%';
    }
    quoted += c;
  }
  return quoted + "\"";
}

int WriteAutostartEntry() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) throw ToolFailure("cannot tell this program's path: " + ec.message());
  const std::string config = ConfigHome();
  if (config.empty()) throw ToolFailure("no configuration folder (HOME is not set)");
  const std::string folder = JoinUnderFolder(config, "autostart");
  std::filesystem::create_directories(folder, ec);
  if (ec) throw ToolFailure("cannot create " + folder + ": " + ec.message());
  const std::string path = JoinUnderFolder(folder, kAutostartName);
  const std::string entry =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Tapisto wallpaper\n"
      "Name[de]=Tapisto-Hintergrundbild\n"
      "Comment=Shows Tapisto's wallpaper again at login\n"
      "Comment[de]=Zeigt beim Anmelden wieder Tapistos Hintergrundbild\n"
      "Exec=" +
      ExecArgument(self.string()) +
      " restore\n"
      "Terminal=false\n"
      "NoDisplay=true\n";
  try {
    WriteWholeFile(path,
                   std::span(reinterpret_cast<const std::uint8_t*>(entry.data()), entry.size()),
                   WriteDurability::Durable);
  } catch (const Error& e) {
    throw ToolFailure(e.what());
  }
  std::cout << path << "\n";
  return 0;
}

int Restore() {
  const std::string hive = HivePathOrFail();
  if (!std::filesystem::exists(hive)) {
    // Nothing of Tapisto's to show: the desktop keeps what it shows.
    std::cerr << "tapisto-tool: no settings file " << hive << " yet, nothing to restore\n";
    return 0;
  }
  PosixSettingsStore store(hive);
  RunningDesktop desktop;
  PosixRefresh refresh(store, &desktop, ReportOnStderr);
  try {
    refresh.Refresh();
  } catch (const Error&) {
    throw ToolFailure(DescribeCurrentException());
  }
  return ExitOfRefresh(refresh);
}

}  // namespace

int RunRestore(const std::vector<std::string>& args) {
  const Arguments a = Arguments::Parse(args, {}, {"--autostart"});
  if (!a.plain.empty()) throw UsageError("restore takes no PICTURE");
  try {
    return a.Has("--autostart") ? WriteAutostartEntry() : Restore();
  } catch (const ToolFailure& e) {
    std::cerr << "tapisto-tool: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace tapisto::tool
