#include "ui/donation_picture.h"

#include "image/jpeg_encode.h"

namespace tapisto {

namespace {

constexpr int kJpegQuality = 90;

// Inside the heart curve (x^2 + y^2 - 1)^3 - x^2 y^3 <= 0, y pointing up.
bool InHeart(double x, double y) {
  const double a = x * x + y * y - 1.0;
  return a * a * a - x * x * y * y * y <= 0.0;
}

int Mix(int from, int to, int step, int steps) {
  return from + (to - from) * step / steps;
}

// Maps a pixel of the visible 100 x 100 square to the heart's plane, scaled by `scale`.
bool HeartCovers(int px, int py, double scale) {
  const double x = (static_cast<double>(px) + 0.5 - 50.0) / scale;
  const double y = (46.0 - static_cast<double>(py) - 0.5) / scale;
  return InHeart(x, y);
}

}  // namespace

Raster DrawDonationPicture() {
  Raster picture(kDonationPictureWidth, kDonationPictureHeight);
  for (int py = 0; py < kDonationPictureHeight; ++py) {
    // Warm orange at the top to a deep rose at the bottom.
    const Colour background = ComposeRgb(Mix(255, 200, py, kDonationPictureHeight - 1),
                                         Mix(200, 90, py, kDonationPictureHeight - 1),
                                         Mix(120, 130, py, kDonationPictureHeight - 1));
    for (int px = 0; px < kDonationPictureWidth; ++px) {
      Colour colour = background;
      if (HeartCovers(px, py, 34.0)) colour = kWhite;  // the rim
      if (HeartCovers(px, py, 30.0)) colour = ComposeRgb(210, 20, 50);
      picture.SetPixel(px, py, colour);
    }
  }
  return picture;
}

std::vector<std::uint8_t> DonationPictureJpeg() {
  return EncodeJpeg(DrawDonationPicture(), kJpegQuality);
}

Raster CutToControl(const Raster& picture, int width, int height) {
  Raster shown(width, height, picture.FillColour());
  BitBlt(shown, 0, 0, width, height, picture, 0, 0);
  return shown;
}

}  // namespace tapisto
