// The Linux desktop the program runs on, found afresh at every use from the session's
// environment: the desktop that paints its own background (KDE Plasma, Xfce, GNOME, Sway, ...),
// else the X11 root window, else none.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "desktop/posix/handover/desktop_handover.h"
#include "desktop/posix/hive/reg_hive.h"

namespace tapisto {

// What of the session's environment decides which desktop runs.
struct SessionEnvironment {
  std::string currentDesktop;             // XDG_CURRENT_DESKTOP, a ":"-separated list
  bool swaySocket = false;                // SWAYSOCK is set and not empty
  bool x11Display = false;                // DISPLAY is set and not empty
  bool explicitGSettingsBackend = false;  // GSETTINGS_BACKEND is set and not empty

  static SessionEnvironment OfThisProcess();
};

// The desktops that show the wallpaper in `session`: the first desktop of the table in
// running_desktop.cpp that the session names, alone, since a desktop that paints its own
// background hides the root window under it; else the X11 root window when there is a display;
// else none.
std::vector<std::unique_ptr<DesktopHandOver>> DesktopsOfSession(const SessionEnvironment& session);

// Hands the wallpaper settings to the desktops of the session, read afresh at every call.
class RunningDesktop {
 public:
  virtual ~RunningDesktop() = default;

  // Hands `request` to every desktop of the session; one that fails does not stop the others.
  // Returns one line for each desktop that could not be reached or refused, naming it and
  // saying why, and one line when the session has no desktop at all; none when every desktop
  // took it.
  virtual std::vector<std::string> Show(const RequestedDesktop& request);
};

// The settings values the running desktop shows (ReadShown of the first desktop of the session
// that answers, over the values `hive` holds now), put into Control Panel\Desktop and Control
// Panel\Colors; nothing changes where no desktop tells. Made to seed a fresh hive, so that the
// program starts from what the desktop shows.
void SeedFromRunningDesktop(Hive& hive);

// Puts the four values as string values into their keys, each replacing a value of its name
// or added at the end of its key, whose section is added when missing.
void PutDesktopValues(Hive& hive, const RequestedDesktop& values);

// The four values as `hive` holds them; "" for a value that is missing or not a string.
RequestedDesktop DesktopValuesOf(Hive& hive);

}  // namespace tapisto
