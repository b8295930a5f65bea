// The Shell port over the Windows shell: its special folders, the temporary folder and
// ShellExecuteW.
#pragma once

#include "ports/shell.h"

#include <string>

struct IMalloc;

namespace tapisto {

class Win32Shell final : public Shell {
 public:
  // Where the shell's allocator comes from (SHGetMalloc, an HRESULT) and how its absence is
  // shown (an error message box owned by the active window): the system's own unless a test
  // gives others.
  using AllocatorSource = long (*)(IMalloc** allocator);
  using ErrorBox = void (*)(const std::string& text, const std::string& caption);
  explicit Win32Shell(AllocatorSource allocatorSource = nullptr, ErrorBox errorBox = nullptr);

  // SHGetSpecialFolderLocation and SHGetPathFromIDListW. The path comes without a trailing
  // backslash whatever the system gives (Wine gives the documents folder with one). Without the
  // shell's allocator the error box says "Couldn't get pointer to IMalloc interface." (caption
  // "SHGetMalloc(pMalloc)") and the text is empty.
  std::string SpecialFolder(ShellFolder folder) override;
  // GetTempPathW as the system gives it, with its trailing backslash.
  std::string TempPath() override;
  // ShellExecuteW with the shell's default verb, owned by the active window of this thread
  // (the main window when its link is clicked). The result is not looked at.
  void Open(const std::string& document, const std::string& parameters, const std::string& folder,
            ShowCommand show) override;

 private:
  AllocatorSource allocatorSource_;
  ErrorBox errorBox_;
};

}  // namespace tapisto
