// tapisto-tool convert: prepares a picture for the desktop as applying it would, without
// touching desktop settings, and prints the file it produced and the log lines.
#include <iostream>

#include "base/error.h"
#include "convert/conversions.h"
#include "desktop/background_colour.h"
#include "desktop/native_files.h"
#include "tool_support.h"

namespace tapisto::tool {

int RunConvert(const std::vector<std::string>& args) {
  const Arguments a = Arguments::Parse(args, {"--to", "--background", "--folder"}, {});
  if (a.plain.size() != 1) throw UsageError("convert takes one picture FILE");
  const std::string to = a.Get("--to").value_or("");
  if (to != "jpg" && to != "bmp") throw UsageError("convert needs --to jpg or --to bmp");
  if (!a.Has("--folder")) throw UsageError("convert needs --folder");

  WallpaperState state;
  SplitBackgroundText(state, a.Get("--background").value_or("0 0 0"));
  state.WallpaperFolder = *a.Get("--folder");
  NativeFiles files;
  ConsoleDialogs dialogs(false);
  SavedFiles saved;
  ConvertContext ctx{state, files, kNativePathFlavour, &saved};
  LogLines log;
  log.SetWindowExists(true);
  int status = 0;
  try {
    PrepareDesktopFile(ctx, log, a.plain[0], to == "bmp");
  } catch (...) {
    // What applying shows when the conversion fails.
    dialogs.ShowMessage("SetWallpaper\n\n" + DescribeCurrentException());
    status = 1;
  }
  if (!state.ComposedFile.empty() && state.ComposedFile == a.plain[0]) {
    std::cout << state.ComposedFile << "\n";  // a JPEG goes to the desktop as it is
  } else {
    PrintWrittenFile(saved, state.ComposedFile);
  }
  for (const std::string& line : log.Lines()) std::cout << line << "\n";
  return status;
}

}  // namespace tapisto::tool
