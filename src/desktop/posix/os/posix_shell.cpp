#include "desktop/posix/os/posix_shell.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

#include "desktop/posix/os/xdg_folders.h"

extern char** environ;

namespace tapisto {

std::string PosixShell::SpecialFolder(ShellFolder folder) {
  switch (folder) {
    case ShellFolder::Documents:
      return DocumentsFolder();
    case ShellFolder::RoamingAppData:
      return ConfigHome();
  }
  return "";
}

std::string PosixShell::TempPath() {
  const char* tmp = std::getenv("TMPDIR");
  return tmp != nullptr && *tmp != '\0' ? std::string(tmp) : std::string("/tmp");
}

void PosixShell::Open(const std::string& document, const std::string& /*parameters*/,
                      const std::string& /*folder*/, ShowCommand /*show*/) {
  posix_spawnattr_t attributes;
  if (::posix_spawnattr_init(&attributes) != 0) return;
  // The child starts with no signal blocked and every signal at its default, whatever the
  // window thread has set, and in its own session so it outlives the program quietly.
  sigset_t none;
  sigset_t all;
  sigemptyset(&none);
  sigfillset(&all);
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
#ifdef POSIX_SPAWN_SETSID
  flags = static_cast<short>(flags | POSIX_SPAWN_SETSID);
#endif
  ::posix_spawnattr_setflags(&attributes, flags);
  ::posix_spawnattr_setsigmask(&attributes, &none);
  ::posix_spawnattr_setsigdefault(&attributes, &all);

  std::string program = "xdg-open";
  std::string argument = document;
  char* argv[] = {program.data(), argument.data(), nullptr};
  pid_t child = 0;
  const int started = ::posix_spawnp(&child, "xdg-open", nullptr, &attributes, argv, environ);
  ::posix_spawnattr_destroy(&attributes);
  if (started != 0) return;

  std::thread([child] {
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

}  // namespace tapisto
