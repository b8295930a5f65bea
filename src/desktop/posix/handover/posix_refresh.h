// The WallpaperRefresh port on POSIX systems. It takes the wallpaper settings just written from
// the store and hands them to the running Linux desktop, as Windows takes the wallpaper from its
// settings when asked to refresh.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "desktop/posix/handover/running_desktop.h"
#include "ports/settings_store.h"
#include "ports/wallpaper_refresh.h"

namespace tapisto {

class PosixRefresh final : public WallpaperRefresh {
 public:
  // Says one line about a desktop that could not be shown the wallpaper (the program's log).
  using Report = std::function<void(const std::string& line)>;

  // `desktop` receives every refresh's settings; nullptr touches no desktop (the companion's
  // apply, which only writes the settings).
  explicit PosixRefresh(SettingsStore& store, RunningDesktop* desktop = nullptr, Report report = {})
      : store_(store), desktop_(desktop), report_(std::move(report)) {}

  void SetReport(Report report) { report_ = std::move(report); }

  // Reads the four settings afresh and hands them to the desktop. A key that does not open or
  // a value that is missing or is not a string leaves its text empty: a desktop takes what it
  // can use. A hive that cannot be read throws its SettingsError. A desktop that cannot be
  // reached or refuses the settings throws nothing: the settings stay written, and each such
  // desktop is reported in one line and kept in LastFailures, so that nothing blocks the window.
  void Refresh() override;

  // The desktops' failures of the last refresh; empty when every desktop took it.
  const std::vector<std::string>& LastFailures() const noexcept { return failures_; }

 private:
  SettingsStore& store_;
  RunningDesktop* desktop_;
  Report report_;
  std::vector<std::string> failures_;
};

}  // namespace tapisto
