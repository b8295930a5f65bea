// Splitting the desktop's "Background" setting ("R G B") into the three colour texts.
#pragma once

#include <string>

#include "state/wallpaper_state.h"

namespace tapisto {

// Puts `text` into BackgroundText and splits it at its first two blanks: BackgroundRed and
// BackgroundGreen take the characters before each blank exactly as they stand (a split that
// finds no blank leaves its field as it was); BackgroundBlue takes the rest, trimmed of
// blanks and control characters. BackgroundText keeps only that rest.
void SplitBackgroundText(WallpaperState& state, const std::string& text);

}  // namespace tapisto
