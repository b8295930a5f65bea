// tapisto-tool: Tapisto's headless companion for scripts and benchmarks. It runs the same
// readers, compositions and conversions as the program; only set and restore touch the
// user's own settings and the running desktop.
#include <iostream>
#include <string>
#include <vector>

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
constexpr const char* kUsage =
    "usage:\n"
    "  tapisto-tool decode [--background \"R G B\"] FILE OUT.bmp\n"
    "      decodes a BMP, JPG, GIF or PNG picture and writes it as a 24-bit BMP\n"
    "  tapisto-tool compose --style TEXT --screen WxH --background \"R G B\" [--x N] [--y N]\n"
    "                       [--previous FILE] [--converted] [--answer ja|nein] --folder DIR "
    "FILE\n"
    "      runs a composing style (normal, addieren, spiegeln, duplizieren,\n"
    "      duplizieren und spiegeln, duplizieren und doppelt spiegeln) and prints the output\n"
    "  tapisto-tool convert --to jpg|bmp [--background \"R G B\"] --folder DIR FILE\n"
    "      prepares FILE for the desktop as applying it would; prints the output and log\n"
#ifndef _WIN32
    "  tapisto-tool apply --hive FILE.reg --folder DIR --screen WxH --style TEXT [--x N] [--y N]\n"
    "                     PICTURE\n"
    "      reads the hive as start-up does and applies PICTURE with the style (\"\": none);\n"
    "      an empty PICTURE removes the wallpaper. Writes only the given hive file\n"
    "  tapisto-tool set --style TEXT [--x N] [--y N] [--screen WxH] PICTURE\n"
    "      applies PICTURE as the program does to your own settings and the running desktop\n"
    "      (\"\" removes the wallpaper); the screen size comes from the desktop or X11 unless\n"
    "      given. Exit 3: the settings were written but the desktop did not take them\n"
    "  tapisto-tool restore [--autostart]\n"
    "      hands the wallpaper of your settings to the running desktop again (exit 3 as set);\n"
    "      --autostart writes an XDG autostart entry that does so at every login\n"
#endif
    ;
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
