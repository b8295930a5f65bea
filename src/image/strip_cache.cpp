#include "image/strip_cache.h"

#include <algorithm>
#include <utility>

namespace tapisto {

namespace {

// The two keys alike in everything but the picture they name.
bool AlikeButThePicture(const StripKey& a, const StripKey& b) {
  return a.width == b.width && a.rows == b.rows && a.quality == b.quality &&
         a.restartInterval == b.restartInterval && a.content.colour == b.content.colour &&
         a.content.x == b.content.x && a.content.y == b.content.y &&
         a.content.mirrored == b.content.mirrored;
}

}  // namespace

bool StripCache::Matches(const Entry& e, const StripKey& key) {
  const std::shared_ptr<const Raster>& picture = key.content.picture;
  if (e.bytes == nullptr || e.pictureAddress != picture.get() || !AlikeButThePicture(e.key, key)) {
    return false;
  }
  // The address alone could be a new picture's in the place of a freed one; a picture still
  // alive can't share its address with another.
  return picture == nullptr || e.picture.lock() == picture;
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
  Entry& e = *place;
  e.key = key;
  e.key.content.picture.reset();
  e.picture = key.content.picture;
  e.pictureAddress = key.content.picture.get();
  e.bytes = std::move(bytes);
  e.lastUse = ++uses_;
}

}  // namespace tapisto
