// What the Linux desktop hand-over tests need: Xvfb, a private session bus, services started
// for one test, screen pixels, and a child process for setting GIO up from nothing.
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

// A program (`argv[0]` is its path, output discarded) ended by SIGTERM, then SIGKILL after 2 s,
// at destruction. With `lineFd` != -1 the child gets a pipe there and the constructor waits up
// to 60 s for its first line (Xvfb's -displayfd, dbus-daemon's --print-address). `environment`
// ("NAME=value", or "NAME" to remove) applies to the child only. Throws when it cannot start.
class ServiceProcess {
 public:
  ServiceProcess(const std::vector<std::string>& argv, int lineFd = -1,
                 const std::vector<std::string>& environment = {});
  ~ServiceProcess();
  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;

  const std::string& FirstLine() const noexcept { return line_; }
  bool Running();

 private:
  pid_t pid_ = -1;
  std::string line_;
};

// A dbus-daemon configured in `folder` (no activation); DBUS_SESSION_BUS_ADDRESS names it
// while it lives.
class PrivateSessionBus {
 public:
  explicit PrivateSessionBus(const std::string& folder);
  ~PrivateSessionBus();

 private:
  std::unique_ptr<ServiceProcess> daemon_;
  std::optional<std::string> oldAddress_;
};

// Xvfb with one screen of `screen` ("320x240x24") on a free display it picks, no TCP.
class XvfbServer {
 public:
  explicit XvfbServer(const std::string& screen);
  const std::string& DisplayName() const noexcept { return name_; }

 private:
  ServiceProcess process_;
  std::string name_;
};

// The pixels of `drawable` from (0, 0); empty when the server refuses (a pixmap now gone).
Raster ReadPixels(Display* display, Drawable drawable, int width, int height);

// The pixel tests' 40 x 20 picture: red | green above row 10, blue | yellow below, split at
// column 10, so where the split lands shows the scale.
inline const Colour kRed = ComposeRgb(200, 0, 0);
inline const Colour kGreen = ComposeRgb(0, 200, 0);
inline const Colour kBlue = ComposeRgb(0, 0, 200);
inline const Colour kYellow = ComposeRgb(200, 200, 0);
inline const Colour kBg = ComposeRgb(58, 110, 165);
Raster Quarters();

// "r g b"
std::string Rgb(Colour c);

struct Probe {
  int x, y;
  Colour expected;
};

// Probes for Quarters() placed at `r` scaled `sx` x `sy` on a `width` x `height` screen: the
// inner corners show the blocks, the pixels just outside kBg, and the split lies where the scale
// puts it (probed clear of interpolation). Edge probes keep `margin` pixels off the edges, for a
// desktop that blends a scaled picture's edges into the background.
std::vector<Probe> PlacedQuarters(Rect r, int sx, int sy, int width, int height, int margin = 0);

// Each probe that does not show its colour, with the colour it shows; "" when all do.
std::string ProbeMismatches(const Raster& pixels, const std::vector<Probe>& probes);

// Runs `body` in a forked child (ended by _exit); "" when it returned, else the exception's
// text or the signal.
std::string RunInChild(const std::function<void()>& body);

}  // namespace tapisto::test
