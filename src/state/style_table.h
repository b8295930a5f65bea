// The style list's twelve entries: the text the list shows, the "TileWallpaper" and
// "WallpaperStyle" values each one writes, and what choosing it does. The one table of the
// styles: the window, apply, start-up, the companion tool and the Linux hand-over all read it.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace tapisto {

// How the desktop places its wallpaper picture.
enum class DesktopStyle {
  Centre,   // unscaled, centred on every monitor
  Tile,     // unscaled, repeated from the top-left corner of the whole desktop
  Stretch,  // to the size of every monitor, proportions lost
  Fit,      // as large as fits every monitor whole, bars of the background colour beside it
  Fill,     // as small as covers every monitor, centred, the overhang cut off
  Span,     // stretched over the area of all monitors together
};
inline constexpr std::size_t kDesktopStyleCount = 6;

// The program's own pictures: each builds a screen-sized picture (the start wallpaper's size
// for AddedPicture) that becomes the wallpaper in place of the chosen one.
enum class Composition {
  SinglePicture,         // the picture at the offsets
  AddedPicture,          // the picture at the offsets over the start wallpaper
  Mirror,                // the picture mirrored at the offsets
  Duplicate,             // the picture at the left and right screen edges
  DuplicateMirrored,     // as Duplicate, the right copy mirrored
  DuplicateDoubleMirror  // as Duplicate, the left copy mirrored
};

struct StyleRow {
  std::string_view text;
  int tileWallpaper;
  int wallpaperStyle;  // the WallpaperStyleCode
  // How the desktop places the wallpaper file these values come with: a composition is shown
  // centred, unscaled.
  DesktopStyle desktopStyle;
  // None: the chosen picture itself is the wallpaper, placed by the desktop.
  std::optional<Composition> composition;
  bool offsetXEnabled;
  bool offsetYEnabled;
  // An empty file field makes apply clear the wallpaper without composing; the style values
  // and the offset fields stay as they were.
  bool clearsWithoutPicture;
  // Start-up selects this entry when the stored values ask for it (centred and span are not
  // selected: the list keeps what it showed).
  bool selectedAtStart;
};

// In the style list's order (index 0 to 11).
inline constexpr std::array<StyleRow, 12> kStyleTable{{
    // text, tile, code, shown as, composition, X, Y, clears without picture, selected at start
    {"normal", 0, 0, DesktopStyle::Centre, Composition::SinglePicture, true, true, false, false},
    {"ausfüllen", 0, 10, DesktopStyle::Fill, {}, false, false, false, true},
    {"anpassen", 0, 6, DesktopStyle::Fit, {}, false, false, false, true},
    {"dehnen", 0, 2, DesktopStyle::Stretch, {}, false, false, false, true},
    {"strecken", 0, 22, DesktopStyle::Span, {}, false, false, false, false},
    {"zentriert", 0, 0, DesktopStyle::Centre, {}, false, false, false, false},
    {"nebeneinander", 1, 0, DesktopStyle::Tile, {}, false, false, false, true},
    {"addieren", 0, 0, DesktopStyle::Centre, Composition::AddedPicture, true, true, false, false},
    {"spiegeln", 0, 0, DesktopStyle::Centre, Composition::Mirror, true, true, true, false},
    {"duplizieren", 0, 0, DesktopStyle::Centre, Composition::Duplicate, false, true, true, false},
    {"duplizieren und spiegeln", 0, 0, DesktopStyle::Centre, Composition::DuplicateMirrored, false,
     true, true, false},
    {"duplizieren und doppelt spiegeln", 0, 0, DesktopStyle::Centre,
     Composition::DuplicateDoubleMirror, false, true, true, false},
}};

// The row whose text equals `text` exactly (case-sensitive, whole text); nullptr for none.
constexpr const StyleRow* FindStyleRow(std::string_view text) {
  for (const StyleRow& row : kStyleTable) {
    if (row.text == text) return &row;
  }
  return nullptr;
}

// The row that asks the desktop itself for `style` (the one without a composition).
constexpr const StyleRow* RowOfDesktopStyle(DesktopStyle style) {
  for (const StyleRow& row : kStyleTable) {
    if (!row.composition && row.desktopStyle == style) return &row;
  }
  return nullptr;
}

// The row without a composition that stored values ask for: the style code decides, and
// "TileWallpaper" counts only with code 0. nullptr when no row holds the values (a code of no
// style, or code 0 with a tile value other than 0 and 1).
constexpr const StyleRow* RowOfStoredValues(int tileWallpaper, int wallpaperStyle) {
  for (const StyleRow& row : kStyleTable) {
    if (!row.composition && row.wallpaperStyle == wallpaperStyle &&
        (wallpaperStyle != 0 || row.tileWallpaper == tileWallpaper)) {
      return &row;
    }
  }
  return nullptr;
}

}  // namespace tapisto
