#include "desktop/folders.h"

namespace tapisto {

std::string GetSpecialFolder(Shell& shell, ShellFolder folder) {
  return shell.SpecialFolder(folder);
}

std::string GetUserAppDataPath(Shell& shell) {
  return shell.SpecialFolder(ShellFolder::RoamingAppData);
}

std::string GetTempFolder(Shell& shell, PathFlavour flavour) {
  const std::string temp = shell.TempPath();
  if (temp.empty()) return std::string(".") + SeparatorOf(flavour);
  return MacheDirName(temp, flavour);
}

std::string MacheDirName(std::string_view DirOrPath, PathFlavour flavour) {
  const char separator = SeparatorOf(flavour);
  while (!DirOrPath.empty() && DirOrPath.back() == separator) DirOrPath.remove_suffix(1);
  return std::string(DirOrPath);
}

void OpenWithShell(Shell& shell, const std::string& document, const std::string& parameters,
                   const std::string& folder, ShowCommand show) {
  shell.Open(document, parameters, folder, show);
}

}  // namespace tapisto
