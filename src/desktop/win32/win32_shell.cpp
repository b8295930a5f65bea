#include "desktop/win32/win32_shell.h"

#include "desktop/win32/win32_text.h"
#include "desktop/win32/windows_api.h"
// After <windows.h>, which the shell headers need.
#include <shellapi.h>
#include <shlobj.h>
#include <shtypes.h>

namespace tapisto {

namespace {

// The text of a NUL-terminated buffer filled by the system.
std::string TextOf(const wchar_t* buffer) {
  return Utf8FromUtf16(std::wstring_view(buffer));
}

long SystemAllocator(IMalloc** allocator) {
  return ::SHGetMalloc(allocator);
}

void SystemErrorBox(const std::string& text, const std::string& caption) {
  ::MessageBoxW(::GetActiveWindow(), Utf16FromUtf8(text).c_str(), Utf16FromUtf8(caption).c_str(),
                MB_ICONERROR | MB_OK);
}

}  // namespace

Win32Shell::Win32Shell(AllocatorSource allocatorSource, ErrorBox errorBox)
    : allocatorSource_(allocatorSource != nullptr ? allocatorSource : SystemAllocator),
      errorBox_(errorBox != nullptr ? errorBox : SystemErrorBox) {}

namespace {

int CsidlOf(ShellFolder folder) {
  switch (folder) {
    case ShellFolder::Documents:
      return CSIDL_PERSONAL;
    case ShellFolder::RoamingAppData:
      return CSIDL_APPDATA;
  }
  return CSIDL_PERSONAL;
}

int ShowCommandOf(ShowCommand show) {
  switch (show) {
    case ShowCommand::Show:
      return SW_SHOW;
  }
  return SW_SHOW;
}

}  // namespace

std::string Win32Shell::SpecialFolder(ShellFolder folder) {
  IMalloc* allocator = nullptr;
  if (FAILED(allocatorSource_(&allocator)) || allocator == nullptr) {
    errorBox_("Couldn't get pointer to IMalloc interface.", "SHGetMalloc(pMalloc)");
    return {};
  }
  std::string path;
  PIDLIST_ABSOLUTE items = nullptr;
  if (SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CsidlOf(folder), &items)) &&
      items != nullptr) {
    wchar_t buffer[MAX_PATH + 1] = {};
    if (::SHGetPathFromIDListW(items, buffer)) path = TextOf(buffer);
    allocator->Free(items);
  }
  allocator->Release();
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

std::string Win32Shell::TempPath() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) return {};
  return TextOf(buffer);
}

void Win32Shell::Open(const std::string& document, const std::string& parameters,
                      const std::string& folder, ShowCommand show) {
  ::ShellExecuteW(::GetActiveWindow(), nullptr, Utf16FromUtf8(document).c_str(),
                  Utf16FromUtf8(parameters).c_str(), Utf16FromUtf8(folder).c_str(),
                  ShowCommandOf(show));
}

}  // namespace tapisto
