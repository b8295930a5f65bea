// The one writer of whole files on POSIX systems: every file the program writes (the settings
// hive, composed and converted pictures) is replaced through a temporary file beside it, so a
// crash at any moment leaves either the old or the new content.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>

#include "base/error.h"
#include "image/file_io.h"

namespace tapisto {

namespace {

[[noreturn]] void FailWrite(const char* what, const std::string& path, int error) {
  throw FileWriteError(std::string(what) + " \"" + path + "\": " + std::strerror(error));
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a symbolic link at `path` names, or `path` itself: the link stays a link.
std::string FollowLink(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;  // a dangling link is replaced by the file
  std::string target(resolved);
  std::free(resolved);
  return target;
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  return true;
}

// A new file of our own beside `target`, named ".NAME.tapisto-XXXXXX.tmp". `mode` is what a
// new file gets (the umask applies); the caller gives a replaced file its old mode.
int CreateTemporaryFile(const std::string& target, mode_t mode, std::string& tempPath) {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string suffix(6, 'x');
    for (char& c : suffix) c = kLetters[random() % (sizeof kLetters - 1)];
    tempPath = FolderOf(target) + "/." + NameOf(target) + ".tapisto-" + suffix + ".tmp";
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

void SyncFolder(const std::string& folder) {
  // The new name is on the disk only once its folder is; a failure here loses nothing.
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace

void WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes,
                    WriteDurability durability) {
  const std::string target = FollowLink(path);
  const bool durable = durability == WriteDurability::Durable;
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) FailWrite("cannot replace", path, EISDIR);
  // A file that exists but may not be written stays as it is, as a direct write would leave
  // it; the rename below would otherwise replace it regardless.
  if (exists && ::access(target.c_str(), W_OK) != 0) FailWrite("cannot write", path, errno);

  std::string temp;
  const int fd = CreateTemporaryFile(target, durable ? 0600 : 0666, temp);
  if (fd < 0) FailWrite("cannot create a temporary file for", path, errno);
  int error = 0;
  const char* step = nullptr;  // the first step that failed
  auto failed = [&](const char* what) {
    error = errno;
    step = what;
  };
  if (!WriteAll(fd, bytes)) {
    failed("cannot write");
  } else if (exists && ::fchmod(fd, old.st_mode & 07777) != 0) {
    failed("cannot set the permissions of");
  } else if (durable && ::fsync(fd) != 0) {
    failed("cannot flush");
  }
  if (::close(fd) != 0 && step == nullptr) failed("cannot write");
  if (step == nullptr && ::rename(temp.c_str(), target.c_str()) != 0) failed("cannot replace");
  if (step != nullptr) {
    ::unlink(temp.c_str());
    FailWrite(step, path, error);
  }
  if (durable) SyncFolder(FolderOf(target));
}

}  // namespace tapisto
