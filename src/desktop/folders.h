// The folders the program works in and the shell's launcher, over the Shell port. Nothing here
// keeps state: every call asks the system afresh.
#pragma once

#include <string>
#include <string_view>

#include "base/path.h"
#include "ports/shell.h"

namespace tapisto {

// The path of shell folder `folder` (the documents or the roaming application-data folder); "" when
// it cannot be resolved.
std::string GetSpecialFolder(Shell& shell, ShellFolder folder);

// The user's roaming application-data folder; "" when it cannot be resolved.
std::string GetUserAppDataPath(Shell& shell);

// The user's temporary folder without trailing separators; "." and the separator (".\" or "./")
// when the system has none.
std::string GetTempFolder(Shell& shell, PathFlavour flavour = kNativePathFlavour);

// `DirOrPath` without its trailing separators: every "\" at the end on Windows, every "/" on
// POSIX. Only that separator is removed; the other one and blanks stay. A text made only of
// separators (the POSIX root "/" too) gives "".
std::string MacheDirName(std::string_view DirOrPath, PathFlavour flavour = kNativePathFlavour);

// Hands `document` (a file or web address) to the shell, which opens it with the program
// registered for it. Nothing is reported; a failed launch passes silently.
void OpenWithShell(Shell& shell, const std::string& document, const std::string& parameters,
                   const std::string& folder, ShowCommand show);

}  // namespace tapisto
