// The settings under test on Linux: the real hive file of the POSIX store, written and read as
// text.
#include "support/settings_rig.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "desktop/posix/hive/posix_settings_store.h"

namespace tapisto::test {

struct SettingsRig::Backend {
  explicit Backend(const std::string& path) : store(path) {}
  PosixSettingsStore store;
};

SettingsRig::SettingsRig(const std::string& hivePath)
    : backend_(std::make_unique<Backend>(hivePath)) {
  std::filesystem::create_directories(std::filesystem::path(hivePath).parent_path());
}

SettingsRig::~SettingsRig() = default;

SettingsStore& SettingsRig::Store() {
  return backend_->store;
}

void SettingsRig::WriteExport(const std::string& body) {
  std::ofstream out(backend_->store.HivePath(), std::ios::binary | std::ios::trunc);
  out << "Windows Registry Editor Version 5.00\n\n" << body;
}

void SettingsRig::Write(const std::vector<std::string>& desktopLines,
                        const std::string& background) {
  WriteExport(DesktopExport(desktopLines, background));
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
