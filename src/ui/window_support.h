// Small rules the main window's handlers share.
#pragma once

#include <string>
#include <string_view>

#include "ports/files.h"

namespace tapisto {

// The ranges of the two offset fields for a picture (or screen) of w x h pixels on a screen
// of screenWidth x screenHeight: X from 20 - w to screen width - 20, Y from 40 - h to screen
// height - 50.
struct OffsetRanges {
  int minX;
  int maxX;
  int minY;
  int maxY;
};
OffsetRanges OffsetRangesFor(int w, int h, int screenWidth, int screenHeight) noexcept;

// The folder part of `path`: everything up to and including its last separator; empty when
// it has none.
std::string FolderPartOf(std::string_view path);

// The file field is usable when its text is not empty and names an existing file.
bool NamesExistingFile(Files& files, const std::string& text);

// The message of the exception being handled, as the application's default report shows it
// (without the type name). Call only inside a catch block.
std::string CurrentErrorMessage();

}  // namespace tapisto
