// The in-use test on POSIX, where files have no share modes: a file locked with flock() by
// another open file counts as in use, and so does one this user may not write.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>

#include "desktop/native_files.h"
#include "image/wallpaper_file.h"
#include "support/picture_files.h"
#include "support/temp_dir.h"

namespace tapisto::test {
namespace {

TEST(IsFileLockedPosix, AnFlockOfAnotherOpenFileMakesItBusyAPlainOpenDoesNot) {
  TempDir dir;
  NativeFiles files;
  const std::string path = dir.File("out.jpg");
  WriteBytes(path, {1});
  const int reader = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(reader, 0);
  EXPECT_FALSE(IsFileLocked(files, path));  // merely open elsewhere: POSIX shares it
  ASSERT_EQ(::flock(reader, LOCK_SH | LOCK_NB), 0);
  EXPECT_TRUE(IsFileLocked(files, path));  // even a shared lock keeps an exclusive one out
  ::close(reader);
  EXPECT_FALSE(IsFileLocked(files, path));
}

TEST(IsFileLockedPosix, AFileThisUserMayNotWriteIsBusy) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write a read-only file";
  TempDir dir;
  NativeFiles files;
  const std::string path = dir.File("out.jpg");
  WriteBytes(path, {1});
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  EXPECT_TRUE(IsFileLocked(files, path));
}

}  // namespace
}  // namespace tapisto::test
