#include "image/strip_cache.h"

#include <algorithm>
#include <utility>

namespace tapisto {

bool StripCache::Matches(const Entry& e, const StripKey& key) {
  const StripContent& c = key.content;
  if (e.bytes == nullptr || e.width != key.width || e.rows != key.rows ||
      e.quality != key.quality || e.restartInterval != key.restartInterval ||
      e.pictureAddress != c.picture.get()) {
    return false;
  }
  if (c.picture == nullptr) return e.colour == c.colour;
  // The address alone could be a new picture's in the place of a freed one; a picture still
  // alive can't share its address with another.
  return e.picture.lock() == c.picture && e.x == c.x && e.y == c.y && e.mirrored == c.mirrored;
}

StripCache::Entry* StripCache::Lookup(const StripKey& key) {
  for (Entry& e : entries_) {
    if (Matches(e, key)) return &e;
  }
  return nullptr;
}

StripCache::Bytes StripCache::Find(const StripKey& key) {
  const std::lock_guard lock(mutex_);
  Entry* e = Lookup(key);
  if (e == nullptr) return nullptr;
  e->lastUse = ++uses_;
  return e->bytes;
}

void StripCache::Keep(const StripKey& key, Bytes bytes) {
  const std::lock_guard lock(mutex_);
  Entry* place = Lookup(key);
  if (place == nullptr) {
    // A free place, else one whose picture is gone (it can never be found again), else the
    // least recently used.
    const auto rank = [](const Entry& e) {
      if (e.bytes == nullptr) return 0;
      return e.pictureAddress != nullptr && e.picture.expired() ? 1 : 2;
    };
    place =
        &*std::min_element(entries_.begin(), entries_.end(), [&](const Entry& a, const Entry& b) {
          return std::pair(rank(a), a.lastUse) < std::pair(rank(b), b.lastUse);
        });
  }
  const StripContent& c = key.content;
  Entry& e = *place;
  e.width = key.width;
  e.rows = key.rows;
  e.quality = key.quality;
  e.restartInterval = key.restartInterval;
  e.colour = c.picture ? 0 : c.colour;
  e.picture = c.picture;
  e.pictureAddress = c.picture.get();
  e.x = c.x;
  e.y = c.y;
  e.mirrored = c.mirrored;
  e.bytes = std::move(bytes);
  e.lastUse = ++uses_;
}

}  // namespace tapisto
