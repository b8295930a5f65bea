// The JPEG encoder's memory of strips whose pixels it knows without looking at them. A
// composition's canvas is mostly the background colour, or (when the picture is added onto
// the start wallpaper) mostly that wallpaper, and each offset step writes the same strips
// again: their bytes depend only on what the strip shows, its size and the encoder's settings,
// so each is compressed once and its bytes are used again. Whoever makes the pictures owns one
// and hands it to the encoder.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "image/colour.h"
#include "image/raster.h"

namespace tapisto {

// What every pixel of a strip is: one colour, or a picture's pixels.
struct StripContent {
  // Every pixel this colour, when `picture` is null.
  Colour colour = 0;
  // Otherwise every pixel is a pixel of `picture`: its top-left corner lies at (x, y) counted
  // from the strip's top-left corner, and it is mirrored left to right when `mirrored`. The
  // picture covers the whole strip. A picture never changes while it is shared, so the same
  // picture object at the same place gives the same strip.
  std::shared_ptr<const Raster> picture;
  int x = 0;
  int y = 0;
  bool mirrored = false;
};

// A strip all of `colour`.
inline StripContent PlainStrip(Colour colour) {
  StripContent content;
  content.colour = colour;
  return content;
}

// What a strip's bytes depend on.
struct StripKey {
  int width = 0;
  int rows = 0;
  int quality = 0;
  unsigned restartInterval = 0;
  StripContent content;
};

// The last strips compressed. Safe to use from several threads. A picture strip is kept without
// keeping its picture alive: once the picture is gone, the strip is never found again.
class StripCache {
 public:
  using Bytes = std::shared_ptr<const std::vector<std::uint8_t>>;

  // The bytes kept for `key`; null when there are none.
  Bytes Find(const StripKey& key);
  // Keeps `bytes` for `key`, in place of the least recently used strip when full.
  void Keep(const StripKey& key, Bytes bytes);

 private:
  // Enough for every strip of a start wallpaper at 4K (eight, in two heights) besides the plain
  // strips of a few screens and colours.
  static constexpr std::size_t kCapacity = 16;
  struct Entry {
    StripKey key;                            // without its picture: a strip keeps none alive
    std::weak_ptr<const Raster> picture;     // expired: the strip's picture is gone
    const Raster* pictureAddress = nullptr;  // null for a plain strip
    Bytes bytes;                             // null: a free place
    std::uint64_t lastUse = 0;
  };
  static bool Matches(const Entry& entry, const StripKey& key);
  Entry* Lookup(const StripKey& key);

  std::mutex mutex_;
  std::array<Entry, kCapacity> entries_;
  std::uint64_t uses_ = 0;
};

}  // namespace tapisto
