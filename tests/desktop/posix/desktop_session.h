// What the tests of the Linux desktop hand-over need around them: a private X server (Xvfb)
// on a display of its own, a private D-Bus session bus, a desktop service started for one
// test and stopped after, the pixels of a window or pixmap, and a child process in which a
// test may set up the GIO settings machinery from nothing.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/raster.h"

namespace tapisto::test {

// The full path of `program` found through PATH; "" when it is not there.
std::string FindOnPath(const std::string& program);

// Whether an Xvfb program is on PATH.
bool XvfbInstalled();

// A program started for a test (no shell: `argv[0]` is its path), its output thrown away, and
// ended (SIGTERM, then SIGKILL after two seconds) at destruction. When `lineFd` is not -1 the
// child gets a pipe as that descriptor and the constructor waits up to 60 s for the first line
// the program writes to it (Xvfb's -displayfd, dbus-daemon's --print-address=N), which
// FirstLine() gives. `environment` entries ("NAME=value", "NAME" to remove) change the
// child's environment only. Throws std::runtime_error when it cannot start or says nothing.
class ServiceProcess {
 public:
  ServiceProcess(const std::vector<std::string>& argv, int lineFd = -1,
                 const std::vector<std::string>& environment = {});
  ~ServiceProcess();
  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;

  const std::string& FirstLine() const noexcept { return line_; }
  pid_t Pid() const noexcept { return pid_; }
  // Whether the program still runs.
  bool Running();

 private:
  pid_t pid_ = -1;
  std::string line_;
};

// A private D-Bus session bus (dbus-daemon with a configuration of its own in `folder`, no
// service activation) whose address DBUS_SESSION_BUS_ADDRESS names while it lives.
class PrivateSessionBus {
 public:
  explicit PrivateSessionBus(const std::string& folder);
  ~PrivateSessionBus();
  PrivateSessionBus(const PrivateSessionBus&) = delete;
  PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

  const std::string& Address() const noexcept { return address_; }

 private:
  std::unique_ptr<ServiceProcess> daemon_;
  std::string address_;
  std::optional<std::string> oldAddress_;
};

// Xvfb with one screen of `screen` ("320x240x24") on a display number the server picks itself
// among the free ones (-displayfd), listening on no TCP port. Stopped at destruction. Throws
// std::runtime_error when it does not start.
class XvfbServer {
 public:
  explicit XvfbServer(const std::string& screen);

  // ":N"
  const std::string& DisplayName() const noexcept { return name_; }

 private:
  ServiceProcess process_;
  std::string name_;
};

// The width x height pixels of `drawable` at (0, 0) as Colours, read through the default
// visual's masks; an empty raster when the server refuses (a pixmap that no longer exists).
Raster ReadPixels(Display* display, Drawable drawable, int width, int height);

// Runs `body` in a forked child process, which ends without running exit handlers. Returns ""
// when `body` returned, else what went wrong (the exception's text, or the signal).
std::string RunInChild(const std::function<void()>& body);

}  // namespace tapisto::test
