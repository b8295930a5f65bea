#include "image/plain_strips.h"

#include <algorithm>

namespace tapisto {

PlainStripCache::Bytes PlainStripCache::Find(const PlainStripKey& key) {
  const std::lock_guard lock(mutex_);
  const auto it =
      std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.key == key; });
  if (it == entries_.end()) return nullptr;
  std::rotate(entries_.begin(), it, it + 1);  // most recently used first
  return entries_.front().bytes;
}

void PlainStripCache::Keep(const PlainStripKey& key, Bytes bytes) {
  const std::lock_guard lock(mutex_);
  const auto it =
      std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.key == key; });
  if (it != entries_.end()) entries_.erase(it);
  if (entries_.size() >= kCapacity) entries_.pop_back();
  entries_.insert(entries_.begin(), Entry{key, std::move(bytes)});
}

}  // namespace tapisto
