#include "desktop/posix/os/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/error.h"

namespace tapisto {

namespace {

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

[[noreturn]] void Fail(const std::string& path, const char* step, int error) {
  throw FileWriteError("cannot " + std::string(step) + " \"" + path +
                       "\": " + std::strerror(error));
}

// The file a symbolic link at `path` names, or `path` itself.
std::string FollowLink(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;  // a dangling link is replaced by the file
  std::string target(resolved);
  std::free(resolved);
  return target;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

void ReplaceFileAtomically(const std::string& requested, std::string_view bytes) {
  const std::string path = FollowLink(requested);
  struct stat old {};
  const mode_t mode =
      ::stat(path.c_str(), &old) == 0 ? static_cast<mode_t>(old.st_mode & 07777) : 0600;

  std::string pattern = FolderOf(path) + "/." + NameOf(path) + ".XXXXXX";
  std::vector<char> temp(pattern.begin(), pattern.end());
  temp.push_back('\0');
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) Fail(requested, "create a temporary file for", errno);
  const std::string tempPath(temp.data());

  int error = 0;
  const char* step = nullptr;  // the first step that failed
  auto failed = [&](const char* what) {
    error = errno;
    step = what;
  };
  if (!WriteAll(fd, bytes)) {
    failed("write");
  } else if (::fchmod(fd, mode) != 0) {
    failed("set the permissions of");
  } else if (::fsync(fd) != 0) {
    failed("flush");
  }
  if (::close(fd) != 0 && step == nullptr) failed("close");
  if (step == nullptr && ::rename(tempPath.c_str(), path.c_str()) != 0) failed("replace");
  if (step != nullptr) {
    ::unlink(tempPath.c_str());
    Fail(requested, step, error);
  }
  // The new name is on the disk only once its folder is; a failure here loses nothing.
  const int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
}

}  // namespace tapisto
