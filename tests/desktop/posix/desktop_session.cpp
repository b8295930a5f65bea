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
#include <stdexcept>
#include <vector>

#include "desktop/posix/handover/x11_display.h"

namespace tapisto::test {

namespace {

// Reads up to the first line feed, waiting at most `seconds` for the writer (so a server that
// hangs fails the test rather than stalling it).
std::string ReadLine(int fd, int seconds) {
  std::string line;
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, seconds * 1000) <= 0) return line;
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

void ChangeEnvironment(const std::string& entry) {
  const std::size_t equals = entry.find('=');
  if (equals == std::string::npos) {
    ::unsetenv(entry.c_str());
  } else {
    ::setenv(entry.substr(0, equals).c_str(), entry.c_str() + equals + 1, 1);
  }
}

}  // namespace

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

bool XvfbInstalled() {
  return !FindOnPath("Xvfb").empty();
}

ServiceProcess::ServiceProcess(const std::vector<std::string>& argv, int lineFd,
                               const std::vector<std::string>& environment) {
  if (argv.empty()) throw std::runtime_error("no program to start");
  int fds[2] = {-1, -1};
  if (lineFd >= 0 && ::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
  const pid_t pid = ::fork();
  if (pid == 0) {
    // The write end must survive exec as the descriptor the program was told.
    if (lineFd >= 0) ::dup2(fds[1], lineFd);
    const int quiet = ::open("/dev/null", O_RDWR);
    ::dup2(quiet, 0);
    ::dup2(quiet, 1);
    ::dup2(quiet, 2);
    for (const std::string& entry : environment) ChangeEnvironment(entry);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  if (lineFd >= 0) ::close(fds[1]);
  if (pid < 0) {
    if (lineFd >= 0) ::close(fds[0]);
    throw std::runtime_error("cannot start " + argv[0]);
  }
  pid_ = pid;
  if (lineFd < 0) return;
  line_ = ReadLine(fds[0], 60);
  ::close(fds[0]);
  if (line_.empty()) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    throw std::runtime_error(argv[0] + " did not start");
  }
}

ServiceProcess::~ServiceProcess() {
  ::kill(pid_, SIGTERM);
  for (int i = 0; i < 200; ++i) {
    if (::waitpid(pid_, nullptr, WNOHANG) == pid_) return;
    ::usleep(10000);
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
  std::ofstream(config)
      << R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=)"
      << folder << R"(</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
    <allow send_type="method_return"/>
  </policy>
</busconfig>
)";
  const std::string program = FindOnPath("dbus-daemon");
  if (program.empty()) throw std::runtime_error("dbus-daemon is not installed");
  // Descriptor 3 in the daemon: the pipe its address is printed to.
  daemon_ = std::make_unique<ServiceProcess>(
      std::vector<std::string>{program, "--config-file=" + config, "--nofork", "--print-address=3"},
      3);
  address_ = daemon_->FirstLine();
  if (const char* old = std::getenv("DBUS_SESSION_BUS_ADDRESS")) oldAddress_ = old;
  ::setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
}

PrivateSessionBus::~PrivateSessionBus() {
  if (oldAddress_) {
    ::setenv("DBUS_SESSION_BUS_ADDRESS", oldAddress_->c_str(), 1);
  } else {
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
  }
}

namespace {

std::vector<std::string> XvfbArguments(const std::string& screen) {
  const std::string program = FindOnPath("Xvfb");
  if (program.empty()) throw std::runtime_error("Xvfb is not installed");
  // Descriptor 3 in the server: the pipe its display number is written to.
  return {program, "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp", "-noreset"};
}

}  // namespace

XvfbServer::XvfbServer(const std::string& screen) : process_(XvfbArguments(screen), 3) {
  name_ = ":" + process_.FirstLine();
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
