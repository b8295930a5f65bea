#include "ui/donation_picture.h"

#include "ui/donation_picture_file.h"

namespace tapisto {

std::span<const std::uint8_t> DonationPictureJpeg() {
  return kDonationPictureFile;
}

Raster CutToControl(const Raster& picture, int width, int height) {
  Raster shown(width, height, picture.FillColour());
  BitBlt(shown, 0, 0, width, height, picture, 0, 0);
  return shown;
}

}  // namespace tapisto
