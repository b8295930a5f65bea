#include "image/pixel_memory.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>
#include <vector>

#include "image/pixel_pages.h"

namespace tapisto::pixel_memory {

namespace {

// ---- where blocks come from: big ones from the system's pages, small ones from the heap ----

void* AllocateBlock(std::size_t bytes) {
  return bytes >= pixel_pages::kBigBlock ? pixel_pages::Allocate(bytes) : ::operator new(bytes);
}

void FreeBlock(void* block, std::size_t bytes) noexcept {
  if (bytes >= pixel_pages::kBigBlock) {
    pixel_pages::Free(block, bytes);
  } else {
    ::operator delete(block);
  }
}

// ---- keeping blocks for reuse ----

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

// ---- the figures of Usage ----

std::atomic<std::size_t> inUse{0};
std::atomic<std::size_t> held{0};
std::atomic<std::size_t> peakInUse{0};
std::atomic<std::size_t> peakHeld{0};

void RaisePeak(std::atomic<std::size_t>& peak, std::size_t value) noexcept {
  std::size_t seen = peak.load(std::memory_order_relaxed);
  while (value > seen && !peak.compare_exchange_weak(seen, value, std::memory_order_relaxed)) {
  }
}

// A block goes to a caller; `fresh` when it comes from the system rather than the pool.
void CountHandedOut(std::size_t bytes, bool fresh) noexcept {
  RaisePeak(peakInUse, inUse.fetch_add(bytes, std::memory_order_relaxed) + bytes);
  if (fresh) RaisePeak(peakHeld, held.fetch_add(bytes, std::memory_order_relaxed) + bytes);
}

void CountFreed(std::size_t bytes) noexcept {
  held.fetch_sub(bytes, std::memory_order_relaxed);
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
        CountHandedOut(bytes, false);
        return memory;
      }
    }
  }
  void* memory = AllocateBlock(bytes);
  CountHandedOut(bytes, true);
  return memory;
}

void Release(void* block, std::size_t bytes) noexcept {
  if (block == nullptr) return;
  inUse.fetch_sub(bytes, std::memory_order_relaxed);
  if (bytes >= kLargeBlock) {
    Pool& pool = ThePool();
    const std::lock_guard<std::mutex> lock(pool.mutex);
    // Make room by dropping the oldest kept blocks.
    while (!pool.kept.empty() &&
           (pool.kept.size() >= kMaxKeptBlocks || pool.keptBytes + bytes > kMaxKeptBytes)) {
      FreeBlock(pool.kept.front().memory, pool.kept.front().bytes);
      CountFreed(pool.kept.front().bytes);
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
  FreeBlock(block, bytes);
  CountFreed(bytes);
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

void ReleaseKept() noexcept {
  Pool& pool = ThePool();
  const std::lock_guard<std::mutex> lock(pool.mutex);
  for (const Block& block : pool.kept) {
    FreeBlock(block.memory, block.bytes);
    CountFreed(block.bytes);
  }
  pool.kept.clear();
  pool.keptBytes = 0;
}

Usage CurrentUsage() noexcept {
  return {inUse.load(std::memory_order_relaxed), held.load(std::memory_order_relaxed),
          peakInUse.load(std::memory_order_relaxed), peakHeld.load(std::memory_order_relaxed)};
}

void ResetPeaks() noexcept {
  peakInUse.store(inUse.load(std::memory_order_relaxed), std::memory_order_relaxed);
  peakHeld.store(held.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

}  // namespace tapisto::pixel_memory
