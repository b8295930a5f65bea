// Sway and the other wlroots compositors that speak its IPC, reached through the UNIX socket
// SWAYSOCK names: the background is set with sway's own `output * bg` command (which starts
// swaybg for every output), the screen size read from its outputs.
#pragma once

#include <optional>
#include <string>

#include "desktop/posix/handover/desktop_handover.h"
#include "desktop/posix/handover/json_value.h"

namespace tapisto {

// The command that shows `picture` on every output: `output * bg FILE MODE #rrggbb` with every
// character of the path that is not an ASCII letter or digit escaped by a backslash (sway
// splits its commands on blanks, quotes, ";" and "," and passes the file name through
// wordexp, which takes the backslashes off again); `output * bg #rrggbb solid_color` for no
// picture. Throws DesktopError for a path with control characters, which no escape gets
// through to the file name whole.
std::string SwayBackgroundCommand(const DesktopPicture& picture);

// The size in pixels of the focused output (else the first active one) among the outputs of a
// GET_OUTPUTS reply: its current mode, across and down swapped when the output is turned by a
// quarter. nullopt when there is no active output with a mode.
std::optional<ScreenSize> ScreenSizeOfSwayOutputs(const JsonValue& outputs);

class SwayHandOver final : public DesktopHandOver {
 public:
  std::string Name() const override { return "Sway"; }
  // Checks that the file is a regular file this user can read (sway answers success even for a
  // file it cannot open, and its swaybg then shows the colour alone), then sends the command
  // over the IPC socket. A socket that cannot be reached, an answer that does not come within
  // a few seconds and a command sway refuses are DesktopErrors.
  void HandOver(const DesktopPicture& picture) override;
  // Sway's IPC tells nothing of the backgrounds it shows (no reply names the file, mode or
  // colour of `output bg`), so there is nothing to read: the fresh values stay.
  ShownDesktop ReadShown() override { return {}; }
  // ScreenSizeOfSwayOutputs of a GET_OUTPUTS request; nullopt also when sway cannot be asked.
  std::optional<ScreenSize> ShownScreenSize() override;
};

}  // namespace tapisto
