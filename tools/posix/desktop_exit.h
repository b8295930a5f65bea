// What set and restore share about the user's hive and the running desktop.
#pragma once

#include <stdexcept>
#include <string>

#include "desktop/posix/handover/posix_refresh.h"

namespace tapisto::tool {

// A command that cannot do its work (no home folder, no picture); main() exits 1.
class ToolFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The exit code of a desktop that was handed the hive but did not show it.
inline constexpr int kDesktopFailed = 3;

// PosixSettingsStore::DefaultHivePath(); ToolFailure when there is no home folder.
std::string HivePathOrFail();

// Writes a desktop's failure line to stderr.
void ReportOnStderr(const std::string& line);

// 0 when every desktop took the last refresh, else kDesktopFailed.
int ExitOfRefresh(const PosixRefresh& refresh);

}  // namespace tapisto::tool
