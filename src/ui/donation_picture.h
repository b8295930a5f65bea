// The donation picture of the main window: a 100 x 120 JPEG stored with the window (a white-
// rimmed red heart on a warm gradient, ui/donation_picture.jpg), shown unscaled from its
// top-left corner in a 100 x 100 picture control, so its lowest 20 rows are cut off.
#pragma once

#include <cstdint>
#include <span>

#include "image/raster.h"

namespace tapisto {

// The JPEG file stored with the window.
std::span<const std::uint8_t> DonationPictureJpeg();

// What a picture control of `width` x `height` shows of `picture`: its top-left part, the
// rest of the control (if the picture is smaller) in the picture's fill colour.
Raster CutToControl(const Raster& picture, int width, int height);

}  // namespace tapisto
