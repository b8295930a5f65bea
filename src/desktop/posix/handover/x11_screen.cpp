#include "desktop/posix/handover/x11_screen.h"

#include <X11/extensions/Xrandr.h>

#include "desktop/posix/handover/x11_display.h"

namespace tapisto {

namespace {

// The size of the CRTC showing the primary output; nullopt when there is none or it is off.
std::optional<ScreenSize> PrimaryOutputSize(Display* display, Window root) {
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (!XRRQueryExtension(display, &eventBase, &errorBase) ||
      !XRRQueryVersion(display, &major, &minor) || (major == 1 && minor < 3)) {
    return std::nullopt;
  }
  const RROutput primary = XRRGetOutputPrimary(display, root);
  if (primary == 0) return std::nullopt;
  std::optional<ScreenSize> size;
  if (XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root)) {
    if (XRROutputInfo* output = XRRGetOutputInfo(display, resources, primary)) {
      if (output->crtc != 0) {
        if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, output->crtc)) {
          if (crtc->width > 0 && crtc->height > 0) {
            size = ScreenSize{static_cast<int>(crtc->width), static_cast<int>(crtc->height)};
          }
          XRRFreeCrtcInfo(crtc);
        }
      }
      XRRFreeOutputInfo(output);
    }
    XRRFreeScreenResources(resources);
  }
  return size;
}

}  // namespace

std::optional<ScreenSize> PrimaryX11ScreenSize() {
  const x11::DisplayPtr display = x11::OpenDisplay();
  if (!display) return std::nullopt;
  Display* d = display.get();
  if (const std::optional<ScreenSize> size = PrimaryOutputSize(d, XDefaultRootWindow(d))) {
    return size;
  }
  const int screen = XDefaultScreen(d);
  return ScreenSize{XDisplayWidth(d, screen), XDisplayHeight(d, screen)};
}

std::vector<std::string> ConnectedX11OutputNames() {
  std::vector<std::string> names;
  const x11::DisplayPtr display = x11::OpenDisplay();
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (!display || !XRRQueryExtension(display.get(), &eventBase, &errorBase) ||
      !XRRQueryVersion(display.get(), &major, &minor) || (major == 1 && minor < 3)) {
    return names;
  }
  Display* d = display.get();
  const Window root = XDefaultRootWindow(d);
  const RROutput primary = XRRGetOutputPrimary(d, root);
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(d, root);
  if (resources == nullptr) return names;
  for (int i = 0; i < resources->noutput; ++i) {
    XRROutputInfo* output = XRRGetOutputInfo(d, resources, resources->outputs[i]);
    if (output == nullptr) continue;
    if (output->connection == RR_Connected && output->crtc != 0) {
      std::string name(output->name, static_cast<std::size_t>(output->nameLen));
      if (resources->outputs[i] == primary) {
        names.insert(names.begin(), std::move(name));
      } else {
        names.push_back(std::move(name));
      }
    }
    XRRFreeOutputInfo(output);
  }
  XRRFreeScreenResources(resources);
  return names;
}

int X11Screen::Width() const {
  return PrimaryX11ScreenSize().value_or(fallback_).width;
}

int X11Screen::Height() const {
  return PrimaryX11ScreenSize().value_or(fallback_).height;
}

}  // namespace tapisto
