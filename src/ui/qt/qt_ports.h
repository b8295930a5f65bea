// The Qt side of the ports the windows use: the primary screen, the tick counter, the message
// pump and the timers.
#pragma once

#include <cstdint>

#include "ports/clock.h"
#include "ports/dialogs.h"
#include "ports/message_pump.h"
#include "ports/screen.h"
#include "ports/timers.h"

namespace tapisto {

// The primary screen in device pixels (its geometry times its device pixel ratio), read afresh
// at every call; 0 x 0 when there is no screen.
class QtScreen final : public Screen {
 public:
  int Width() const override;
  int Height() const override;
};

// Milliseconds of the steady clock, cut to 32 bits so the counter wraps as the program expects.
class QtClock final : public Clock {
 public:
  std::uint32_t TickCount() override;
};

// The GUI thread's event queue. Qt has no wait that leaves the waking event queued, so
// WaitForMessages handles the events that end the wait, as the next ProcessMessages would.
class QtMessagePump final : public MessagePump {
 public:
  void ProcessMessages() override;
  // Sleeps in the event dispatcher until an event arrives or a timer of `timeoutMs` fires.
  void WaitForMessages(std::uint32_t timeoutMs) override;
};

// Precise QTimers of the GUI thread; an error escaping a tick goes to the default report.
class QtTimers final : public Timers {
 public:
  explicit QtTimers(Dialogs& dialogs) : dialogs_(dialogs) {}
  std::unique_ptr<Timer> CreateTimer(std::function<void()> tick) override;

 private:
  Dialogs& dialogs_;
};

}  // namespace tapisto
