#include "desktop_exit.h"

#include <iostream>

#include "desktop/posix/hive/posix_settings_store.h"

namespace tapisto::tool {

std::string HivePathOrFail() {
  std::string path = PosixSettingsStore::DefaultHivePath();
  if (path.empty()) throw ToolFailure("no configuration folder (HOME is not set)");
  return path;
}

void ReportOnStderr(const std::string& line) {
  std::cerr << line << "\n";
}

int ExitOfRefresh(const PosixRefresh& refresh) {
  return refresh.LastFailures().empty() ? 0 : kDesktopFailed;
}

}  // namespace tapisto::tool
