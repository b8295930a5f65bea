// Memory for raster pixels. A screen-sized raster is tens of megabytes, and every offset step
// composes a new canvas of the same size: handing the same blocks back and forth, instead of
// returning them to the system and mapping fresh pages each time, saves the page faults that
// would otherwise cost as much as the composing itself. Large blocks are kept for reuse by
// their exact size, a few at a time; small ones come from the ordinary heap. On Linux, blocks of
// 2 MiB and more are mapped on their own and backed by huge pages where the system has them,
// which makes the first touch of a fresh canvas many times cheaper.
#pragma once

#include <cstddef>
#include <new>
#include <utility>

namespace tapisto {

namespace pixel_memory {
void* Acquire(std::size_t bytes);
void Release(void* block, std::size_t bytes) noexcept;
// Blocks kept for reuse right now, and their bytes.
std::size_t KeptBlocks() noexcept;
std::size_t KeptBytes() noexcept;
// Gives every kept block back to the system.
void ReleaseKept() noexcept;

// Pixel bytes handed out and not yet released (in use), and those plus the kept ones (held
// from the system), now and at their highest since the last ResetPeaks.
struct Usage {
  std::size_t inUse = 0;
  std::size_t held = 0;
  std::size_t peakInUse = 0;
  std::size_t peakHeld = 0;
};
Usage CurrentUsage() noexcept;
// Starts the peaks afresh from the present figures.
void ResetPeaks() noexcept;
}  // namespace pixel_memory

// A standard allocator over pixel_memory, for the pixel vectors of rasters.
template <class T>
struct PixelAllocator {
  using value_type = T;
  PixelAllocator() noexcept = default;
  template <class U>
  PixelAllocator(const PixelAllocator<U>&) noexcept {}  // NOLINT: allocator rebinding
  T* allocate(std::size_t n) { return static_cast<T*>(pixel_memory::Acquire(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) noexcept { pixel_memory::Release(p, n * sizeof(T)); }
  // Elements made without a value are default-initialised: plain pixels stay unwritten until
  // the raster paints them, so no page is touched twice.
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
  template <class U>
  bool operator==(const PixelAllocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace tapisto
