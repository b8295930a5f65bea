// The system's side of pixel memory: where big blocks come from. A screen-sized block is
// thousands of pages, and the first touch of each costs a fault; on a virtual machine that is
// several microseconds apiece, more than the composing itself. Each system's backend gives such
// blocks the cheapest pages it has (on Linux: mapped on their own, aligned to 2 MiB and marked
// for transparent huge pages, so a 33 MB canvas takes a few dozen faults instead of eight
// thousand); the build compiles exactly one backend into the image library.
#pragma once

#include <cstddef>

namespace tapisto::pixel_pages {

// Blocks of this size and more come from here; smaller ones from the ordinary heap.
inline constexpr std::size_t kBigBlock = std::size_t{2} << 20;

// A block of at least `bytes` bytes (bytes >= kBigBlock); throws std::bad_alloc when the system
// has none.
void* Allocate(std::size_t bytes);
// Gives back a block from Allocate, with the size it was asked for.
void Free(void* block, std::size_t bytes) noexcept;

}  // namespace tapisto::pixel_pages
