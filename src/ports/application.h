// Port: the application object of the window system. The views implement it; tests use a
// recording fake.
#pragma once

#include <functional>
#include <string>

namespace tapisto {

// The queued messages the program tells apart; the views map their toolkit's events to them.
enum class QueuedMessage {
  LeftButtonDown,  // the left mouse button went down in a window's client area
  LeftButtonUp,    // and up again
  Other,           // every other message (a double click's second press too)
};

// Sees every message the application's own loop (and its pumping) takes from the queue,
// before it is dispatched.
using MessageHook = std::function<void(QueuedMessage message)>;

class Application {
 public:
  virtual ~Application() = default;
  // The title of the taskbar button and the caption of plain message boxes.
  virtual void SetTitle(const std::string& title) = 0;
  virtual std::string Title() const = 0;
  // Ends the message loop after the message being handled.
  virtual void Terminate() = 0;
  // Installs the application-wide hook on queued messages; it stays until the program ends.
  virtual void SetMessageHook(MessageHook hook) = 0;
  // How long a shown hint stays visible, in milliseconds.
  virtual void SetHintHidePause(int milliseconds) = 0;
};

}  // namespace tapisto
