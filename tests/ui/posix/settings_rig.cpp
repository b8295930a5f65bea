// The window tests' settings on Linux: the real hive file of the POSIX store in the scratch
// folder, written and read as text.
#include "../settings_rig.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "desktop/posix/posix_settings_store.h"

namespace tapisto::test {

struct SettingsRig::Backend {
  explicit Backend(const std::string& path) : store(path) {}
  PosixSettingsStore store;
};

SettingsRig::SettingsRig(const TempDir& dir)
    : backend_(std::make_unique<Backend>(dir.File("config/tapisto/HKCU.reg"))) {
  std::filesystem::create_directories(dir.File("config/tapisto"));
}

SettingsRig::~SettingsRig() = default;

SettingsStore& SettingsRig::Store() {
  return backend_->store;
}

void SettingsRig::Write(const std::vector<std::string>& desktopLines,
                        const std::string& background) {
  std::ofstream out(backend_->store.HivePath(), std::ios::binary | std::ios::trunc);
  out << "Windows Registry Editor Version 5.00\n\n"
      << "[HKEY_CURRENT_USER\\Control Panel\\Colors]\n"
      << RegString("Background", background) << "\n\n"
      << "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n";
  for (const std::string& line : desktopLines) out << line << "\n";
}

std::string SettingsRig::Snapshot() {
  std::ifstream in(backend_->store.HivePath(), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void SettingsRig::Break() {
  // A hive that is no registry export fails every later read and write of the store.
  std::ofstream(backend_->store.HivePath(), std::ios::trunc) << "kein Registry-Export\n";
}

}  // namespace tapisto::test
