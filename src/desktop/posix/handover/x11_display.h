// Small helpers shared by the X11 parts of the POSIX backend: an owned display connection,
// the monitors of a screen and a trap for the errors the server reports. Only the X11 sources
// of this folder include this header.
#pragma once

#include <memory>
#include <vector>

#include "desktop/posix/handover/x11_functions.h"
#include "image/raster.h"

namespace tapisto::x11 {

struct DisplayCloser {
  void operator()(Display* display) const noexcept { Xlib().XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// A new connection to the display DISPLAY names; nullptr when DISPLAY is unset or empty (Xlib
// is not loaded then) or the display cannot be opened. Throws DesktopError when Xlib cannot be
// loaded.
DisplayPtr OpenDisplay();

// The monitors of the default screen as XRandR 1.5 lists its active ones, in root window
// pixels; one rectangle over the whole root window when the server has no such list. Throws
// DesktopError when XRandR cannot be loaded.
std::vector<Rect> Monitors(Display* display);

// While it lives, errors the X server reports are recorded instead of ending the program (the
// library's default handler exits). One thread only; the previous handler comes back at the
// end.
class ErrorTrap {
 public:
  ErrorTrap();
  ~ErrorTrap();
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;

  // Waits until the server has handled every request sent so far and gives the code of the
  // first error reported since the last call (0 for none).
  int Sync(Display* display);

 private:
  int (*previous_)(Display*, XErrorEvent*) = nullptr;
};

}  // namespace tapisto::x11
