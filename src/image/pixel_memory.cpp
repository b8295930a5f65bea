#include "image/pixel_memory.h"

#include <mutex>
#include <new>
#include <vector>

namespace tapisto::pixel_memory {

namespace {

// Blocks from this size on are kept for reuse (about a 512 x 512 raster).
constexpr std::size_t kLargeBlock = std::size_t{1} << 20;
// At most this many blocks and bytes are kept: enough for a few screen-sized rasters.
constexpr std::size_t kMaxKeptBlocks = 6;
constexpr std::size_t kMaxKeptBytes = std::size_t{320} << 20;

struct Block {
  void* memory;
  std::size_t bytes;
};

struct Pool {
  std::mutex mutex;
  std::vector<Block> kept;
  std::size_t keptBytes = 0;
};

Pool& ThePool() {
  static Pool* pool = new Pool;  // never destroyed: rasters may be freed during exit
  return *pool;
}

}  // namespace

void* Acquire(std::size_t bytes) {
  if (bytes >= kLargeBlock) {
    Pool& pool = ThePool();
    const std::lock_guard<std::mutex> lock(pool.mutex);
    for (auto it = pool.kept.begin(); it != pool.kept.end(); ++it) {
      if (it->bytes == bytes) {
        void* memory = it->memory;
        pool.keptBytes -= bytes;
        pool.kept.erase(it);
        return memory;
      }
    }
  }
  return ::operator new(bytes);
}

void Release(void* block, std::size_t bytes) noexcept {
  if (block == nullptr) return;
  if (bytes >= kLargeBlock) {
    Pool& pool = ThePool();
    const std::lock_guard<std::mutex> lock(pool.mutex);
    // Make room by dropping the oldest kept blocks.
    while (!pool.kept.empty() && (pool.kept.size() >= kMaxKeptBlocks ||
                                  pool.keptBytes + bytes > kMaxKeptBytes)) {
      ::operator delete(pool.kept.front().memory);
      pool.keptBytes -= pool.kept.front().bytes;
      pool.kept.erase(pool.kept.begin());
    }
    if (bytes <= kMaxKeptBytes) {
      try {
        pool.kept.push_back({block, bytes});
        pool.keptBytes += bytes;
        return;
      } catch (...) {
        // No room to remember it: give it back below.
      }
    }
  }
  ::operator delete(block);
}

std::size_t KeptBlocks() noexcept {
  Pool& pool = ThePool();
  const std::lock_guard<std::mutex> lock(pool.mutex);
  return pool.kept.size();
}

std::size_t KeptBytes() noexcept {
  Pool& pool = ThePool();
  const std::lock_guard<std::mutex> lock(pool.mutex);
  return pool.keptBytes;
}

}  // namespace tapisto::pixel_memory
