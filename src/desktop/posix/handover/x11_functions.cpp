#include "desktop/posix/handover/x11_functions.h"

namespace tapisto::x11 {

const XlibFunctions& Xlib() {
  static const XlibFunctions functions = [] {
    const LoadedLibrary library("libX11.so.6");
    XlibFunctions table;
    TAPISTO_XLIB_FUNCTIONS(TAPISTO_LOAD_FUNCTION)
    return table;
  }();
  return functions;
}

const XRandRFunctions& XRandR() {
  static const XRandRFunctions functions = [] {
    const LoadedLibrary library("libXrandr.so.2");
    XRandRFunctions table;
    TAPISTO_XRANDR_FUNCTIONS(TAPISTO_LOAD_FUNCTION)
    return table;
  }();
  return functions;
}

}  // namespace tapisto::x11
