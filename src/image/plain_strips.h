// The JPEG encoder's memory of strips all of one colour. A composition's canvas is mostly the
// background colour, and each offset step writes the same plain strips again: their bytes
// depend only on the strip's size, its colour and the encoder's settings, so each is
// compressed once and its bytes are used again. Whoever makes the pictures owns one and hands
// it to the encoder.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "image/colour.h"

namespace tapisto {

// What a strip's bytes depend on.
struct PlainStripKey {
  int width = 0;
  int rows = 0;
  Colour colour = 0;
  int quality = 0;
  unsigned restartInterval = 0;
  friend bool operator==(const PlainStripKey&, const PlainStripKey&) = default;
};

// The last few plain strips compressed, most recent first. Safe to use from several threads.
class PlainStripCache {
 public:
  using Bytes = std::shared_ptr<const std::vector<std::uint8_t>>;

  // The bytes kept for `key`; null when there are none.
  Bytes Find(const PlainStripKey& key);
  // Keeps `bytes` for `key`, dropping the least recently used entry when full.
  void Keep(const PlainStripKey& key, Bytes bytes);

 private:
  // A screen has at most two plain strip heights (the full one and the last), and a user
  // seldom switches among more than a few screens and colours.
  static constexpr std::size_t kCapacity = 8;
  struct Entry {
    PlainStripKey key;
    Bytes bytes;
  };
  std::mutex mutex_;
  std::vector<Entry> entries_;
};

}  // namespace tapisto
