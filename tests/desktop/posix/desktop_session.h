// What the tests of the Linux desktop hand-over need around them: a private X server (Xvfb)
// on a display of its own, the pixels of a window or pixmap, and a child process in which a
// test may set up the GIO settings machinery from nothing.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <functional>
#include <string>

#include "image/raster.h"

namespace tapisto::test {

// Whether an Xvfb program is on PATH.
bool XvfbInstalled();

// Xvfb with one screen of `screen` ("320x240x24") on a display number the server picks itself
// among the free ones (-displayfd), listening on no TCP port. Stopped at destruction. Throws
// std::runtime_error when it does not start.
class XvfbServer {
 public:
  explicit XvfbServer(const std::string& screen);
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // ":N"
  const std::string& DisplayName() const noexcept { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

// The width x height pixels of `drawable` at (0, 0) as Colours, read through the default
// visual's masks; an empty raster when the server refuses (a pixmap that no longer exists).
Raster ReadPixels(Display* display, Drawable drawable, int width, int height);

// Runs `body` in a forked child process, which ends without running exit handlers. Returns ""
// when `body` returned, else what went wrong (the exception's text, or the signal).
std::string RunInChild(const std::function<void()>& body);

}  // namespace tapisto::test
