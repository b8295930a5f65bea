// Port: the window thread's message queue. ProcessMessages runs the handlers of every pending
// message and returns; handlers of the program can run inside it (re-entrancy is on purpose).
#pragma once

#include <cstdint>

namespace tapisto {

class MessagePump {
 public:
  virtual ~MessagePump() = default;
  virtual void ProcessMessages() = 0;
  // Blocks until a message arrives or `timeoutMs` milliseconds pass, without running it. Lets a
  // wait sleep instead of spinning a core.
  virtual void WaitForMessages(std::uint32_t timeoutMs) = 0;
};

}  // namespace tapisto
