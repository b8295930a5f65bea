// The one conversion between the program's UTF-8 text and the UTF-16 text of Win32 calls, and
// the one turning of a Win32 error code into a message.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tapisto {

// Invalid sequences become U+FFFD in either direction; nothing throws.
std::wstring Utf16FromUtf8(std::string_view utf8);
std::string Utf8FromUtf16(std::wstring_view utf16);

// The system's text for a Win32 error code (GetLastError, a registry result), without the
// line break it ends with; "Win32-Fehler <code>" when the system has no text for it.
std::string Win32ErrorMessage(std::uint32_t code);

}  // namespace tapisto
