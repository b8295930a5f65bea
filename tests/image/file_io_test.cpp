// Whole-file reading and writing by UTF-8 path: names beyond ASCII reach the file system as
// they are (on Windows as UTF-16, not through the ANSI code page).
#include "image/file_io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/error.h"
#include "support/temp_dir.h"

namespace tapisto {
namespace {

// The UTF-8 names of the entries of `folder`, as the file system lists them.
std::vector<std::string> NamesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::u8string name = entry.path().filename().u8string();
    names.emplace_back(name.begin(), name.end());
  }
  return names;
}

TEST(FileIo, NamesBeyondAsciiRoundTripAndAreStoredAsGiven) {
  const std::string names[] = {"Blüte.png", "€ 100.jpg", "漢字.bmp", "𝄞 Noten.gif", "Ärger ß.JPG"};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    test::TempDir dir;
    const std::vector<std::uint8_t> bytes{1, 2, 3, static_cast<std::uint8_t>(name.size())};
    WriteWholeFile(dir.File(name), bytes);
    EXPECT_EQ(ReadWholeFile(dir.File(name), 100), bytes);
    EXPECT_EQ(NamesIn(dir.path()), std::vector<std::string>{name});
    EXPECT_TRUE(std::filesystem::exists(PathFromUtf8(dir.File(name))));
  }
}

TEST(FileIo, ReplacingAFileLeavesOnlyTheNewBytes) {
  test::TempDir dir;
  const std::string path = dir.File("Meine Wallpapers ä.jpg");
  WriteWholeFile(path, std::vector<std::uint8_t>(50, 7));
  WriteWholeFile(path, std::vector<std::uint8_t>{4, 5});
  EXPECT_EQ(ReadWholeFile(path, 100), (std::vector<std::uint8_t>{4, 5}));
  EXPECT_EQ(NamesIn(dir.path()).size(), 1u);  // no temporary file stays behind
  WriteWholeFile(path, {});
  EXPECT_TRUE(ReadWholeFile(path, 100).empty());
}

TEST(FileIo, ReadsRefuseMissingFilesAndFilesOverTheLimit) {
  test::TempDir dir;
  EXPECT_THROW(ReadWholeFile(dir.File("fehlt ü.png"), 100), FileReadError);
  WriteWholeFile(dir.File("groß.png"), std::vector<std::uint8_t>(11, 0));
  EXPECT_THROW(ReadWholeFile(dir.File("groß.png"), 10), ImageTooLargeError);
  EXPECT_EQ(ReadWholeFile(dir.File("groß.png"), 11).size(), 11u);
  EXPECT_THROW(WriteWholeFile(dir.File("fehlt\\und/fehlt.png"), std::vector<std::uint8_t>{1}),
               FileWriteError);
}

}  // namespace
}  // namespace tapisto
