#include "desktop/posix/handover/x11_display.h"

#include <cstdlib>

namespace tapisto::x11 {

namespace {

int firstError = 0;

int RecordError(Display*, XErrorEvent* event) {
  if (firstError == 0) firstError = event->error_code;
  return 0;
}

}  // namespace

DisplayPtr OpenDisplay() {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') return nullptr;
  return DisplayPtr(Xlib().XOpenDisplay(name));
}

std::vector<Rect> Monitors(Display* display) {
  const XlibFunctions& xlib = Xlib();
  const XRandRFunctions& xrandr = XRandR();
  const Window root = xlib.XDefaultRootWindow(display);
  const int screen = xlib.XDefaultScreen(display);
  const Rect whole{0, 0, xlib.XDisplayWidth(display, screen), xlib.XDisplayHeight(display, screen)};
  std::vector<Rect> monitors;
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (xrandr.XRRQueryExtension(display, &eventBase, &errorBase) &&
      xrandr.XRRQueryVersion(display, &major, &minor) &&
      (major > 1 || (major == 1 && minor >= 5))) {
    int count = 0;
    if (XRRMonitorInfo* list = xrandr.XRRGetMonitors(display, root, True, &count)) {
      for (int i = 0; i < count; ++i) {
        const XRRMonitorInfo& m = list[i];
        if (m.width > 0 && m.height > 0) {
          monitors.push_back({m.x, m.y, m.x + m.width, m.y + m.height});
        }
      }
      xrandr.XRRFreeMonitors(list);
    }
  }
  if (monitors.empty()) monitors.push_back(whole);
  return monitors;
}

ErrorTrap::ErrorTrap() {
  firstError = 0;
  previous_ = Xlib().XSetErrorHandler(&RecordError);
}

ErrorTrap::~ErrorTrap() {
  Xlib().XSetErrorHandler(previous_);
}

int ErrorTrap::Sync(Display* display) {
  Xlib().XSync(display, False);
  const int error = firstError;
  firstError = 0;
  return error;
}

}  // namespace tapisto::x11
