// The wallpaper settings of the hive decoded into what the desktop shows, and the same in the
// words of the GNOME background settings. Pure text and number work, no desktop is asked.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "desktop/posix/handover/requested_desktop.h"
#include "image/colour.h"
#include "state/style_table.h"

namespace tapisto {

// "WallpaperStyle" and "TileWallpaper" as the hive holds them, read leniently (a missing text
// or one that is not a number counts as 0), placed as the style table's row for them places
// the picture: 10 fill, 6 fit, 2 stretch, 22 span; 0 and any other number centre, or tile
// when "TileWallpaper" is 1.
DesktopStyle DesktopStyleFromValues(std::string_view wallpaperStyle,
                                    std::string_view tileWallpaper);

// The "WallpaperStyle" and "TileWallpaper" numbers that ask for `style`: its row's in the style
// table.
struct StyleValues {
  int wallpaperStyle = 0;
  int tileWallpaper = 0;
};
StyleValues ValuesOfDesktopStyle(DesktopStyle style);

// "Background" of Control Panel\Colors: three whole numbers "R G B" separated by blanks or
// tabs. A number over 255 counts as 255; a text that is not three numbers gives black.
Colour ParseBackgroundColour(std::string_view text);
std::string FormatBackgroundColour(Colour colour);

// What the hive asked for in the desktop's terms. `file` is "" when no picture is wanted.
struct DesktopPicture {
  std::string file;
  DesktopStyle style = DesktopStyle::Centre;
  Colour background = 0;
};
DesktopPicture DesktopPictureFrom(const RequestedDesktop& request);

// `file` made absolute against the working folder, as every desktop needs it (a desktop is
// another process with a working folder of its own); "" stays "", an absolute path is kept
// exactly as it is. The program and the companion name a picture this way in the hive too,
// so the hive and the desktop name the same file.
std::string AbsolutePicturePath(const std::string& file);

// The words a desktop's settings use for the styles, one for each DesktopStyle in the order of
// its declaration (Centre, Tile, Stretch, Fit, Fill, Span). A desktop without span names the
// style that comes closest twice.
using StyleNames = std::array<std::string_view, kDesktopStyleCount>;
std::string_view NameOfStyle(const StyleNames& names, DesktopStyle style);
// The first style in declaration order that `name` names; nullopt for a name of no style.
std::optional<DesktopStyle> StyleNamed(const StyleNames& names, std::string_view name);

// GNOME's picture-options for a style; "none" when there is no picture.
std::string_view GnomePictureOptions(DesktopStyle style, bool hasPicture);
// The style that GNOME's picture-options name; nullopt for "none" and for names of no style.
std::optional<DesktopStyle> DesktopStyleFromGnomeOptions(std::string_view options);

// GNOME's colour text "#rrggbb" (lower-case hex).
std::string GnomeColour(Colour colour);
// Reads "#rgb", "#rrggbb", "#rrrgggbbb" and "#rrrrggggbbbb" (the colour's leading hex digits
// count); nullopt for anything else.
std::optional<Colour> ParseGnomeColour(std::string_view text);

// What a desktop shows, as far as it tells: a field it does not tell is nullopt.
struct ShownDesktop {
  std::optional<std::string> picture;  // the local file shown; "" for no picture
  std::optional<DesktopStyle> style;
  std::optional<Colour> background;
};

// The hive values that show what `shown` shows, starting from `fallback`: the picture, the
// style values and the background colour where the desktop tells them; the rest keeps its
// fallback text.
RequestedDesktop DesktopValuesFromShown(const ShownDesktop& shown, RequestedDesktop fallback);

// The GNOME background as its settings hold it.
struct GnomeBackground {
  std::string picturePath;  // the local file picture-uri names; "" for none or another URI
  std::string pictureOptions;
  std::string primaryColour;
};

// What `gnome` shows: no picture when picture-options is "none", else the picture and the
// style picture-options names (none for a name of no style); the colour when primary-color
// can be read.
ShownDesktop ShownFromGnome(const GnomeBackground& gnome);

// DesktopValuesFromShown over ShownFromGnome.
RequestedDesktop DesktopValuesFromGnome(const GnomeBackground& gnome, RequestedDesktop fallback);

// Whether XDG_CURRENT_DESKTOP (a ":"-separated list) names `desktop`: ASCII letters compared
// without case, and an entry "X-Name" (a desktop not registered with freedesktop.org) counts
// as "Name". "Budgie:GNOME" names both.
bool CurrentDesktopNames(std::string_view currentDesktop, std::string_view desktop);

// Whether a desktop session keeps its background in the GNOME background settings:
// XDG_CURRENT_DESKTOP names GNOME, Unity, Budgie or Pantheon, or the environment chose a
// GSettings backend explicitly.
bool SessionUsesGnomeBackground(std::string_view currentDesktop, bool explicitBackend);

}  // namespace tapisto
