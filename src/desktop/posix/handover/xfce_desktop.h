// Xfce's desktop, whose backgrounds its settings service xfconfd keeps in the channel
// "xfce4-desktop": one group of properties per screen, monitor and workspace
// (/backdrop/screen0/monitorHDMI-1/workspace0/last-image, ...). Reached over the session bus
// as Xfce's own settings dialog reaches it; the desktop follows every change at once.
#pragma once

#include "desktop/posix/handover/desktop_handover.h"

namespace tapisto {

class XfceHandOver final : public DesktopHandOver {
 public:
  std::string Name() const override { return "Xfce"; }

  // Sets last-image (when there is a picture), image-style, color-style "solid" and rgba1 in
  // every background group of the channel. A channel with no group yet gets a workspace 0
  // group on screen 0 for each monitor shown (the XRandR output names; "monitor0" without an
  // X display), which are the groups Xfce's desktop reads first.
  void HandOver(const DesktopPicture& picture) override;

  // The picture, style and colour of the first monitor's workspace 0 group (the primary
  // monitor's when it has one); nothing told when the channel has no such group.
  ShownDesktop ReadShown() override;
};

}  // namespace tapisto
