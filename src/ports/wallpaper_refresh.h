// Port: asks the system to reload the wallpaper from the settings just written (on Windows
// SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, NULL, SPIF_SENDWININICHANGE)).
#pragma once

namespace tapisto {

class WallpaperRefresh {
 public:
  virtual ~WallpaperRefresh() = default;
  // Its result is not looked at; a failure may throw an Error.
  virtual void Refresh() = 0;
};

}  // namespace tapisto
