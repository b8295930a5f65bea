// Driving another process's windows the way a user does, for the end-to-end test: real mouse
// clicks and typed characters through SendInput, window texts through WM_GETTEXT, and waits
// that poll with a deadline instead of sleeping a fixed time.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "desktop/win32/windows_api.h"

namespace tapisto::test {

inline constexpr unsigned kDeadlineMs = 30000;

// Calls `ready` every 50 ms until it returns true or `deadlineMs` pass; its last answer.
bool WaitUntil(const std::function<bool()>& ready, unsigned deadlineMs = kDeadlineMs);

// The top-level window of class `className` that belongs to process `processId`; null if none.
HWND FindProcessWindow(DWORD processId, const wchar_t* className);

// The text of a window of another process (WM_GETTEXT), as UTF-8.
std::string WindowTextOf(HWND window);

// A left click at the middle of `window`'s part (x, y fractions of its width and height).
void ClickAt(HWND window, double x = 0.5, double y = 0.5);
// Types `text` as Unicode characters into the window that has the keyboard focus.
void TypeText(const std::string& text);
// Types `text` into the edit box `edit` (which has the keyboard focus and starts empty or
// selected) one character at a time, each once the box shows the one before, as a person
// types: a program that handles each change before the next keystroke sees every text in turn.
// False when the box did not show a character within the deadline.
bool TypeInto(HWND edit, const std::string& text);

// A string value of HKEY_CURRENT_USER\`key`; nullopt when it does not exist.
std::optional<std::string> ReadUserString(const std::string& key, const std::string& name);
void WriteUserString(const std::string& key, const std::string& name, const std::string& value);

}  // namespace tapisto::test
