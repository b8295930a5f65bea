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

// The pixel tests' picture, 40 x 20 in four blocks split unevenly across (at column 10) and
// evenly down (at row 10): red and green above, blue and yellow below. Where the split lands
// shows how it was scaled.
inline const Colour kRed = ComposeRgb(200, 0, 0);
inline const Colour kGreen = ComposeRgb(0, 200, 0);
inline const Colour kBlue = ComposeRgb(0, 0, 200);
inline const Colour kYellow = ComposeRgb(200, 200, 0);
// The background colour the pixel tests ask for, "58 110 165".
inline const Colour kBg = ComposeRgb(58, 110, 165);
Raster Quarters();

// "r g b", as a failing comparison shows it.
std::string Rgb(Colour c);

// A pixel of the screen and the colour it should have.
struct Probe {
  int x, y;
  Colour expected;
};

// The probes that show Quarters() placed at `r` on a screen of `width` x `height`, scaled `sx`
// times across and `sy` times down: the corners inside the rectangle show the four blocks, the
// pixels just outside it kBg, and the blocks' split lies where the scale puts it (probed far
// enough from it that no interpolation reaches the probe). The probes of the rectangle's edges
// keep `margin` pixels clear of them, for a desktop that blends the edges of a scaled picture
// into the background.
std::vector<Probe> PlacedQuarters(Rect r, int sx, int sy, int width, int height, int margin = 0);

// Each probe that does not show its colour, with the colour it shows; "" when all do.
std::string ProbeMismatches(const Raster& pixels, const std::vector<Probe>& probes);

// Runs `body` in a forked child process, which ends without running exit handlers. Returns ""
// when `body` returned, else what went wrong (the exception's text, or the signal).
std::string RunInChild(const std::function<void()>& body);

}  // namespace tapisto::test
