#include "ui_win32/window_driver.h"

#include <algorithm>
#include <vector>

#include "desktop/win32/win32_text.h"

namespace tapisto::test {

bool WaitUntil(const std::function<bool()>& ready, unsigned deadlineMs) {
  const ULONGLONG end = ::GetTickCount64() + deadlineMs;
  for (;;) {
    if (ready()) return true;
    if (::GetTickCount64() >= end) return ready();
    ::Sleep(50);
  }
}

namespace {

struct WindowSearch {
  DWORD processId;
  const wchar_t* className;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  wchar_t className[64] = {};
  ::GetClassNameW(window, className, 64);
  if (owner == search->processId && std::wstring_view(className) == search->className) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

void Send(std::vector<INPUT>& inputs) {
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace

HWND FindProcessWindow(DWORD processId, const wchar_t* className) {
  WindowSearch search{processId, className, nullptr};
  ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string WindowTextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
    return "";
  }
  std::vector<wchar_t> text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  ::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 5000, &copied);
  return Utf8FromUtf16(std::wstring_view(text.data(), copied));
}

void ClickAt(HWND window, double x, double y) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  const int px = rect.left + static_cast<int>((rect.right - rect.left) * x);
  const int py = rect.top + static_cast<int>((rect.bottom - rect.top) * y);
  // Every event carries the position, so the press and the release land where the move went
  // whatever the window system still has to catch up with.
  const int width = std::max(::GetSystemMetrics(SM_CXSCREEN), 2);
  const int height = std::max(::GetSystemMetrics(SM_CYSCREEN), 2);
  std::vector<INPUT> inputs(3);
  for (INPUT& input : inputs) {
    input.type = INPUT_MOUSE;
    input.mi.dx =
        static_cast<LONG>((static_cast<long long>(px) * 65535 + (width - 1) / 2) / (width - 1));
    input.mi.dy =
        static_cast<LONG>((static_cast<long long>(py) * 65535 + (height - 1) / 2) / (height - 1));
  }
  inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  Send(inputs);
}

void TypeText(const std::string& text) {
  std::vector<INPUT> inputs;
  for (const wchar_t c : Utf16FromUtf8(text)) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = c;
    input.ki.dwFlags = KEYEVENTF_UNICODE;
    inputs.push_back(input);
    input.ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  Send(inputs);
}

bool TypeInto(HWND edit, const std::string& text) {
  const std::wstring wide = Utf16FromUtf8(text);
  for (std::size_t length = 1; length <= wide.size(); ++length) {
    const std::string shown = Utf8FromUtf16(wide.substr(0, length));
    TypeText(Utf8FromUtf16(wide.substr(length - 1, 1)));
    if (!WaitUntil([edit, &shown] { return WindowTextOf(edit) == shown; })) return false;
  }
  return true;
}

std::optional<std::string> ReadUserString(const std::string& key, const std::string& name) {
  const std::wstring wideKey = Utf16FromUtf8(key);
  const std::wstring wideName = Utf16FromUtf8(name);
  DWORD bytes = 0;
  if (::RegGetValueW(HKEY_CURRENT_USER, wideKey.c_str(), wideName.c_str(), RRF_RT_REG_SZ, nullptr,
                     nullptr, &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<wchar_t> value(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (::RegGetValueW(HKEY_CURRENT_USER, wideKey.c_str(), wideName.c_str(), RRF_RT_REG_SZ, nullptr,
                     value.data(), &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return Utf8FromUtf16(value.data());
}

void WriteUserString(const std::string& key, const std::string& name, const std::string& value) {
  const std::wstring wideValue = Utf16FromUtf8(value);
  ::RegSetKeyValueW(HKEY_CURRENT_USER, Utf16FromUtf8(key).c_str(), Utf16FromUtf8(name).c_str(),
                    REG_SZ, wideValue.c_str(),
                    static_cast<DWORD>((wideValue.size() + 1) * sizeof(wchar_t)));
}

}  // namespace tapisto::test
