// The donation picture of the main window: a 100 x 120 JPEG the program draws and encodes
// itself (a heart on a warm gradient), shown unscaled from its top-left corner in a 100 x 100
// picture control, so its lowest 20 rows are cut off.
#pragma once

#include <cstdint>
#include <vector>

#include "image/raster.h"

namespace tapisto {

inline constexpr int kDonationPictureWidth = 100;
inline constexpr int kDonationPictureHeight = 120;

// The drawing, before encoding.
Raster DrawDonationPicture();

// The drawing as the JPEG file stored with the window.
std::vector<std::uint8_t> DonationPictureJpeg();

// What a picture control of `width` x `height` shows of `picture`: its top-left part, the
// rest of the control (if the picture is smaller) in the picture's fill colour.
Raster CutToControl(const Raster& picture, int width, int height);

}  // namespace tapisto
