// Port: the system's millisecond tick counter, unsigned 32-bit and wrapping.
#pragma once

#include <cstdint>

namespace tapisto {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::uint32_t TickCount() = 0;
};

}  // namespace tapisto
