// The desktop settings under a window test: the system's real settings store, holding only
// what the test wrote. On Linux that is the hive file in the scratch folder; on Windows a
// scratch key of the current user's registry under which the program's "Control Panel" keys
// live, so tests never touch the desktop's own settings and never each other's.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "desktop/ports/settings_store.h"
#include "support/temp_dir.h"

namespace tapisto::test {

class SettingsRig {
 public:
  explicit SettingsRig(const TempDir& dir);
  ~SettingsRig();
  SettingsRig(const SettingsRig&) = delete;
  SettingsRig& operator=(const SettingsRig&) = delete;

  SettingsStore& Store();
  // Replaces everything stored by "Control Panel\Colors" with "Background" and "Control
  // Panel\Desktop" with the given value lines, written as in a registry export:
  // "name"="text", "name"=dword:0000000a, "name"=hex:01,02.
  void Write(const std::vector<std::string>& desktopLines, const std::string& background);
  // Everything stored, as text: two equal snapshots mean nothing was written in between.
  std::string Snapshot();
  // From now on the settings can no longer be read or written.
  void Break();

 private:
  struct Backend;
  std::unique_ptr<Backend> backend_;
};

// A value line of a registry export: "name"="text" with quotes and backslashes escaped.
std::string RegString(const std::string& name, const std::string& text);

}  // namespace tapisto::test
