// The desktop layer's whole world for tests: a scratch folder that is HOME, XDG_CONFIG_HOME and
// TMPDIR, the real POSIX settings store on its hive file, files, shell and refresh, and fakes
// for the screen, pump, dialogs and controls.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "desktop/desktop_context.h"
#include "desktop/posix/handover/posix_refresh.h"
#include "desktop/posix/hive/posix_settings_store.h"
#include "desktop/posix/os/posix_files.h"
#include "desktop/posix/os/posix_shell.h"
#include "support/desktop_fakes.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace tapisto::test {

inline void WriteText(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Keeps every request a refresh hands to the desktop, and shows it nowhere.
class RecordingDesktop final : public RunningDesktop {
 public:
  std::vector<std::string> Show(const RequestedDesktop& request) override {
    shown.push_back(request);
    return {};
  }
  // The last request; all empty before the first.
  RequestedDesktop Last() const { return shown.empty() ? RequestedDesktop{} : shown.back(); }
  std::vector<RequestedDesktop> shown;
};

struct DesktopRig {
  TempDir dir;
  ScopedEnv home{"HOME", dir.File("home")};
  ScopedEnv config{"XDG_CONFIG_HOME", dir.File("config")};
  ScopedEnv temp{"TMPDIR", dir.File("tmp")};
  WallpaperState state;
  FakeScreen screen{40, 30};
  FakeClock clock;
  ScriptedPump pump{clock};
  PosixFiles files;
  RecordingDialogs dialogs;
  RecordingDesktopControls controls;
  CompositionContext compose{state, screen,  pump,     clock,
                             files, dialogs, controls, PathFlavour::Posix};
  PosixSettingsStore store{PosixSettingsStore::DefaultHivePath()};
  RecordingDesktop desktop;
  PosixRefresh refresh{store, &desktop};
  PosixShell shell;
  LogLines log;
  DesktopContext d{compose, store, refresh, shell, log, controls};

  // Writes the hive file: the header line, a blank line, then `body`.
  void WriteHive(const std::string& body) const {
    WriteText(store.HivePath(), "Windows Registry Editor Version 5.00\n\n" + body);
  }
  std::string HiveText() const { return ReadText(store.HivePath()); }
};

}  // namespace tapisto::test
