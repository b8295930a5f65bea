// GIF files (GIF87a and GIF89a): the first frame on the logical screen.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "image/limits.h"
#include "image/raster.h"

namespace tapisto {

// A decoded GIF: its logical screen and first frame. Later frames are ignored.
class GifPicture {
 public:
  // The size of the logical screen.
  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }

  bool HasGlobalColourTable() const noexcept { return !globalTable_.empty(); }
  const std::vector<Colour>& GlobalColourTable() const noexcept { return globalTable_; }

  // The colour shown where the first frame is transparent or does not cover the screen: the
  // global colour table's entry at the background index; white (the system window colour)
  // when the GIF has no global colour table or the index lies past its end; or what
  // SetBackgroundColour set.
  Colour BackgroundColour() const noexcept;
  // Makes `colour` the background: the compositions set the desktop background colour. The
  // colour is added to the global colour table when it is not in it and the table has fewer
  // than 256 entries (a full table stays as it is; the colour is still the background).
  void SetBackgroundColour(Colour colour);

  // The first frame drawn on a raster of the logical screen's size (pixel format Device).
  Raster ToRaster() const;

 private:
  friend GifPicture DecodeGif(std::span<const std::uint8_t>, const ImageLimits&);

  int width_ = 0;
  int height_ = 0;
  std::vector<Colour> globalTable_;
  int backgroundIndex_ = 0;
  // What SetBackgroundColour set; it wins over the table even when the table had no room.
  std::optional<Colour> backgroundOverride_;
  // The part of the first frame that lies on the screen: its rectangle and its colours, one
  // per pixel, rows top-down after de-interlacing. Transparent pixels (and pixels the data
  // never reached) hold a value with the top byte set, which no Colour has.
  int frameLeft_ = 0, frameTop_ = 0, frameWidth_ = 0, frameHeight_ = 0;
  std::vector<Colour> framePixels_;
};

// Throws ImageFormatError (ImageTooLargeError over `limits`).
GifPicture DecodeGif(std::span<const std::uint8_t> bytes, const ImageLimits& limits = {});

GifPicture ReadGifFile(const std::string& path, const ImageLimits& limits = {});

}  // namespace tapisto
