// KDE Plasma 5 and 6, reached the way its own tools script it: a script handed to the shell's
// evaluateScript method (org.kde.plasmashell /PlasmaShell) on the session bus, which sets the
// wallpaper of every desktop containment and prints what one of them shows.
#pragma once

#include <string>
#include <string_view>

#include "desktop/posix/handover/desktop_handover.h"

namespace tapisto {

// `text` as a double-quoted JavaScript string literal: backslashes, quotes, line ends (also
// U+2028 and U+2029), and every other control character escaped.
std::string JsStringLiteral(std::string_view text);

// The script that shows `picture` on every desktop containment of the shell, also those of
// other activities (screen -1) and those showing another wallpaper plugin: the image
// wallpaper (org.kde.image) set first, then in its group Image (the file's URL, percent-
// encoded), FillMode (fill 2, fit 1, stretch 0, tile 3, centre 6; span 2, since Plasma draws
// each screen alone) and Color (the background, "#rrggbb"). For no picture the plain colour
// wallpaper (org.kde.color) with the background as its Color, so the colour alone shows,
// never the image wallpaper's default picture. Throws DesktopError for a path that makes no
// file URL.
std::string PlasmaWallpaperScript(const DesktopPicture& picture);

// The script that prints, as one JSON object, the wallpaper plugin, Image, FillMode and Color
// of the first desktop containment.
std::string_view PlasmaReaderScript();

// What the reader script's output tells: the image wallpaper's file, style and colour; no
// picture and the colour for the plain colour wallpaper; nothing for another plugin, an image
// that is no local file, or output that is not the reader's.
ShownDesktop ShownFromPlasmaOutput(std::string_view output);

class PlasmaHandOver final : public DesktopHandOver {
 public:
  std::string Name() const override { return "KDE Plasma"; }
  // Runs PlasmaWallpaperScript in the shell. The shell's refusal ("Widgets are locked"), a
  // script error and a shell that is not there or does not answer within the session bus's
  // timeout come back as a DesktopError with the shell's message.
  void HandOver(const DesktopPicture& picture) override;
  // Runs PlasmaReaderScript and reads its output with ShownFromPlasmaOutput.
  ShownDesktop ReadShown() override;
};

}  // namespace tapisto
