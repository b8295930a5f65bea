#include "ui/win32/log_window.h"

#include "desktop/win32/win32_text.h"
#include "ui/window_support.h"

namespace tapisto {

LogWindowView::LogWindowView(TForm2& form, HWND owner, Win32Application& application,
                             Dialogs& dialogs)
    : FormWindow(form.Definition(), dialogs), form_(form), application_(application) {
  Create(L"TForm2", owner);
  const ControlLayout& memoRow = LayoutOf(kForm2Layout, "Memo1");
  // No horizontal scrolling: long lines wrap at the box's width.
  memo_ = AddControl(
      L"EDIT", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
      WS_EX_CLIENTEDGE, ControlIdOf(kForm2Layout, "Memo1"), ScaledRect(memoRow, Dpi()));
  // The log has no limit of its own; the box's default would stop at 30000 characters.
  ::SendMessageW(memo_, EM_SETLIMITTEXT, 0, 0);
  const ControlLayout& buttonRow = LayoutOf(kForm2Layout, "Button1");
  button_ = AddControl(L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
                       ControlIdOf(kForm2Layout, "Button1"), ScaledRect(buttonRow, Dpi()),
                       Utf16FromUtf8(form_.Button1.caption).c_str());

  for (const std::string& line : form_.Memo1.log.Lines()) Append(line);
  form_.Memo1.log.appended = [this](const std::string& line) { Append(line); };
  form_.visibilityChanged = [this] { MirrorVisibility(); };
  application_.AddDialogWindow(Handle());
  MirrorVisibility();
}

LogWindowView::~LogWindowView() {
  application_.RemoveDialogWindow(Handle());
  form_.visibilityChanged = nullptr;
  form_.Memo1.log.appended = nullptr;
}

void LogWindowView::Append(const std::string& line) {
  // At the end of the text, a line break before every line but the first.
  const int length = ::GetWindowTextLengthW(memo_);
  const std::wstring text = (length > 0 ? L"\r\n" : L"") + Utf16FromUtf8(line);
  ::SendMessageW(memo_, EM_SETSEL, static_cast<WPARAM>(length), length);
  ::SendMessageW(memo_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void LogWindowView::MirrorVisibility() {
  ::ShowWindow(Handle(), form_.Visible() ? SW_SHOW : SW_HIDE);
}

void LogWindowView::Guarded(const std::function<void()>& action) {
  try {
    action();
  } catch (...) {
    dialogs_.ShowErrorReport(CurrentErrorMessage());
  }
}

LRESULT LogWindowView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lParam) == button_ && HIWORD(wParam) == BN_CLICKED) {
        Guarded([this] { form_.Button1.UserClick(); });
      }
      return 0;
    case WM_CLOSE:
      // Closing hides the window, as its button does; it and its lines stay.
      Guarded([this] { form_.FormKlose(); });
      return 0;
    default:
      return FormWindow::HandleMessage(message, wParam, lParam);
  }
}

void LogWindowView::Relayout() {
  const std::pair<HWND, const ControlLayout*> controls[] = {
      {memo_, &LayoutOf(kForm2Layout, "Memo1")}, {button_, &LayoutOf(kForm2Layout, "Button1")}};
  for (const auto& [window, row] : controls) {
    const PixelRect place = ScaledRect(*row, Dpi());
    ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), TRUE);
    ::SetWindowPos(window, nullptr, place.left, place.top, place.width, place.height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace tapisto
