// The functions of Xlib (libX11) and XRandR (libXrandr) the X11 sources of this folder call,
// loaded on first use (loaded_library.h). They are called through the table by their usual
// names: Xlib().XOpenDisplay(name). Xlib's macros that read the Display structure itself
// (XPutPixel, XDestroyImage through the image's own functions) need no table.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include "desktop/posix/handover/loaded_library.h"

#define TAPISTO_XLIB_FUNCTIONS(F) \
  F(XOpenDisplay)                 \
  F(XCloseDisplay)                \
  F(XDefaultRootWindow)           \
  F(XDefaultScreen)               \
  F(XDefaultVisual)               \
  F(XDefaultDepth)                \
  F(XDisplayWidth)                \
  F(XDisplayHeight)               \
  F(XSetErrorHandler)             \
  F(XSync)                        \
  F(XFree)                        \
  F(XCreateImage)                 \
  F(XCreatePixmap)                \
  F(XFreePixmap)                  \
  F(XCreateGC)                    \
  F(XFreeGC)                      \
  F(XPutImage)                    \
  F(XInternAtom)                  \
  F(XGetWindowProperty)           \
  F(XChangeProperty)              \
  F(XSetWindowBackgroundPixmap)   \
  F(XClearWindow)                 \
  F(XKillClient)                  \
  F(XSetCloseDownMode)

#define TAPISTO_XRANDR_FUNCTIONS(F) \
  F(XRRQueryExtension)              \
  F(XRRQueryVersion)                \
  F(XRRGetMonitors)                 \
  F(XRRFreeMonitors)                \
  F(XRRGetOutputPrimary)            \
  F(XRRGetScreenResourcesCurrent)   \
  F(XRRFreeScreenResources)         \
  F(XRRGetOutputInfo)               \
  F(XRRFreeOutputInfo)              \
  F(XRRGetCrtcInfo)                 \
  F(XRRFreeCrtcInfo)

namespace tapisto::x11 {

struct XlibFunctions {
  TAPISTO_XLIB_FUNCTIONS(TAPISTO_FUNCTION_MEMBER)
};

struct XRandRFunctions {
  TAPISTO_XRANDR_FUNCTIONS(TAPISTO_FUNCTION_MEMBER)
};

// libX11.so.6's functions, loaded at the first call; throws DesktopError when the library or
// one of the functions is missing (and tries again at the next call).
const XlibFunctions& Xlib();

// libXrandr.so.2's functions, the same way.
const XRandRFunctions& XRandR();

}  // namespace tapisto::x11
