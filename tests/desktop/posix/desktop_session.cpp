#include "desktop_session.h"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "desktop/posix/handover/x11_display.h"

namespace tapisto::test {

namespace {

std::string FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    const std::size_t colon = std::min(dirs.find(':', start), dirs.size());
    const std::string candidate = dirs.substr(start, colon - start) + "/" + program;
    if (colon > start && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = colon + 1;
  }
  return "";
}

// Reads up to the first line feed, waiting at most `seconds` for the writer (so a server that
// hangs fails the test rather than stalling it).
std::string ReadLine(int fd, int seconds) {
  std::string line;
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, seconds * 1000) <= 0) return "";
    char c = 0;
    const ssize_t n = ::read(fd, &c, 1);
    if (n <= 0 || c == '\n') return line;
    line += c;
  }
}

std::uint8_t ChannelOf(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  const unsigned long value = (pixel & mask) >> std::countr_zero(mask);
  const int bits = std::popcount(mask);
  return static_cast<std::uint8_t>(bits >= 8 ? value >> (bits - 8) : value << (8 - bits));
}

}  // namespace

bool XvfbInstalled() {
  return !FindOnPath("Xvfb").empty();
}

XvfbServer::XvfbServer(const std::string& screen) {
  const std::string program = FindOnPath("Xvfb");
  if (program.empty()) throw std::runtime_error("Xvfb is not installed");
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("no pipe for Xvfb");
  const pid_t pid = ::fork();
  if (pid == 0) {
    // The write end must survive exec: Xvfb writes its display number to it.
    const int writeFd = ::dup(fds[1]);
    const int quiet = ::open("/dev/null", O_WRONLY);
    ::dup2(quiet, 1);
    ::dup2(quiet, 2);
    const std::string fd = std::to_string(writeFd);
    ::execl(program.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
            "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fds[1]);
  if (pid < 0) {
    ::close(fds[0]);
    throw std::runtime_error("cannot start Xvfb");
  }
  pid_ = pid;
  const std::string number = ReadLine(fds[0], 60);
  ::close(fds[0]);
  if (number.empty()) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    throw std::runtime_error("Xvfb did not start");
  }
  name_ = ":" + number;
}

XvfbServer::~XvfbServer() {
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
}

Raster ReadPixels(Display* display, Drawable drawable, int width, int height) {
  x11::ErrorTrap trap;
  XImage* image = XGetImage(display, drawable, 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), ~0UL, ZPixmap);
  trap.Sync(display);
  if (image == nullptr) return {};
  const Visual* visual = XDefaultVisual(display, XDefaultScreen(display));
  Raster pixels(width, height, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const unsigned long p = XGetPixel(image, x, y);
      pixels.SetPixel(x, y,
                      ComposeRgb(ChannelOf(p, visual->red_mask), ChannelOf(p, visual->green_mask),
                                 ChannelOf(p, visual->blue_mask)));
    }
  }
  XDestroyImage(image);
  return pixels;
}

std::string RunInChild(const std::function<void()>& body) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return "no pipe";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    std::string failure;
    try {
      body();
    } catch (const std::exception& e) {
      failure = std::string("exception: ") + e.what();
    } catch (...) {
      failure = "unknown exception";
    }
    if (!failure.empty()) {
      (void)!::write(fds[1], failure.data(), failure.size());
    }
    ::_exit(failure.empty() ? 0 : 1);
  }
  ::close(fds[1]);
  if (pid < 0) {
    ::close(fds[0]);
    return "cannot fork";
  }
  std::string report;
  char buffer[512];
  for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
    report.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return "";
  return report.empty() ? "exit status " + std::to_string(WEXITSTATUS(status)) : report;
}

}  // namespace tapisto::test
