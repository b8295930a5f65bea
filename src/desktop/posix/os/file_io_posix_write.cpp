// The one writer of whole files on POSIX systems: every file the program writes (the settings
// hive, composed and converted pictures) is replaced through a temporary file beside it, so a
// crash at any moment leaves either the old or the new content.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <mutex>
#include <random>
#include <set>
#include <vector>

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

// Whether this process may change the file or folder `st` describes: the system must allow it
// (access), and its mode must grant someone write access. The second rule holds for root too,
// who may write anything: a file or folder the user made read-only is the user's "access
// denied", and is respected as the registry respects it.
bool Writable(const std::string& path, const struct stat& st) {
  return ::access(path.c_str(), W_OK) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

// The reason a replacement of `target` is refused (an errno value), 0 when it is allowed.
int RefusalOf(const std::string& target, const struct stat* old) {
  if (old != nullptr) {
    if (S_ISDIR(old->st_mode)) return EISDIR;
    if (!Writable(target, *old)) return EACCES;
  }
  struct stat folder {};
  const std::string folderPath = FolderOf(target);
  // A folder that cannot be looked at is left to the creation of the file to report.
  if (::stat(folderPath.c_str(), &folder) == 0 && !Writable(folderPath, folder)) return EACCES;
  return 0;
}

// Gives the new file the owner, group and mode of the one it replaces. The owner can only be
// kept where the system permits it (root writing a user's file); the group is kept where this
// user belongs to it.
bool KeepOwnerAndMode(int fd, const struct stat& old) {
  if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
    static_cast<void>(::fchown(fd, static_cast<uid_t>(-1), old.st_gid));
  }
  // After fchown, which clears the set-user-ID and set-group-ID bits.
  return ::fchmod(fd, old.st_mode & 07777) == 0;
}

bool WriteAt(int fd, std::span<const std::uint8_t> bytes, bool durable) {
  return ::lseek(fd, 0, SEEK_SET) == 0 && WriteAll(fd, bytes) &&
         ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && (!durable || ::fsync(fd) == 0);
}

// A file with more than one name (hard links) is written in place: a rename would give only
// this name the new content. Its old content goes to a backup copy beside it first, which
// outlives a crash during the write and is removed once the new content is complete; a write
// that fails puts the old content back.
void WriteInPlace(const std::string& path, const std::string& target,
                  std::span<const std::uint8_t> bytes, bool durable) {
  std::vector<std::uint8_t> before;
  try {
    before = ReadWholeFile(target, std::numeric_limits<std::int64_t>::max());
  } catch (const FileReadError& e) {
    throw FileWriteError(std::string("cannot keep a copy of \"") + path + "\": " + e.what());
  }
  const std::string backup = FolderOf(target) + "/." + NameOf(target) + ".tapisto-backup";
  const int copy = ::open(backup.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (copy < 0) FailWrite("cannot keep a copy of", path, errno);
  const bool copied = WriteAt(copy, before, true);
  const int copyError = errno;
  ::close(copy);
  if (!copied) {
    ::unlink(backup.c_str());
    FailWrite("cannot keep a copy of", path, copyError);
  }
  const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    const int error = errno;
    ::unlink(backup.c_str());
    FailWrite("cannot write", path, error);
  }
  const bool written = WriteAt(fd, bytes, durable);
  const int error = errno;
  const bool restored = written || WriteAt(fd, before, true);
  ::close(fd);
  if (restored) ::unlink(backup.c_str());
  if (!written) {
    if (restored) FailWrite("cannot write", path, error);
    throw FileWriteError("cannot write \"" + path + "\": " + std::strerror(error) +
                         "; its old content is in \"" + backup + "\"");
  }
}

// A file over the process's size limit (ulimit -f) raises SIGXFSZ, which ends the process
// unless it is ignored; ignored, the write fails with EFBIG and the temporary file is removed
// like after any failed write. A handler someone installed stays.
void IgnoreFileSizeSignal() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
      std::signal(SIGXFSZ, SIG_IGN);
    }
  });
}

bool IsAlphanumeric(std::string_view text) {
  for (const char c : text) {
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) {
      return false;
    }
  }
  return !text.empty();
}

// Whether `entry` is a temporary file of ours for writing `name`, or for any file of the folder:
// ".NAME.tapisto-XXXXXX.tmp" (this writer), "NAME.tapisto-N.tmp" (the earlier picture writer)
// and ".NAME.XXXXXX" for this very `name` (the earlier hive writer).
bool IsOurTemporaryFile(std::string_view entry, std::string_view name) {
  constexpr std::string_view kMark = ".tapisto-";
  if (entry.ends_with(".tmp")) {
    const auto mark = entry.rfind(kMark);
    return mark != std::string_view::npos && mark > 0 &&
           IsAlphanumeric(
               entry.substr(mark + kMark.size(), entry.size() - 4 - mark - kMark.size()));
  }
  return entry.size() == name.size() + 8 && entry.starts_with('.') &&
         entry.substr(1, name.size()) == name && entry[name.size() + 1] == '.' &&
         IsAlphanumeric(entry.substr(name.size() + 2));
}

// Removes what writes killed on the way (kill -9, a power cut) left in `folder`: temporary
// files of ours, of this user, untouched for an hour, so that no write still running can own
// them. The folder is looked through once per process for each file written there.
void RemoveStaleTemporaryFiles(const std::string& folder, const std::string& name) {
  static std::mutex mutex;
  static std::set<std::string> done;
  {
    const std::lock_guard lock(mutex);
    if (!done.insert(folder + '/' + name).second) return;
  }
  DIR* listing = ::opendir(folder.c_str());
  if (listing == nullptr) return;
  const std::time_t hourAgo = std::time(nullptr) - 3600;
  while (const dirent* entry = ::readdir(listing)) {
    if (!IsOurTemporaryFile(entry->d_name, name)) continue;
    struct stat st {};
    if (::fstatat(::dirfd(listing), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_mtime < hourAgo) {
      ::unlinkat(::dirfd(listing), entry->d_name, 0);
    }
  }
  ::closedir(listing);
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

bool CanReplaceFile(const std::string& path) {
  const std::string target = FollowLink(path);
  struct stat old {};
  return RefusalOf(target, ::stat(target.c_str(), &old) == 0 ? &old : nullptr) == 0;
}

void WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes,
                    WriteDurability durability) {
  IgnoreFileSizeSignal();
  const std::string target = FollowLink(path);
  const bool durable = durability == WriteDurability::Durable;
  RemoveStaleTemporaryFiles(FolderOf(target), NameOf(target));
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  // A file or folder that may not be written stays as it is; the rename below would otherwise
  // replace the file regardless of its own permissions.
  if (const int refusal = RefusalOf(target, exists ? &old : nullptr)) {
    FailWrite(refusal == EISDIR ? "cannot replace" : "cannot write", path, refusal);
  }
  if (exists && S_ISREG(old.st_mode) && old.st_nlink > 1) {
    WriteInPlace(path, target, bytes, durable);
    return;
  }

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
  } else if (exists && !KeepOwnerAndMode(fd, old)) {
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
