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
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "desktop/posix/handover/x11_display.h"

namespace tapisto::test {

namespace {

// Reads `fd` up to `stop` or its end and closes it, waiting at most `seconds` for the writer so
// that a hanging one fails the test rather than stalling it.
std::string ReadAndClose(int fd, char stop, int seconds) {
  std::string text;
  for (char c = 0;; text += c) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, seconds * 1000) <= 0 || ::read(fd, &c, 1) <= 0 || c == stop) break;
  }
  ::close(fd);
  return text;
}

// Forks; `fds` is a close-on-exec pipe whose write end only the child keeps. Throws on failure.
pid_t ForkWithPipe(int (&fds)[2]) {
  if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
  const pid_t pid = ::fork();
  if (pid == 0) return 0;
  ::close(fds[1]);
  if (pid < 0) {
    ::close(fds[0]);
    throw std::runtime_error("cannot fork");
  }
  return pid;
}

std::uint8_t ChannelOf(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  const unsigned long value = (pixel & mask) >> std::countr_zero(mask);
  const int bits = std::popcount(mask);
  return static_cast<std::uint8_t>(bits >= 8 ? value >> (bits - 8) : value << (8 - bits));
}

}  // namespace

std::string FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const std::string candidate = dir + "/" + program;
    if (!dir.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

ServiceProcess::ServiceProcess(const std::vector<std::string>& argv, int lineFd,
                               const std::vector<std::string>& environment) {
  int fds[2];
  pid_ = ForkWithPipe(fds);
  if (pid_ == 0) {
    if (lineFd >= 0) ::dup2(fds[1], lineFd);  // survives exec, unlike fds[1]
    const int quiet = ::open("/dev/null", O_RDWR);
    for (int fd : {0, 1, 2}) ::dup2(quiet, fd);
    for (const std::string& e : environment) {
      const std::size_t eq = e.find('=');
      eq == std::string::npos ? ::unsetenv(e.c_str())
                              : ::setenv(e.substr(0, eq).c_str(), e.c_str() + eq + 1, 1);
    }
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  line_ = lineFd >= 0 ? ReadAndClose(fds[0], '\n', 60) : (::close(fds[0]), "");
  if (lineFd >= 0 && line_.empty()) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    throw std::runtime_error(argv[0] + " did not start");
  }
}

ServiceProcess::~ServiceProcess() {
  ::kill(pid_, SIGTERM);
  for (int i = 0; i < 200; ++i, ::usleep(10000)) {
    if (::waitpid(pid_, nullptr, WNOHANG) == pid_) return;
  }
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
}

bool ServiceProcess::Running() {
  return ::waitpid(pid_, nullptr, WNOHANG) == 0;
}

PrivateSessionBus::PrivateSessionBus(const std::string& folder) {
  std::filesystem::create_directories(folder);
  const std::string config = folder + "/session.conf";
  std::ofstream(config) << "<busconfig><type>session</type><listen>unix:dir=" << folder
                        << R"(</listen><auth>EXTERNAL</auth><policy context="default">
<allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/>
<allow send_type="method_return"/></policy></busconfig>)";
  const std::string program = FindOnPath("dbus-daemon");
  if (program.empty()) throw std::runtime_error("dbus-daemon is not installed");
  daemon_.reset(
      new ServiceProcess({program, "--config-file=" + config, "--nofork", "--print-address=3"}, 3));
  if (const char* old = std::getenv("DBUS_SESSION_BUS_ADDRESS")) oldAddress_ = old;
  ::setenv("DBUS_SESSION_BUS_ADDRESS", daemon_->FirstLine().c_str(), 1);
}

PrivateSessionBus::~PrivateSessionBus() {
  oldAddress_ ? ::setenv("DBUS_SESSION_BUS_ADDRESS", oldAddress_->c_str(), 1)
              : ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

XvfbServer::XvfbServer(const std::string& screen)
    : process_({FindOnPath("Xvfb"), "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp",
                "-noreset"},
               3),
      name_(":" + process_.FirstLine()) {}

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

Raster Quarters() {
  Raster r(40, 20, 0);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 40; ++x) {
      r.SetPixel(x, y, y < 10 ? (x < 10 ? kRed : kGreen) : (x < 10 ? kBlue : kYellow));
    }
  }
  r.SetFormat(PixelFormat::Bit24);
  return r;
}

std::string Rgb(Colour c) {
  return std::to_string(RedOf(c)) + " " + std::to_string(GreenOf(c)) + " " +
         std::to_string(BlueOf(c));
}

std::vector<Probe> PlacedQuarters(Rect r, int sx, int sy, int width, int height, int margin) {
  std::vector<Probe> probes;
  auto add = [&](int x, int y, Colour c) {
    if (x >= 0 && y >= 0 && x < width && y < height) probes.push_back({x, y, c});
  };
  const int visibleLeft = std::max(r.left, 0) + margin;
  const int visibleTop = std::max(r.top, 0) + margin;
  const int visibleRight = std::min(r.right, width) - 1 - margin;
  const int visibleBottom = std::min(r.bottom, height) - 1 - margin;
  const int splitX = r.left + 10 * sx, splitY = r.top + 10 * sy;
  add(visibleLeft, visibleTop, visibleLeft < splitX ? kRed : kGreen);
  add(visibleRight, visibleTop, kGreen);
  add(visibleLeft, visibleBottom, visibleLeft < splitX ? kBlue : kYellow);
  add(visibleRight, visibleBottom, kYellow);
  add(splitX - sx - 1, splitY - sy - 1, kRed);
  add(splitX + sx, splitY - sy - 1, kGreen);
  add(splitX - sx - 1, splitY + sy, kBlue);
  add(splitX + sx, splitY + sy, kYellow);
  add(r.left - 1 - margin, r.top + margin, kBg);
  add(r.right + margin, r.top + margin, kBg);
  add(r.left + margin, r.top - 1 - margin, kBg);
  add(r.left + margin, r.bottom + margin, kBg);
  return probes;
}

std::string ProbeMismatches(const Raster& pixels, const std::vector<Probe>& probes) {
  std::string mismatches;
  for (const Probe& p : probes) {
    const std::string at = std::to_string(p.x) + ", " + std::to_string(p.y);
    if (p.x >= pixels.Width() || p.y >= pixels.Height()) {
      mismatches += at + " is outside the picture; ";
    } else if (pixels.Pixel(p.x, p.y) != p.expected) {
      mismatches += at + " is " + Rgb(pixels.Pixel(p.x, p.y)) + ", not " + Rgb(p.expected) + "; ";
    }
  }
  return mismatches;
}

std::string RunInChild(const std::function<void()>& body) {
  int fds[2];
  const pid_t pid = ForkWithPipe(fds);
  if (pid == 0) {
    std::string failure;
    try {
      body();
    } catch (const std::exception& e) {  // anything else aborts: a signal
      failure = std::string("exception: ") + e.what();
    }
    (void)!::write(fds[1], failure.data(), failure.size());
    ::_exit(failure.empty() ? 0 : 1);
  }
  const std::string report = ReadAndClose(fds[0], '\0', 600);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return "";
  return report.empty() ? "exit status " + std::to_string(WEXITSTATUS(status)) : report;
}

}  // namespace tapisto::test
