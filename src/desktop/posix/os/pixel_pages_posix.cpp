// Big pixel blocks on POSIX systems: on Linux mapped on their own and backed by transparent huge
// pages where the system has them; elsewhere, and under AddressSanitizer (which watches only the
// heap), from the ordinary heap.
#include <cstdint>
#include <new>

#include "image/pixel_pages.h"

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

namespace tapisto::pixel_pages {

#if TAPISTO_MAP_BIG_BLOCKS
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t MappedSize(std::size_t bytes) noexcept {
  return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}

}  // namespace

void* Allocate(std::size_t bytes) {
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

void Free(void* block, std::size_t bytes) noexcept {
  munmap(block, MappedSize(bytes));
}
#else
void* Allocate(std::size_t bytes) {
  return ::operator new(bytes);
}

void Free(void* block, std::size_t) noexcept {
  ::operator delete(block);
}
#endif

}  // namespace tapisto::pixel_pages
