// The GNOME background settings (the GSettings schema org.gnome.desktop.background), which
// GNOME and the desktops sharing its schema show. Read and written through GIO, never through
// a command.
#pragma once

#include <optional>

#include "desktop/posix/handover/desktop_handover.h"

namespace tapisto {

// Whether the GNOME background settings are there to use: the session uses them
// (SessionUsesGnomeBackground with XDG_CURRENT_DESKTOP and GSETTINGS_BACKEND) and the schema
// is installed.
bool GnomeBackgroundAvailable();

// Writes `picture` when GnomeBackgroundAvailable(): picture-uri and, where the schema has it,
// picture-uri-dark (the file as a file:// URI, made absolute against the working folder; ""
// when there is no picture), picture-options, primary-color and color-shading-type "solid",
// all in one change, and waits until the settings service has them. Returns false when the
// settings are not there. Throws DesktopError when a key cannot be written.
bool WriteGnomeBackground(const DesktopPicture& picture);

// The background GNOME shows now; nullopt when GnomeBackgroundAvailable() is false.
std::optional<GnomeBackground> ReadGnomeBackground();

// GNOME and the desktops sharing its background settings.
class GnomeHandOver final : public DesktopHandOver {
 public:
  std::string Name() const override { return "GNOME"; }
  // WriteGnomeBackground; settings that are not there are a DesktopError.
  void HandOver(const DesktopPicture& picture) override;
  ShownDesktop ReadShown() override;
};

}  // namespace tapisto
