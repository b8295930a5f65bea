// Big pixel blocks on Windows come from the ordinary heap.
#include <new>

#include "image/pixel_pages.h"

namespace tapisto::pixel_pages {

void* Allocate(std::size_t bytes) {
  return ::operator new(bytes);
}

void Free(void* block, std::size_t) noexcept {
  ::operator delete(block);
}

}  // namespace tapisto::pixel_pages
