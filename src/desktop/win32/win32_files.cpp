#include "desktop/win32/win32_files.h"

#include "desktop/win32/win32_text.h"
#include "desktop/win32/windows_api.h"

namespace tapisto {

namespace {
DWORD AttributesOf(const std::string& path) {
  if (path.empty()) return INVALID_FILE_ATTRIBUTES;
  return ::GetFileAttributesW(Utf16FromUtf8(path).c_str());
}
}  // namespace

bool Win32Files::FileExists(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32Files::DirectoryExists(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32Files::CreateDirectory(const std::string& path) {
  return ::CreateDirectoryW(Utf16FromUtf8(path).c_str(), nullptr) != 0;
}

bool Win32Files::CopyFile(const std::string& from, const std::string& to) {
  return ::CopyFileW(Utf16FromUtf8(from).c_str(), Utf16FromUtf8(to).c_str(), FALSE) != 0;
}

bool Win32Files::DeleteFile(const std::string& path) {
  return ::DeleteFileW(Utf16FromUtf8(path).c_str()) != 0;
}

bool Win32Files::CanOpenExclusively(const std::string& path) {
  const HANDLE file = ::CreateFileW(Utf16FromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
}

}  // namespace tapisto
