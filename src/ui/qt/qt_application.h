// The Application port over QApplication. It watches every event Qt delivers to the program's
// widgets: left-button presses and releases go to the message hook before the widget under the
// mouse sees them, and hints are shown for the hint pause the program set.
#pragma once

#include <QObject>
#include <string>

#include "ports/application.h"

class QApplication;

namespace tapisto {

class QtApplication final : public QObject, public Application {
 public:
  explicit QtApplication(QApplication& app);
  ~QtApplication() override;
  QtApplication(const QtApplication&) = delete;
  QtApplication& operator=(const QtApplication&) = delete;

  // Also the application name Qt gives the window system (the taskbar entry's class).
  void SetTitle(const std::string& title) override;
  std::string Title() const override { return title_; }
  // Ends every running event loop, the main one included, once the current event is handled.
  void Terminate() override;
  void SetMessageHook(MessageHook hook) override { hook_ = std::move(hook); }
  void SetHintHidePause(int milliseconds) override { hintHidePause_ = milliseconds; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QApplication& app_;
  std::string title_;
  MessageHook hook_;
  int hintHidePause_ = 0;
};

}  // namespace tapisto
