// Port: repeating timers of the window system. A timer's ticks arrive as messages of the window
// thread's queue, so a tick runs only inside the message loop or a pump, never in the middle of
// a handler. The views implement it over their toolkit's timers; tests move a fake clock.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace tapisto {

class Timer {
 public:
  virtual ~Timer() = default;
  // The tick runs every `intervalMs` milliseconds from now on, the first time `intervalMs` from
  // now; a running timer starts anew.
  virtual void Start(std::uint32_t intervalMs) = 0;
  virtual void Stop() = 0;
};

class Timers {
 public:
  virtual ~Timers() = default;
  // A stopped timer that runs `tick` once started. An error escaping the tick goes to the
  // application's default report.
  virtual std::unique_ptr<Timer> CreateTimer(std::function<void()> tick) = 0;
};

}  // namespace tapisto
