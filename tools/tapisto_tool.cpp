// tapisto-tool: Tapisto's headless companion for scripts and benchmarks. It runs the same
// readers, compositions and conversions as the program; only set and restore touch the
// user's own settings and the running desktop.
#include <iostream>
#include <string>
#include <vector>

#include "base/version.h"
#include "tool_support.h"

#ifdef _WIN32
#include "desktop/win32/win32_command_line.h"
#endif

namespace tapisto::tool {
int RunDecode(const std::vector<std::string>& args);
int RunCompose(const std::vector<std::string>& args);
int RunConvert(const std::vector<std::string>& args);
#ifndef _WIN32
int RunApply(const std::vector<std::string>& args);
int RunSet(const std::vector<std::string>& args);
int RunRestore(const std::vector<std::string>& args);
#endif
}  // namespace tapisto::tool

namespace {
// The help text is also the source of the manual page (help2man): "Usage:" and "or:" lines
// become its synopsis, the headed lists its sections.
constexpr const char* kUsage =
    "Usage: tapisto-tool decode [--background \"R G B\"] FILE OUT.bmp\n"
    "  or:  tapisto-tool compose OPTION... FILE\n"
    "  or:  tapisto-tool convert OPTION... FILE\n"
#ifndef _WIN32
    "  or:  tapisto-tool apply OPTION... PICTURE\n"
    "  or:  tapisto-tool set OPTION... PICTURE\n"
    "  or:  tapisto-tool restore [--autostart]\n"
#endif
    "  or:  tapisto-tool --help|--version\n"
    "Runs Tapisto's picture readers, compositions, conversions and apply from the command\n"
    "line, for scripts and benchmarks.\n"
    "\n"
    "Commands:\n"
    "  decode     decodes a BMP, JPG, GIF or PNG picture and writes it as a 24-bit BMP;\n"
    "             prints \"W x H\"\n"
    "  compose    runs a composing style (normal, addieren, spiegeln, duplizieren,\n"
    "             duplizieren und spiegeln, duplizieren und doppelt spiegeln) on FILE exactly\n"
    "             as the program would and prints the output file; message boxes go to\n"
    "             stderr. Needs --style, --screen, --background and --folder; takes --x,\n"
    "             --y, --previous, --converted and --answer\n"
    "  convert    prepares FILE for the desktop as applying it would; prints the output\n"
    "             file and the log lines. Needs --to and --folder; takes --background\n"
#ifndef _WIN32
    "  apply      reads the settings hive FILE.reg as start-up does and applies PICTURE with\n"
    "             the style (\"\": none); an empty PICTURE removes the wallpaper. Writes\n"
    "             only that hive file; prints the log lines. Needs --hive, --folder,\n"
    "             --screen and --style; takes --x and --y\n"
    "  set        applies PICTURE as the program does to your own settings\n"
    "             ($XDG_CONFIG_HOME/tapisto/HKCU.reg) and the running desktop; \"\" removes\n"
    "             the wallpaper. Needs --style; takes --x, --y and --screen (by default the\n"
    "             size the desktop or X11 gives)\n"
    "  restore    hands the wallpaper of your settings to the running desktop again; with\n"
    "             --autostart it writes an XDG autostart entry that does so at every login\n"
#endif
    "\n"
    "Options:\n"
    "  --background \"R G B\"  the desktop background colour, each part 0 to 255\n"
    "                        (default \"0 0 0\")\n"
    "  --style TEXT          a style of the style list, for example \"spiegeln\"\n"
    "  --screen WxH          the screen size in pixels, 1x1 to 32768x32768\n"
    "  --x N, --y N          the horizontal and vertical offset in pixels (default 0)\n"
    "  --previous FILE       the start wallpaper that addieren draws onto\n"
    "  --converted           the system keeps a converted copy of the wallpaper: the\n"
    "                        duplicate styles write BMP\n"
    "  --answer ja|nein      the answer to \"file in use, wait?\" (default nein)\n"
    "  --folder DIR          the folder that receives the output (\"Meine Wallpapers\")\n"
    "  --to jpg|bmp          the format convert prepares\n"
#ifndef _WIN32
    "  --hive FILE.reg       the settings file apply reads and writes\n"
    "  --autostart           with restore: write ~/.config/autostart/tapisto-restore.desktop\n"
#endif
    "  -h, --help            prints this help and exits\n"
    "  --version             prints the version and exits\n"
    "\n"
    "Exit status:\n"
    "  0  done (the program's own messages may still have been shown)\n"
    "  1  a reader, a conversion or removing the wallpaper failed\n"
    "  2  a wrong command line\n"
#ifndef _WIN32
    "  3  set, restore: the settings were written but a desktop did not take them (the\n"
    "     reason on stderr)\n"
#endif
    "\n"
    "Only set and restore touch your own settings and the running desktop; the other\n"
    "commands write only the files they are given.\n";
}  // namespace

int main(int argc, char** argv) {
  using namespace tapisto::tool;
#ifdef _WIN32
  // Paths with characters outside the ANSI code page reach the program intact only this way.
  static_cast<void>(argc);
  static_cast<void>(argv);
  const std::vector<std::string> all = tapisto::CommandLineArguments();
#else
  const std::vector<std::string> all(argv + 1, argv + argc);
#endif
  if (all.empty() || all[0] == "--help" || all[0] == "-h") {
    std::cout << kUsage;
    return all.empty() ? 2 : 0;
  }
  if (all[0] == "--version") {
    std::cout << "tapisto-tool " << tapisto::kVersion << "\n";
    return 0;
  }
  const std::vector<std::string> rest(all.begin() + 1, all.end());
  try {
    if (all[0] == "decode") return RunDecode(rest);
    if (all[0] == "compose") return RunCompose(rest);
    if (all[0] == "convert") return RunConvert(rest);
#ifndef _WIN32
    if (all[0] == "apply") return RunApply(rest);
    if (all[0] == "set") return RunSet(rest);
    if (all[0] == "restore") return RunRestore(rest);
#endif
    throw UsageError("unknown command " + all[0]);
  } catch (const UsageError& e) {
    std::cerr << "tapisto-tool: " << e.what() << "\n" << kUsage;
    return 2;
  }
}
