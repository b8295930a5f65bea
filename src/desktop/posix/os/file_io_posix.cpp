// Whole-file reads and writes on POSIX systems, by descriptor.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/error.h"
#include "image/file_io.h"

namespace tapisto {

namespace {

// Closes the descriptor when the scope ends, on every path out of it.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const noexcept { return fd_; }

 private:
  int fd_;
};

[[noreturn]] void FailRead(const std::string& what, const std::string& path, int error) {
  throw FileReadError(what + " \"" + path + "\": " + std::strerror(error));
}

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

std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "no regular file";
}

}  // namespace

std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::int64_t maxBytes) {
  // Without O_NONBLOCK, opening a named pipe waits for a writer that may never come; the type
  // check on the open descriptor then refuses it, so no read ever waits on it either.
  const Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.get() < 0) FailRead("cannot open file", path, errno);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) FailRead("cannot read file", path, errno);
  if (!S_ISREG(st.st_mode)) {
    throw FileReadError("cannot read file \"" + path + "\": it is " + KindOf(st.st_mode) +
                        ", not a regular file");
  }
  auto tooLarge = [&](std::int64_t size) {
    return ImageTooLargeError("file \"" + path + "\" has " + std::to_string(size) +
                              " bytes, over the limit of " + std::to_string(maxBytes));
  };
  if (st.st_size > maxBytes) throw tooLarge(st.st_size);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
  std::size_t filled = 0;
  for (;;) {
    // The file may have grown since fstat(): one byte more than the limit tells.
    if (filled == bytes.size()) {
      if (static_cast<std::int64_t>(filled) > maxBytes) throw tooLarge(maxBytes + 1);
      bytes.resize(std::min<std::size_t>(filled + 65536, static_cast<std::size_t>(maxBytes) + 1));
    }
    const ssize_t n = ::read(fd.get(), bytes.data() + filled, bytes.size() - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) FailRead("cannot read file", path, errno);
    if (n == 0) break;
    filled += static_cast<std::size_t>(n);
  }
  bytes.resize(filled);
  return bytes;
}

void WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  // A file that exists but may not be written stays as it is, as a direct write would leave
  // it; the rename below would otherwise replace it regardless.
  if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0) {
    FailWrite("cannot write", path, errno);
  }
  // A name of our own beside the target, so the rename stays inside one file system.
  std::string pattern = FolderOf(path) + "/." + NameOf(path) + ".tapisto-XXXXXX";
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) FailWrite("cannot create a temporary file for", path, errno);
  const std::string temp = pattern;
  int error = 0;
  const char* step = nullptr;  // the first step that failed
  if (!WriteAll(fd, bytes)) {
    error = errno;
    step = "cannot write";
  }
  if (::close(fd) != 0 && step == nullptr) {
    error = errno;
    step = "cannot write";
  }
  if (step == nullptr && ::rename(temp.c_str(), path.c_str()) != 0) {
    error = errno;
    step = "cannot replace";
  }
  if (step != nullptr) {
    ::unlink(temp.c_str());
    FailWrite(step, path, error);
  }
}

}  // namespace tapisto
