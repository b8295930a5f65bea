// Reading the wallpaper picture as the desktop shows it.
#pragma once

#include <optional>
#include <string>

#include "image/raster.h"

namespace tapisto {

// The picture at `path`, read by its extension (".bmp", ".jpg", ".jpeg", ".jpe", ".jfif",
// ".png", ".gif", letters of any case) with the program's own readers and their limits. The
// transparent parts of a PNG or GIF picture show `background`. A file that is missing, of
// another kind, damaged or over the limits gives nullopt: the desktop then shows its
// background colour alone, as it does for a wallpaper it cannot show.
std::optional<Raster> ReadDesktopPicture(const std::string& path, Colour background);

}  // namespace tapisto
