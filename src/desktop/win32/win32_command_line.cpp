#include "desktop/win32/win32_command_line.h"

#include "desktop/win32/win32_text.h"
#include "desktop/win32/windows_api.h"
// After <windows.h>, which it needs.
#include <shellapi.h>

namespace tapisto {

std::vector<std::string> CommandLineArguments() {
  int count = 0;
  wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> result;
  if (arguments == nullptr) return result;
  for (int i = 1; i < count; ++i) result.push_back(Utf8FromUtf16(arguments[i]));
  ::LocalFree(arguments);
  return result;
}

}  // namespace tapisto
