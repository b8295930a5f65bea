// The in-use test on Windows: CreateFileW with share mode 0 fails while any other handle has
// the file open, whatever that handle shares, and for a file with the read-only attribute.
#include <gtest/gtest.h>

#include "desktop/native_files.h"
#include "desktop/win32/win32_text.h"
#include "desktop/win32/windows_api.h"
#include "image/wallpaper_file.h"
#include "support/picture_files.h"
#include "support/temp_dir.h"

namespace tapisto::test {
namespace {

HANDLE OpenShared(const std::string& path, DWORD access, DWORD share) {
  return ::CreateFileW(Utf16FromUtf8(path).c_str(), access, share, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(IsFileLockedWin32, AnyOtherOpenHandleMakesTheFileBusy) {
  TempDir dir;
  NativeFiles files;
  const std::string path = dir.File("Ausgabe ü.jpg");
  WriteBytes(path, {1});
  struct Holder {
    const char* what;
    DWORD access;
    DWORD share;
  };
  const Holder holders[] = {
      {"reading, sharing nothing", GENERIC_READ, 0},
      {"reading, sharing everything", GENERIC_READ,
       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE},
      {"writing, sharing reading", GENERIC_WRITE, FILE_SHARE_READ},
  };
  for (const Holder& holder : holders) {
    SCOPED_TRACE(holder.what);
    const HANDLE handle = OpenShared(path, holder.access, holder.share);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(IsFileLocked(files, path));
    ::CloseHandle(handle);
    EXPECT_FALSE(IsFileLocked(files, path));
  }
}

TEST(IsFileLockedWin32, AReadOnlyFileIsBusy) {
  TempDir dir;
  NativeFiles files;
  const std::string path = dir.File("nur lesen.jpg");
  WriteBytes(path, {1});
  const std::wstring wide = Utf16FromUtf8(path);
  ASSERT_TRUE(::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY));
  const HANDLE writer = OpenShared(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  const bool writable = writer != INVALID_HANDLE_VALUE;
  if (writable) ::CloseHandle(writer);
  if (!writable) {
    EXPECT_TRUE(IsFileLocked(files, path));
  }
  // Writable again, so the scratch folder can be removed.
  ASSERT_TRUE(::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_FALSE(IsFileLocked(files, path));
  // Wine run by root maps the attribute to file modes that root may ignore.
  if (writable) GTEST_SKIP() << "this system lets the user write read-only files";
}

}  // namespace
}  // namespace tapisto::test
