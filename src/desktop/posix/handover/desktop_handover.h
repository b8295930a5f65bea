// One Linux desktop as the refresh reaches it: each desktop the program knows has one class of
// this interface in a file of its own, reached through the desktop's own settings or IPC the
// way its own settings dialog does it (never by editing its files behind its back, never
// through a shell). running_desktop.cpp chooses them from the session's environment.
#pragma once

#include <optional>
#include <string>

#include "desktop/posix/handover/desktop_style.h"

namespace tapisto {

// A screen's size in device pixels.
struct ScreenSize {
  int width = 0;
  int height = 0;
};

class DesktopHandOver {
 public:
  virtual ~DesktopHandOver() = default;

  // The desktop's name as the log shows it ("Xfce", "KDE Plasma").
  virtual std::string Name() const = 0;

  // Shows `picture` on every monitor and workspace of the desktop: its file (an absolute path,
  // "" for none) placed by its style as closely as the desktop allows, on its background
  // colour. Returns when the desktop has taken it. Throws DesktopError saying why when the
  // desktop cannot be reached (no bus, no service, no socket, a timeout) or refuses it.
  virtual void HandOver(const DesktopPicture& picture) = 0;

  // What the desktop shows now, as far as it tells; used to seed a fresh hive at the first
  // start. Throws DesktopError when the desktop cannot be reached.
  virtual ShownDesktop ReadShown() = 0;

  // The size of the screen the desktop shows, where the desktop knows it better than X11
  // (a Wayland compositor); nullopt leaves the size to X11 or the toolkit.
  virtual std::optional<ScreenSize> ShownScreenSize() { return std::nullopt; }
};

}  // namespace tapisto
