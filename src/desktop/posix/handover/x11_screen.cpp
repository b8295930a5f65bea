#include "desktop/posix/handover/x11_screen.h"

#include "desktop/posix/handover/x11_display.h"

namespace tapisto {

namespace {

// The size of the CRTC showing the primary output; nullopt when there is none or it is off.
std::optional<ScreenSize> PrimaryOutputSize(Display* display, Window root) {
  const x11::XRandRFunctions& xrandr = x11::XRandR();
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (!xrandr.XRRQueryExtension(display, &eventBase, &errorBase) ||
      !xrandr.XRRQueryVersion(display, &major, &minor) || (major == 1 && minor < 3)) {
    return std::nullopt;
  }
  const RROutput primary = xrandr.XRRGetOutputPrimary(display, root);
  if (primary == 0) return std::nullopt;
  std::optional<ScreenSize> size;
  if (XRRScreenResources* resources = xrandr.XRRGetScreenResourcesCurrent(display, root)) {
    if (XRROutputInfo* output = xrandr.XRRGetOutputInfo(display, resources, primary)) {
      if (output->crtc != 0) {
        if (XRRCrtcInfo* crtc = xrandr.XRRGetCrtcInfo(display, resources, output->crtc)) {
          if (crtc->width > 0 && crtc->height > 0) {
            size = ScreenSize{static_cast<int>(crtc->width), static_cast<int>(crtc->height)};
          }
          xrandr.XRRFreeCrtcInfo(crtc);
        }
      }
      xrandr.XRRFreeOutputInfo(output);
    }
    xrandr.XRRFreeScreenResources(resources);
  }
  return size;
}

}  // namespace

std::optional<ScreenSize> PrimaryX11ScreenSize() {
  const x11::DisplayPtr display = x11::OpenDisplay();
  if (!display) return std::nullopt;
  Display* d = display.get();
  const x11::XlibFunctions& xlib = x11::Xlib();
  if (const std::optional<ScreenSize> size = PrimaryOutputSize(d, xlib.XDefaultRootWindow(d))) {
    return size;
  }
  const int screen = xlib.XDefaultScreen(d);
  return ScreenSize{xlib.XDisplayWidth(d, screen), xlib.XDisplayHeight(d, screen)};
}

std::vector<std::string> ConnectedX11OutputNames() {
  std::vector<std::string> names;
  const x11::DisplayPtr display = x11::OpenDisplay();
  if (!display) return names;
  const x11::XRandRFunctions& xrandr = x11::XRandR();
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (!xrandr.XRRQueryExtension(display.get(), &eventBase, &errorBase) ||
      !xrandr.XRRQueryVersion(display.get(), &major, &minor) || (major == 1 && minor < 3)) {
    return names;
  }
  Display* d = display.get();
  const Window root = x11::Xlib().XDefaultRootWindow(d);
  const RROutput primary = xrandr.XRRGetOutputPrimary(d, root);
  XRRScreenResources* resources = xrandr.XRRGetScreenResourcesCurrent(d, root);
  if (resources == nullptr) return names;
  for (int i = 0; i < resources->noutput; ++i) {
    XRROutputInfo* output = xrandr.XRRGetOutputInfo(d, resources, resources->outputs[i]);
    if (output == nullptr) continue;
    if (output->connection == RR_Connected && output->crtc != 0) {
      std::string name(output->name, static_cast<std::size_t>(output->nameLen));
      if (resources->outputs[i] == primary) {
        names.insert(names.begin(), std::move(name));
      } else {
        names.push_back(std::move(name));
      }
    }
    xrandr.XRRFreeOutputInfo(output);
  }
  xrandr.XRRFreeScreenResources(resources);
  return names;
}

int X11Screen::Width() const {
  return PrimaryX11ScreenSize().value_or(fallback_).width;
}

int X11Screen::Height() const {
  return PrimaryX11ScreenSize().value_or(fallback_).height;
}

}  // namespace tapisto
