// The Shell port on POSIX systems: the XDG folders and xdg-open.
#pragma once

#include "ports/shell.h"

namespace tapisto {

class PosixShell final : public Shell {
 public:
  // Documents: the XDG documents folder (XDG_DOCUMENTS_DIR of user-dirs.dirs, else
  // $HOME/Documents); RoamingAppData: $XDG_CONFIG_HOME (else $HOME/.config), where programs
  // keep their per-user data as the roaming application-data folder holds it on Windows. Any
  // other number gives "".
  std::string SpecialFolder(ShellFolder folder) override;
  // $TMPDIR when set and not empty, else "/tmp".
  std::string TempPath() override;
  // Starts `xdg-open document` found through PATH, without a shell, in a session of its own.
  // The parameters, the working folder and the show mode have no counterpart in xdg-open and
  // are not passed on. A launch that fails passes silently. The child is waited for by a
  // small thread of its own, so it never lingers as a zombie and the calling thread never
  // blocks.
  void Open(const std::string& document, const std::string& parameters, const std::string& folder,
            ShowCommand show) override;
};

}  // namespace tapisto
