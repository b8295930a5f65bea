// The Shell port over the Windows shell: its special folders, the temporary folder and
// ShellExecuteW.
#pragma once

#include "desktop/ports/shell.h"

namespace tapisto {

class Win32Shell final : public Shell {
 public:
  // SHGetSpecialFolderLocation and SHGetPathFromIDListW. The path comes without a trailing
  // backslash whatever the system gives (Wine gives the documents folder with one).
  std::string SpecialFolder(int folder) override;
  // GetTempPathW as the system gives it, with its trailing backslash.
  std::string TempPath() override;
  // ShellExecuteW with the shell's default verb, owned by the active window of this thread
  // (the main window when its link is clicked). The result is not looked at.
  void Open(const std::string& document, const std::string& parameters, const std::string& folder,
            int showMode) override;
};

}  // namespace tapisto
