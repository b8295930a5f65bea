// The WallpaperRefresh port on POSIX systems. It takes the wallpaper settings just written from
// the store, keeps them as the desktop state last asked for and hands them to the running Linux
// desktop, as Windows takes the wallpaper from its settings when asked to refresh.
#pragma once

#include <string>

#include "desktop/ports/settings_store.h"
#include "desktop/ports/wallpaper_refresh.h"
#include "desktop/posix/handover/desktop_handover.h"

namespace tapisto {

class PosixRefresh final : public WallpaperRefresh {
 public:
  // `desktop` receives every refresh's settings (a RunningDesktop in the program); nullptr
  // keeps them in this object only, touching no desktop (for tools and tests).
  explicit PosixRefresh(SettingsStore& store, DesktopHandOver* desktop = nullptr)
      : store_(store), desktop_(desktop) {}

  // Reads the four settings afresh and hands them to the desktop. A key that does not open or
  // a value that is missing or is not a string leaves its text empty: a desktop takes what it
  // can use. A hive that cannot be read throws its SettingsError, a desktop that refuses the
  // settings its DesktopError (the settings are kept as asked for all the same).
  void Refresh() override;

  const RequestedDesktop& LastRequest() const noexcept { return last_; }
  int RefreshCount() const noexcept { return count_; }

 private:
  SettingsStore& store_;
  DesktopHandOver* desktop_;
  RequestedDesktop last_;
  int count_ = 0;
};

}  // namespace tapisto
