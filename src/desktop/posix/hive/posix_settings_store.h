// The SettingsStore port on POSIX systems: the current user's hive kept in one text file in the
// registry editor's export format (see reg_hive.h), by default
// $XDG_CONFIG_HOME/tapisto/HKCU.reg.
//
// Every operation looks at the file afresh (it is parsed again when it changed), so two stores on
// one file and edits made from outside while the program runs stay consistent. Every write reads
// the file, changes the one value and replaces the file atomically and durably (WriteWholeFile in
// image/file_io.h), holding an advisory lock beside the hive from the read to the rename
// (hive_lock.h), so writers in other processes never lose each other's values. A file that cannot
// be parsed fails every operation with a SettingsError naming the file and line, and is never
// written.
#pragma once

#include <sys/stat.h>

#include <functional>
#include <memory>
#include <string>

#include "desktop/posix/hive/reg_hive.h"
#include "ports/settings_store.h"

namespace tapisto {

// Gives a fresh hive its first values before it is saved for the first time: the program
// seeds it from what the running desktop shows (SeedFromRunningDesktop).
using FreshHiveSeed = std::function<void(Hive&)>;

class PosixSettingsStore final : public SettingsStore {
 public:
  explicit PosixSettingsStore(std::string hivePath, FreshHiveSeed seed = {});

  // $XDG_CONFIG_HOME/tapisto/HKCU.reg ($HOME/.config when XDG_CONFIG_HOME is unset or empty);
  // "" when there is no home folder.
  static std::string DefaultHivePath();

  const std::string& HivePath() const noexcept { return path_; }

  // Key paths are relative to HKEY_CURRENT_USER; leading and trailing backslashes are ignored
  // and ASCII letters compare without case. A key exists when the file has its section or a
  // section below it. A hive that may not be written (read-only, or in a folder the user may
  // not write) opens no key, as the registry denies a key opened for writing.
  std::unique_ptr<SettingsKey> OpenKey(const std::string& path) override;

  // The hive as the file holds it now. A missing file is first created (with its folders) as a
  // fresh desktop profile has it (FreshDesktopProfile), changed by the seed when there is one,
  // under the hive's lock (see hive_lock.h) unless the caller holds it already: a second lock
  // on it in the same process would wait forever. Throws SettingsError.
  enum class HiveLocking { Take, AlreadyHeld };
  Hive Load(HiveLocking locking = HiveLocking::Take);
  // Load() without the copy: the hive is parsed again only when the file is not the one last
  // read or written (another file, size or time), so a large hive is parsed once, not at every
  // operation. Valid until the next call on this store.
  const Hive& Current(HiveLocking locking = HiveLocking::Take);
  // Current() to be changed in place and given to Save() at once, under the hive's lock.
  Hive& CurrentForChange(HiveLocking locking);
  // Replaces the file with `hive` (it may be CurrentForChange()'s). Throws SettingsError, the
  // old file untouched; the hive is then read from the file again at the next operation.
  void Save(const Hive& hive);

 private:
  std::string path_;
  FreshHiveSeed seed_;
  Hive cached_;
  struct stat cachedStat_ {};
  bool cacheValid_ = false;
};

}  // namespace tapisto
