// The SettingsStore port over the real registry hive of the current user (HKEY_CURRENT_USER).
#pragma once

#include "ports/settings_store.h"

namespace tapisto {

class Win32SettingsStore final : public SettingsStore {
 public:
  // Opens with read and write access, never creating; nullptr when RegOpenKeyExW fails.
  std::unique_ptr<SettingsKey> OpenKey(const std::string& path) override;
};

}  // namespace tapisto
