// The Linux desktop the program runs on, found afresh at every use: an X11 display, the GNOME
// background settings, both, or neither.
#pragma once

#include "desktop/posix/handover/desktop_handover.h"
#include "desktop/posix/hive/reg_hive.h"

namespace tapisto {

// Hands the wallpaper settings to every desktop it finds: the root window of the X display
// (ShowOnX11Root) and the GNOME background settings (WriteGnomeBackground). Where neither is
// there it does nothing. When one refuses, the other is still given the settings; the first
// refusal is thrown afterwards.
class RunningDesktop final : public DesktopHandOver {
 public:
  void HandOver(const RequestedDesktop& request) override;
};

// The settings values the GNOME background settings give (DesktopValuesFromGnome over the
// values `hive` holds now), put into Control Panel\Desktop and Control Panel\Colors; nothing
// changes where the GNOME background settings are not there. Made to seed a fresh hive, so
// that the program starts from what the desktop shows.
void SeedFromRunningDesktop(Hive& hive);

// Puts the four values as string values into their keys, each replacing a value of its name
// or added at the end of its key, whose section is added when missing.
void PutDesktopValues(Hive& hive, const RequestedDesktop& values);

// The four values as `hive` holds them; "" for a value that is missing or not a string.
RequestedDesktop DesktopValuesOf(Hive& hive);

}  // namespace tapisto
