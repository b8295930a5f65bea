#include "support/held_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tapisto::test {

HeldFile::HeldFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return;
  handle_ = fd;
  held_ = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

void HeldFile::Release() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
  handle_ = -1;
  held_ = false;
}

}  // namespace tapisto::test
