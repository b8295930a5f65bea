// The style list's twelve entries and what applying each one does.
#pragma once

#include <array>
#include <string_view>

namespace tapisto {

enum class StyleAction {
  DesktopStyle,          // only sets the two style values
  SinglePicture,         // "normal"
  AddedPicture,          // "addieren"
  Mirror,                // "spiegeln"
  Duplicate,             // "duplizieren"
  DuplicateMirrored,     // "duplizieren und spiegeln"
  DuplicateDoubleMirror  // "duplizieren und doppelt spiegeln"
};

struct StyleRow {
  std::string_view text;
  StyleAction action;
  int tileWallpaper;
  int wallpaperStyle;  // the WallpaperStyleCode
  bool offsetXEnabled;
  bool offsetYEnabled;
};

// In the style list's order (index 0 to 11).
inline constexpr std::array<StyleRow, 12> kStyleTable{{
    {"normal", StyleAction::SinglePicture, 0, 0, true, true},
    {"ausfüllen", StyleAction::DesktopStyle, 0, 10, false, false},
    {"anpassen", StyleAction::DesktopStyle, 0, 6, false, false},
    {"dehnen", StyleAction::DesktopStyle, 0, 2, false, false},
    {"strecken", StyleAction::DesktopStyle, 0, 22, false, false},
    {"zentriert", StyleAction::DesktopStyle, 0, 0, false, false},
    {"nebeneinander", StyleAction::DesktopStyle, 1, 0, false, false},
    {"addieren", StyleAction::AddedPicture, 0, 0, true, true},
    {"spiegeln", StyleAction::Mirror, 0, 0, true, true},
    {"duplizieren", StyleAction::Duplicate, 0, 0, false, true},
    {"duplizieren und spiegeln", StyleAction::DuplicateMirrored, 0, 0, false, true},
    {"duplizieren und doppelt spiegeln", StyleAction::DuplicateDoubleMirror, 0, 0, false, true},
}};

// The row whose text equals `text` exactly (case-sensitive, whole text); nullptr for none.
constexpr const StyleRow* FindStyleRow(std::string_view text) {
  for (const StyleRow& row : kStyleTable) {
    if (row.text == text) return &row;
  }
  return nullptr;
}

}  // namespace tapisto
