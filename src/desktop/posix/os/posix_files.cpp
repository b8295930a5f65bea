#include "desktop/posix/os/posix_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace tapisto {

namespace fs = std::filesystem;

bool PosixFiles::FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool PosixFiles::DirectoryExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PosixFiles::CreateDirectory(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0;
}

bool PosixFiles::CopyFile(const std::string& from, const std::string& to) {
  std::error_code ec;
  return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec) && !ec;
}

bool PosixFiles::DeleteFile(const std::string& path) {
  return !DirectoryExists(path) && ::unlink(path.c_str()) == 0;
}

bool PosixFiles::CanOpenExclusively(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  if (free) {
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = 0;
    probe.l_len = 0;  // the whole file
    free = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type == F_UNLCK;
  }
  ::close(fd);  // also drops our own flock
  return free;
}

}  // namespace tapisto
