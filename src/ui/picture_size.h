// Loading a picture file by its extension to learn its size, as the start-up and the file
// choice do before they set the offset ranges.
#pragma once

#include <string>

namespace tapisto {

struct PictureSize {
  int width = 0;
  int height = 0;
};

// Reads the whole picture with the reader its extension selects (".bmp", ".jpg" or ".jpeg",
// ".gif", ".png", in any letter case), so a damaged file fails here as it would in a
// composition. Any other extension throws ImageFormatError "unknown picture file extension
// (.xyz)" with the extension as written; a file that cannot be read throws FileReadError.
PictureSize LoadPictureSize(const std::string& path);

}  // namespace tapisto
