// The log window's view: the fixed-size window "Log" with the log's text box (Memo1) and the
// close button, owned by the main window and hidden until its model shows it. Lines appended
// to the log appear in the text box at once, shown or not.
#pragma once

#include "ui/form2.h"
#include "ui/win32/form_window.h"
#include "ui/win32/win32_application.h"

namespace tapisto {

class LogWindowView final : public FormWindow {
 public:
  LogWindowView(TForm2& form, HWND owner, Win32Application& application, Dialogs& dialogs);
  ~LogWindowView() override;

  HWND Memo() const noexcept { return memo_; }
  HWND CloseButton() const noexcept { return button_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Relayout() override;

 private:
  void Append(const std::string& line);
  void MirrorVisibility();
  void Guarded(const std::function<void()>& action);

  TForm2& form_;
  Win32Application& application_;
  HWND memo_ = nullptr;
  HWND button_ = nullptr;
};

}  // namespace tapisto
