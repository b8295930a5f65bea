#include "desktop/background_colour.h"

namespace tapisto {

namespace {
// Removes leading and trailing blanks and control characters (every byte up to ' ').
std::string Trim(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
  return text.substr(first, last - first);
}

void TakeUpToBlank(std::string& rest, std::string& field) {
  const auto blank = rest.find(' ');
  if (blank == std::string::npos) return;
  field = rest.substr(0, blank);
  rest.erase(0, blank + 1);
}
}  // namespace

void SplitBackgroundText(WallpaperState& state, const std::string& text) {
  state.BackgroundText = text;
  TakeUpToBlank(state.BackgroundText, state.BackgroundRed);
  TakeUpToBlank(state.BackgroundText, state.BackgroundGreen);
  state.BackgroundBlue = Trim(state.BackgroundText);
}

}  // namespace tapisto
