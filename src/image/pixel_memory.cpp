#include "image/pixel_memory.h"

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
  return AllocateBlock(bytes);
}

void Release(void* block, std::size_t bytes) noexcept {
  if (block == nullptr) return;
  if (bytes >= kLargeBlock) {
    Pool& pool = ThePool();
    const std::lock_guard<std::mutex> lock(pool.mutex);
    // Make room by dropping the oldest kept blocks.
    while (!pool.kept.empty() &&
           (pool.kept.size() >= kMaxKeptBlocks || pool.keptBytes + bytes > kMaxKeptBytes)) {
      FreeBlock(pool.kept.front().memory, pool.kept.front().bytes);
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
