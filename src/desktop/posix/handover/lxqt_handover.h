// LXQt, whose desktop is drawn by pcmanfm-qt: the wallpaper is handed over through
// pcmanfm-qt's own command line (the running desktop instance takes it over), started
// directly with an argument vector, never through a shell; what it shows is read from its
// settings file, which is never written here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "desktop/posix/handover/desktop_handover.h"

namespace tapisto {

// pcmanfm-qt's arguments (after the program's name) for `picture`: `--set-wallpaper FILE
// --wallpaper-mode MODE` with MODE zoom (fill, and span, which it does not have), fit,
// stretch, center or tile; for no picture `--wallpaper-mode color`, its mode that shows the
// background colour alone. Its command line has no option for the colour itself, so the
// desktop keeps the colour set in its own settings.
std::vector<std::string> PcmanfmQtArguments(const DesktopPicture& picture);

// What the text of pcmanfm-qt's settings file tells of its [Desktop] group: Wallpaper (with
// the escapes and quotes of Qt's INI format undone), WallpaperMode (color: no picture) and
// BgColor; nothing for a key that is not there.
ShownDesktop ShownFromPcmanfmQtSettings(std::string_view text);

class LxqtHandOver final : public DesktopHandOver {
 public:
  std::string Name() const override { return "LXQt"; }
  // Runs `pcmanfm-qt` found through PATH with PcmanfmQtArguments and waits for it at most
  // kTimeout. A program that is not there, that ends with another status than 0 or does not
  // end in time (it is then ended) is a DesktopError.
  void HandOver(const DesktopPicture& picture) override;
  // ShownFromPcmanfmQtSettings of $XDG_CONFIG_HOME/pcmanfm-qt/lxqt/settings.conf, the profile
  // LXQt runs its desktop with; nothing when the file is not there, so the fresh values stay.
  ShownDesktop ReadShown() override;

  // pcmanfm-qt is a Qt program that may have to start up before it hands the wallpaper to
  // the running desktop instance.
  static constexpr int kTimeoutSeconds = 10;
};

}  // namespace tapisto
