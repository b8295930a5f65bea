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

std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "no regular file";
}

}  // namespace

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileIdentity{
      static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
      static_cast<std::uint64_t>(st.st_size),
      static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

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

}  // namespace tapisto
