// The shell, file and screen backends against the real system (under Wine, the private
// prefix with its scratch home).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/path.h"
#include "desktop/folders.h"
#include "desktop/win32/win32_files.h"
#include "desktop/win32/win32_shell.h"
#include "desktop/win32/win32_system.h"
#include "desktop/win32/win32_text.h"
#include "desktop/win32/windows_api.h"
#include "image/file_io.h"
#include "support/held_file.h"
#include "support/picture_files.h"
#include "support/temp_dir.h"

namespace tapisto::test {
namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(Win32Shell, DocumentsAndAppDataAreExistingFoldersWithoutTrailingBackslash) {
  Win32Shell shell;
  Win32Files files;
  const std::string documents = shell.SpecialFolder(ShellFolder::Documents);
  const std::string appData = shell.SpecialFolder(ShellFolder::RoamingAppData);
  for (const std::string& folder : {documents, appData}) {
    SCOPED_TRACE(folder);
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    EXPECT_TRUE(files.DirectoryExists(folder));
  }
  // The documents folder itself, not one of the folders beside it (pictures, desktop).
  EXPECT_EQ(FileNamePart(documents), "Documents");
  EXPECT_TRUE(EndsWith(appData, "\\AppData\\Roaming")) << appData;
}

TEST(Win32Shell, AnUnknownFolderNumberGivesEmptyText) {
  Win32Shell shell;
  EXPECT_EQ(shell.SpecialFolder(static_cast<ShellFolder>(0x7F)), "");
}

// The boxes the shell showed, for a shell whose allocator cannot be had.
std::vector<std::string> shownBoxes;

TEST(Win32Shell, AMissingShellAllocatorIsShownAndGivesEmptyText) {
  shownBoxes.clear();
  Win32Shell failing(
      [](IMalloc** allocator) -> long {
        *allocator = nullptr;
        return E_OUTOFMEMORY;
      },
      [](const std::string& text, const std::string& caption) {
        shownBoxes.push_back(caption + ": " + text);
      });
  Shell& shell = failing;
  EXPECT_EQ(GetSpecialFolder(shell, ShellFolder::Documents), "");
  EXPECT_EQ(shownBoxes, std::vector<std::string>{
                            "SHGetMalloc(pMalloc): Couldn't get pointer to IMalloc interface."});
}

TEST(Win32Shell, TheTempPathIsAnExistingFolderEndingInOneBackslash) {
  Win32Shell shell;
  Win32Files files;
  const std::string temp = shell.TempPath();
  ASSERT_GE(temp.size(), 2u);
  EXPECT_EQ(temp.back(), '\\');
  EXPECT_NE(temp[temp.size() - 2], '\\');
  EXPECT_TRUE(files.DirectoryExists(temp));
}

TEST(Win32Files, ExistenceTellsFilesFromFolders) {
  TempDir dir;
  Win32Files files;
  const std::string file = dir.File("Blüte.png");
  const std::string folder = dir.File("Meine Wallpapers");
  WriteBytes(file, {1});
  EXPECT_TRUE(files.FileExists(file));
  EXPECT_FALSE(files.DirectoryExists(file));
  EXPECT_FALSE(files.FileExists(dir.File("fehlt.png")));
  EXPECT_FALSE(files.DirectoryExists(dir.File("fehlt")));
  EXPECT_FALSE(files.FileExists(""));
  EXPECT_FALSE(files.DirectoryExists(""));

  EXPECT_TRUE(files.CreateDirectory(folder));
  EXPECT_TRUE(files.DirectoryExists(folder));
  EXPECT_FALSE(files.FileExists(folder));
  EXPECT_FALSE(files.CreateDirectory(folder));            // already there
  EXPECT_FALSE(files.CreateDirectory(dir.File("a\\b")));  // one level only
  EXPECT_FALSE(files.DirectoryExists(dir.File("a")));
}

TEST(Win32Files, CopyOverwritesAndDeleteRemovesOnlyFiles) {
  TempDir dir;
  Win32Files files;
  const std::string from = dir.File("TranscodedWallpaper");
  const std::string to = dir.File("Kopie ä");
  WriteBytes(from, {1, 2, 3});
  WriteBytes(to, {9, 9, 9, 9, 9});
  EXPECT_TRUE(files.CopyFile(from, to));
  EXPECT_EQ(ReadWholeFile(to, 100), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_FALSE(files.CopyFile(dir.File("fehlt"), to));
  EXPECT_EQ(ReadWholeFile(to, 100), (std::vector<std::uint8_t>{1, 2, 3}));

  EXPECT_TRUE(files.DeleteFile(to));
  EXPECT_FALSE(files.FileExists(to));
  EXPECT_FALSE(files.DeleteFile(to));
  ASSERT_TRUE(files.CreateDirectory(dir.File("Ordner")));
  EXPECT_FALSE(files.DeleteFile(dir.File("Ordner")));
  EXPECT_TRUE(files.DirectoryExists(dir.File("Ordner")));
}

TEST(Win32Files, AFileHeldByAnotherHandleCannotBeOpenedExclusively) {
  TempDir dir;
  Win32Files files;
  const std::string path = dir.File("0Blüte.jpg");
  WriteBytes(path, {1});
  EXPECT_TRUE(files.CanOpenExclusively(path));
  {
    HeldFile held(path);
    ASSERT_TRUE(held.held());
    EXPECT_FALSE(files.CanOpenExclusively(path));
  }
  EXPECT_TRUE(files.CanOpenExclusively(path));
  EXPECT_FALSE(files.CanOpenExclusively(dir.File("fehlt.jpg")));
}

TEST(Win32Screen, ThePrimaryScreenHasASize) {
  const Win32Screen screen;
  EXPECT_GT(screen.Width(), 0);
  EXPECT_GT(screen.Height(), 0);
}

TEST(Win32Text, Utf8AndUtf16RoundTrip) {
  const std::string texts[] = {"", "ascii", "Grüße", "€", "𝄞 Notenschlüssel", "a\\b:c"};
  for (const std::string& text : texts) {
    EXPECT_EQ(Utf8FromUtf16(Utf16FromUtf8(text)), text);
  }
  EXPECT_EQ(Utf16FromUtf8("Grüße"), L"Gr\u00fc\u00dfe");
  EXPECT_EQ(Utf16FromUtf8("𝄞"), std::wstring(L"\xD834\xDD1E"));
  EXPECT_EQ(Utf16FromUtf8(std::string_view("a\0b", 3)), std::wstring(L"a\0b", 3));
  EXPECT_EQ(Utf16FromUtf8("\xFF"), L"\uFFFD");  // not UTF-8: replaced, not dropped
}

TEST(Win32Text, ErrorMessagesAreTrimmedAndNeverEmpty) {
  const std::string notFound = Win32ErrorMessage(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(notFound.empty());
  EXPECT_NE(notFound.back(), '\n');
  EXPECT_NE(notFound.back(), '\r');
  EXPECT_NE(notFound.back(), ' ');
  EXPECT_NE(notFound, Win32ErrorMessage(ERROR_ACCESS_DENIED));
  EXPECT_EQ(Win32ErrorMessage(0x2A5F0001u), "Win32-Fehler 710868993");
}

}  // namespace
}  // namespace tapisto::test
