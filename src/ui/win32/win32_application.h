// The Application and MessagePump ports over the window thread's Win32 message queue. The
// application owns the message loop: every message it or the pump takes from the queue goes to
// the program's hook first, then to dialog navigation (Tab, access keys) of the program's
// windows, and only then is it translated and dispatched. The system's own modal loops (a
// message box, the file dialog, moving a window by its title bar) take their messages
// themselves; the hook does not see those, as it does not in the window framework either.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "desktop/win32/windows_api.h"
#include "ports/application.h"
#include "ports/dialogs.h"
#include "ports/message_pump.h"
#include "ports/timers.h"

namespace tapisto {

// The message the program's hook sees for a message number of the window system.
QueuedMessage QueuedMessageOf(UINT message);

class Win32Application final : public Application {
 public:
  void SetTitle(const std::string& title) override { title_ = title; }
  std::string Title() const override { return title_; }
  // Posts WM_QUIT: the loop ends once the message being handled is done.
  void Terminate() override;
  void SetMessageHook(MessageHook hook) override { hook_ = std::move(hook); }
  void SetHintHidePause(int milliseconds) override;
  int HintHidePause() const noexcept { return hintHidePause_; }
  std::function<void()> hintHidePauseChanged;  // set by a view that shows hints

  // A window whose controls take Tab, Shift+Tab and access keys through IsDialogMessageW.
  void AddDialogWindow(HWND window);
  void RemoveDialogWindow(HWND window);

  // Runs the message loop until WM_QUIT; returns its exit code.
  int Run();
  // Handles one message taken from the queue: hook, dialog navigation, dispatch. A WM_QUIT is
  // kept (QuitReceived) and not dispatched.
  void Handle(MSG& message);
  bool QuitReceived() const noexcept { return quitReceived_; }

 private:
  std::string title_;
  MessageHook hook_;
  int hintHidePause_ = 0;
  std::vector<HWND> dialogWindows_;
  bool quitReceived_ = false;
  int exitCode_ = 0;
};

// Pumping runs every message pending now through the application's Handle, so the hook sees
// them as in the loop. A WM_QUIT ends the pumping; the loop ends once control returns to it.
class Win32MessagePump final : public MessagePump {
 public:
  explicit Win32MessagePump(Win32Application& application) : application_(application) {}
  void ProcessMessages() override;
  // Sleeps until input or a posted message arrives, or `timeoutMs` pass; leaves it queued.
  void WaitForMessages(std::uint32_t timeoutMs) override;

 private:
  Win32Application& application_;
};

// Thread timers of the window thread (SetTimer without a window): their WM_TIMER messages go
// through the application's Handle like every other message. An error escaping a tick goes to
// the default report.
class Win32Timers final : public Timers {
 public:
  explicit Win32Timers(Dialogs& dialogs) : dialogs_(dialogs) {}
  std::unique_ptr<Timer> CreateTimer(std::function<void()> tick) override;

 private:
  Dialogs& dialogs_;
};

}  // namespace tapisto
