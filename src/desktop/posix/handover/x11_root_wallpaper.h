// The wallpaper on the root window of an X11 display, as X11 wallpaper setters put it there:
// for plain window managers, and for any program that reads the desktop background from the
// root window.
#pragma once

#include "desktop/posix/handover/desktop_handover.h"

namespace tapisto {

// Draws `picture` for the whole root window of the display DISPLAY names (its file read with
// ReadDesktopPicture, placed with RenderDesktop on the monitors XRandR lists; no file, or one
// that cannot be read, gives the background colour alone) into a new pixmap. The pixmap
// becomes the root window's background and is published in the root window's _XROOTPMAP_ID
// and ESETROOT_PMAP_ID properties. The connection that made it is closed in the
// RetainPermanent mode, so the pixmap outlives the program; the pixmap that an earlier setter
// left behind the same way (both properties naming it) is freed by ending its retained
// client.
//
// Returns false, having done nothing, when no X display can be opened. Throws DesktopError
// when Xlib or XRandR cannot be loaded, or the server's screen has no true-colour visual or
// refuses the pixmap.
bool ShowOnX11Root(const DesktopPicture& picture);

// The root window as a desktop: for X11 sessions where no desktop paints a background of its
// own over it. It tells nothing of what it shows (a root pixmap keeps no file name).
class X11RootHandOver final : public DesktopHandOver {
 public:
  std::string Name() const override { return "X11"; }
  // ShowOnX11Root; no display is a DesktopError.
  void HandOver(const DesktopPicture& picture) override;
  ShownDesktop ReadShown() override { return {}; }
};

}  // namespace tapisto
