// The picture writer on POSIX systems is the hive's writer: a composed picture replaced through
// a symbolic link or with its own permissions keeps both.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "image/file_io.h"
#include "support/temp_dir.h"

namespace tapisto {
namespace {

namespace fs = std::filesystem;

TEST(PictureWrites, KeepTheLinkAndTheModeOfTheFileTheyReplace) {
  test::TempDir dir;
  const std::string picture = dir.File("Logo.jpg");
  WriteWholeFile(picture, std::vector<std::uint8_t>{1, 2, 3});
  ASSERT_EQ(::chmod(picture.c_str(), 0640), 0);
  fs::create_symlink("Logo.jpg", dir.File("Verweis.jpg"));

  WriteWholeFile(dir.File("Verweis.jpg"), std::vector<std::uint8_t>{4, 5});
  EXPECT_TRUE(fs::is_symlink(dir.File("Verweis.jpg")));
  EXPECT_EQ(ReadWholeFile(picture, 10), (std::vector<std::uint8_t>{4, 5}));
  struct stat st {};
  ASSERT_EQ(::stat(picture.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

}  // namespace
}  // namespace tapisto
