// The WallpaperRefresh port on POSIX systems. It takes the wallpaper settings just written from
// the store and keeps them as the desktop state last asked for; handing that state to the
// running Linux desktop is a later step.
#pragma once

#include <string>

#include "desktop/ports/settings_store.h"
#include "desktop/ports/wallpaper_refresh.h"

namespace tapisto {

// The desktop settings one refresh asked for, as the store holds them (texts, not numbers).
struct RequestedDesktop {
  std::string wallpaper;       // "Wallpaper" of Control Panel\Desktop
  std::string wallpaperStyle;  // "WallpaperStyle"
  std::string tileWallpaper;   // "TileWallpaper"
  std::string background;      // "Background" of Control Panel\Colors
};

class PosixRefresh final : public WallpaperRefresh {
 public:
  explicit PosixRefresh(SettingsStore& store) : store_(store) {}

  // Reads the four settings afresh. A key that does not open or a value that is missing or is
  // not a string leaves its text empty: a desktop takes what it can use. A hive that cannot be
  // read throws its SettingsError.
  void Refresh() override;

  const RequestedDesktop& LastRequest() const noexcept { return last_; }
  int RefreshCount() const noexcept { return count_; }

 private:
  SettingsStore& store_;
  RequestedDesktop last_;
  int count_ = 0;
};

}  // namespace tapisto
