// The small system ports on Windows: the wallpaper reload, the screen size and the tick
// counter.
#pragma once

#include "ports/clock.h"
#include "ports/screen.h"
#include "ports/wallpaper_refresh.h"

namespace tapisto {

// SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, NULL, SPIF_SENDWININICHANGE): the system
// takes the wallpaper from the settings just written. Its result is not looked at.
class Win32Refresh final : public WallpaperRefresh {
 public:
  void Refresh() override;
};

// GetSystemMetrics(SM_CXSCREEN / SM_CYSCREEN), asked afresh at every call.
class Win32Screen final : public Screen {
 public:
  int Width() const override;
  int Height() const override;
};

// GetTickCount: milliseconds since the system started, wrapping after 49.7 days.
class Win32Clock final : public Clock {
 public:
  std::uint32_t TickCount() override;
};

}  // namespace tapisto
