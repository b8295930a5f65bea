#include "ui/win32/win32_application.h"

#include <algorithm>
#include <map>

#include "ui/window_support.h"

namespace tapisto {

QueuedMessage QueuedMessageOf(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
      return QueuedMessage::LeftButtonDown;
    case WM_LBUTTONUP:
      return QueuedMessage::LeftButtonUp;
    default:
      return QueuedMessage::Other;
  }
}

void Win32Application::Terminate() {
  ::PostQuitMessage(0);
}

void Win32Application::SetHintHidePause(int milliseconds) {
  hintHidePause_ = milliseconds;
  if (hintHidePauseChanged) hintHidePauseChanged();
}

void Win32Application::AddDialogWindow(HWND window) {
  if (std::find(dialogWindows_.begin(), dialogWindows_.end(), window) == dialogWindows_.end()) {
    dialogWindows_.push_back(window);
  }
}

void Win32Application::RemoveDialogWindow(HWND window) {
  dialogWindows_.erase(std::remove(dialogWindows_.begin(), dialogWindows_.end(), window),
                       dialogWindows_.end());
}

int Win32Application::Run() {
  MSG message{};
  while (!quitReceived_) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      quitReceived_ = true;
      exitCode_ = static_cast<int>(message.wParam);
      break;
    }
    Handle(message);
  }
  return exitCode_;
}

void Win32Application::Handle(MSG& message) {
  if (message.message == WM_QUIT) {
    quitReceived_ = true;
    exitCode_ = static_cast<int>(message.wParam);
    return;
  }
  if (hook_) hook_(QueuedMessageOf(message.message));
  for (const HWND window : dialogWindows_) {
    if (::IsWindow(window) && ::IsDialogMessageW(window, &message)) return;
  }
  ::TranslateMessage(&message);
  ::DispatchMessageW(&message);
}

void Win32MessagePump::ProcessMessages() {
  MSG message{};
  while (!application_.QuitReceived() && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    application_.Handle(message);
  }
}

void Win32MessagePump::WaitForMessages(std::uint32_t timeoutMs) {
  if (timeoutMs == 0) return;
  // Once the loop is told to end nothing is taken from the queue any more, so waiting for it
  // would return at once for ever: sleep instead.
  if (application_.QuitReceived()) {
    ::Sleep(timeoutMs);
    return;
  }
  ::MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

namespace {

class Win32Timer final : public Timer {
 public:
  Win32Timer(Dialogs& dialogs, std::function<void()> tick)
      : dialogs_(dialogs), tick_(std::move(tick)) {}
  ~Win32Timer() override { Stop(); }
  Win32Timer(const Win32Timer&) = delete;
  Win32Timer& operator=(const Win32Timer&) = delete;

  void Start(std::uint32_t intervalMs) override {
    Stop();
    id_ = ::SetTimer(nullptr, 0, intervalMs, &Win32Timer::Tick);
    if (id_ != 0) Running()[id_] = this;
  }
  void Stop() override {
    if (id_ == 0) return;
    ::KillTimer(nullptr, id_);
    Running().erase(id_);
    id_ = 0;
  }

 private:
  // A thread timer names itself only by the number SetTimer chose. A WM_TIMER still queued
  // for a timer that was stopped finds nothing and runs nothing.
  static std::map<UINT_PTR, Win32Timer*>& Running() {
    static std::map<UINT_PTR, Win32Timer*> running;
    return running;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    const auto it = Running().find(id);
    if (it == Running().end()) return;
    Win32Timer& timer = *it->second;
    try {
      timer.tick_();
    } catch (...) {
      timer.dialogs_.ShowErrorReport(CurrentErrorMessage());
    }
  }

  Dialogs& dialogs_;
  std::function<void()> tick_;
  UINT_PTR id_ = 0;
};

}  // namespace

std::unique_ptr<Timer> Win32Timers::CreateTimer(std::function<void()> tick) {
  return std::make_unique<Win32Timer>(dialogs_, std::move(tick));
}

}  // namespace tapisto
