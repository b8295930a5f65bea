#include "ui/win32/win32_dialogs.h"

#include <commdlg.h>

#include <vector>

#include "desktop/win32/win32_text.h"

namespace tapisto {

namespace {

// The longest path the file dialog hands back: the long-path limit of the wide functions.
constexpr DWORD kChosenPathChars = 32768;

// The CBT hook that renames the buttons of the one box being created on this thread. A thread
// shows one box at a time, so one hook per thread is enough.
thread_local HHOOK renameHook = nullptr;

LRESULT CALLBACK RenameQuestionButtons(int code, WPARAM wParam, LPARAM lParam) {
  const HHOOK hook = renameHook;
  if (code == HCBT_ACTIVATE) {
    const auto box = reinterpret_cast<HWND>(wParam);
    ::SetDlgItemTextW(box, IDYES, Utf16FromUtf8(kYesButton).c_str());
    ::SetDlgItemTextW(box, IDNO, Utf16FromUtf8(kNoButton).c_str());
    // Only the box's own activation counts; later windows of the thread keep their texts.
    ::UnhookWindowsHookEx(hook);
    renameHook = nullptr;
  }
  return ::CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace

std::wstring OpenDialogFilter(std::string_view filter) {
  std::wstring result;
  if (filter.empty()) return result;
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t bar = filter.find('|', start);
    parts.push_back(filter.substr(start, bar == std::string_view::npos ? bar : bar - start));
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  for (std::size_t i = 0; i < parts.size(); i += 2) {
    const std::string_view patterns = i + 1 < parts.size() ? parts[i + 1] : std::string_view();
    result += Utf16FromUtf8(parts[i]);
    result += L'\0';
    result += patterns.empty() ? std::wstring(L"*.*") : Utf16FromUtf8(patterns);
    result += L'\0';
  }
  result += L'\0';
  return result;
}

int Win32Dialogs::Box(const std::string& text, const std::string& caption, UINT type) {
  const HWND owner = owner_ != nullptr && ::IsWindow(owner_) ? owner_ : nullptr;
  return ::MessageBoxW(owner, Utf16FromUtf8(text).c_str(), Utf16FromUtf8(caption).c_str(),
                       type | MB_SETFOREGROUND);
}

void Win32Dialogs::ShowMessage(const std::string& text) {
  Box(text, application_.Title(), MB_OK);
}

bool Win32Dialogs::Confirm(const std::string& text) {
  if (renameHook == nullptr) {
    renameHook =
        ::SetWindowsHookExW(WH_CBT, RenameQuestionButtons, nullptr, ::GetCurrentThreadId());
  }
  const int answer = Box(text, std::string(kConfirmCaption), MB_YESNO | MB_ICONQUESTION);
  // A box that could not be created leaves the hook in place: take it away.
  if (renameHook != nullptr) {
    ::UnhookWindowsHookEx(renameHook);
    renameHook = nullptr;
  }
  return answer == IDYES;
}

void Win32Dialogs::ShowErrorReport(const std::string& text) {
  Box(text, application_.Title(), MB_OK | MB_ICONERROR);
}

std::optional<std::string> Win32Dialogs::ChooseFile(const std::string& filter,
                                                    const std::string& initialFolder) {
  const std::wstring filterText = OpenDialogFilter(filter);
  const std::wstring folder = Utf16FromUtf8(initialFolder);
  std::vector<wchar_t> chosen(kChosenPathChars, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner_ != nullptr && ::IsWindow(owner_) ? owner_ : nullptr;
  dialog.lpstrFilter = filterText.empty() ? nullptr : filterText.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = chosen.data();
  dialog.nMaxFile = kChosenPathChars;
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!::GetOpenFileNameW(&dialog)) return std::nullopt;
  return Utf8FromUtf16(chosen.data());
}

}  // namespace tapisto
