#include "support/held_file.h"

#include "desktop/win32/win32_text.h"
#include "desktop/win32/windows_api.h"

namespace tapisto::test {

HeldFile::HeldFile(const std::string& path) {
  const HANDLE file = ::CreateFileW(Utf16FromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  handle_ = reinterpret_cast<std::intptr_t>(file);
  held_ = true;
}

void HeldFile::Release() {
  if (held_) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
  held_ = false;
}

}  // namespace tapisto::test
