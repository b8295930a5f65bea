#include "desktop/folders.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace tapisto {
namespace {

// A shell answering from a table and recording what it was asked.
class TableShell final : public Shell {
 public:
  std::string SpecialFolder(ShellFolder folder) override {
    asked.push_back(folder);
    const auto it = folders.find(folder);
    return it == folders.end() ? "" : it->second;
  }
  std::string TempPath() override { return temp; }
  void Open(const std::string& document, const std::string& parameters, const std::string& folder,
            ShowCommand show) override {
    opened.push_back(document + "|" + parameters + "|" + folder +
                     (show == ShowCommand::Show ? "|show" : "|?"));
  }

  std::map<ShellFolder, std::string> folders;
  std::string temp;
  std::vector<ShellFolder> asked;
  std::vector<std::string> opened;
};

TEST(MacheDirName, RemovesEveryTrailingSeparatorOfItsFlavourOnly) {
  struct Case {
    PathFlavour flavour;
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {PathFlavour::Windows, "C:\\Temp\\\\\\", "C:\\Temp"},
      {PathFlavour::Windows, "\\\\\\", ""},
      {PathFlavour::Windows, "", ""},
      {PathFlavour::Windows, "C:\\", "C:"},
      {PathFlavour::Windows, "C:\\Temp/", "C:\\Temp/"},
      {PathFlavour::Windows, "C:\\Temp \\", "C:\\Temp "},
      {PathFlavour::Windows, "C:\\a\\b", "C:\\a\\b"},
      {PathFlavour::Posix, "/tmp///", "/tmp"},
      {PathFlavour::Posix, "/", ""},
      {PathFlavour::Posix, "", ""},
      {PathFlavour::Posix, "/tmp\\", "/tmp\\"},
      {PathFlavour::Posix, "/var/tmp /", "/var/tmp "},
  };
  for (const Case& c : cases) EXPECT_EQ(MacheDirName(c.in, c.flavour), c.out) << c.in;
}

TEST(GetTempFolder, DropsTrailingSeparatorsAndFallsBackToTheCurrentFolder) {
  TableShell shell;
  shell.temp = "C:\\Users\\Jörg\\AppData\\Local\\Temp\\";
  EXPECT_EQ(GetTempFolder(shell, PathFlavour::Windows), "C:\\Users\\Jörg\\AppData\\Local\\Temp");
  shell.temp = "/var/tmp//";
  EXPECT_EQ(GetTempFolder(shell, PathFlavour::Posix), "/var/tmp");
  shell.temp = "";
  EXPECT_EQ(GetTempFolder(shell, PathFlavour::Windows), ".\\");
  EXPECT_EQ(GetTempFolder(shell, PathFlavour::Posix), "./");
}

TEST(ShellHelpers, AskTheShellForTheRightFolderAndPassEverythingOn) {
  TableShell shell;
  shell.folders = {{ShellFolder::Documents, "/home/u/Dokumente"}};
  EXPECT_EQ(GetSpecialFolder(shell, ShellFolder::Documents), "/home/u/Dokumente");
  EXPECT_EQ(GetUserAppDataPath(shell), "");
  shell.folders[ShellFolder::RoamingAppData] = "/home/u/.config";
  EXPECT_EQ(GetUserAppDataPath(shell), "/home/u/.config");
  EXPECT_EQ(shell.asked,
            (std::vector<ShellFolder>{ShellFolder::Documents, ShellFolder::RoamingAppData,
                                      ShellFolder::RoamingAppData}));
  OpenWithShell(shell, "https://example.org/", "", ".\\", ShowCommand::Show);
  EXPECT_EQ(shell.opened, std::vector<std::string>{"https://example.org/||.\\|show"});
}

}  // namespace
}  // namespace tapisto
