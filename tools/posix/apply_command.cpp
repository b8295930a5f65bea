// tapisto-tool apply: reads a hive file as start-up does, then applies a picture (or, with an
// empty PICTURE, removes the wallpaper) as the program would, writing the hive file. The
// refresh only re-reads the values written: no running desktop is touched.
#include "program_apply.h"

namespace tapisto::tool {

int RunApply(const std::vector<std::string>& args) {
  const Arguments a =
      Arguments::Parse(args, {"--hive", "--folder", "--screen", "--style", "--x", "--y"}, {});
  ApplyRequest request = ParseApplyRequest(a, "apply");
  for (const char* required : {"--hive", "--folder", "--screen"}) {
    if (!a.Has(required)) throw UsageError(std::string("apply needs ") + required);
  }
  std::tie(request.screenWidth, request.screenHeight) = ParseSize(*a.Get("--screen"));
  request.folder = *a.Get("--folder");
  PosixSettingsStore store(*a.Get("--hive"));
  PosixRefresh refresh(store);
  return ApplyAsTheProgram(request, store, refresh);
}

}  // namespace tapisto::tool
