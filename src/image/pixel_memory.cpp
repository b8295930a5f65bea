#include "image/pixel_memory.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>
#include <vector>

// Under AddressSanitizer every block comes from the heap, where the sanitizer watches it.
#if defined(__SANITIZE_ADDRESS__)
#define TAPISTO_MAP_BIG_BLOCKS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAPISTO_MAP_BIG_BLOCKS 0
#endif
#endif
#if !defined(TAPISTO_MAP_BIG_BLOCKS)
#if defined(__linux__)
#define TAPISTO_MAP_BIG_BLOCKS 1
#else
#define TAPISTO_MAP_BIG_BLOCKS 0
#endif
#endif

#if TAPISTO_MAP_BIG_BLOCKS
#include <sys/mman.h>
#endif

namespace tapisto::pixel_memory {

namespace {

// ---- the system's side: where big blocks come from ----
//
// A screen-sized block is thousands of pages, and the first touch of each costs a fault; on a
// virtual machine that is several microseconds apiece, more than the composing itself. On Linux
// such blocks are mapped on their own, aligned to 2 MiB and marked for transparent huge pages,
// so a 33 MB canvas takes a few dozen faults instead of eight thousand. Elsewhere they come
// from the ordinary heap.

constexpr std::size_t kHugePage = std::size_t{2} << 20;

#if TAPISTO_MAP_BIG_BLOCKS
std::size_t MappedSize(std::size_t bytes) noexcept {
  return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}

void* AllocateBig(std::size_t bytes) {
  const std::size_t size = MappedSize(bytes);
  // One huge page more than needed, so that an aligned stretch lies inside; the rest goes back.
  const std::size_t span = size + kHugePage;
  void* mapped = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (start + kHugePage - 1) & ~std::uintptr_t{kHugePage - 1};
  const std::size_t head = aligned - start;
  const std::size_t tail = span - head - size;
  if (head != 0) munmap(mapped, head);
  if (tail != 0) munmap(reinterpret_cast<void*>(aligned + size), tail);
  void* block = reinterpret_cast<void*>(aligned);
  // Only advice: where the system has no huge page to give, the block keeps ordinary pages.
  madvise(block, size, MADV_HUGEPAGE);
  return block;
}

void FreeBig(void* block, std::size_t bytes) noexcept {
  munmap(block, MappedSize(bytes));
}
#else
void* AllocateBig(std::size_t bytes) {
  return ::operator new(bytes);
}
void FreeBig(void* block, std::size_t) noexcept {
  ::operator delete(block);
}
#endif

void* AllocateBlock(std::size_t bytes) {
  return bytes >= kHugePage ? AllocateBig(bytes) : ::operator new(bytes);
}

void FreeBlock(void* block, std::size_t bytes) noexcept {
  if (bytes >= kHugePage) {
    FreeBig(block, bytes);
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
