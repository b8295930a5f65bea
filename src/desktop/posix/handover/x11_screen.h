// The Screen port on X11: the size of the primary screen in device pixels.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "desktop/posix/handover/desktop_handover.h"
#include "ports/screen.h"

namespace tapisto {

// The primary screen of the display DISPLAY names: the monitor of XRandR's primary output
// (its mode's pixels as the screen shows them, turned with a turned monitor), else the whole
// root window. Scaling of a desktop session does not enter: X11 counts real pixels. nullopt
// when there is no X display; DesktopError when Xlib or XRandR cannot be loaded.
std::optional<ScreenSize> PrimaryX11ScreenSize();

// The XRandR names of the outputs that show a picture now (connected and on), the primary one
// first, the rest in the server's order ("HDMI-1", "eDP-1"); empty when there is no X display
// or the server has no XRandR. DesktopError when Xlib or XRandR cannot be loaded.
std::vector<std::string> ConnectedX11OutputNames();

// Asks the X server afresh at every call; where there is no X display it gives the fallback
// size it was made with. DesktopError when Xlib or XRandR cannot be loaded.
class X11Screen final : public Screen {
 public:
  X11Screen(int fallbackWidth, int fallbackHeight) : fallback_{fallbackWidth, fallbackHeight} {}
  int Width() const override;
  int Height() const override;

 private:
  ScreenSize fallback_;
};

}  // namespace tapisto
