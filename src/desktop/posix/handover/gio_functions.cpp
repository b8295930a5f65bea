#include "desktop/posix/handover/gio_functions.h"

namespace tapisto {

const GioFunctions& Gio() {
  static const GioFunctions functions = [] {
    const LoadedLibrary library("libgio-2.0.so.0");
    GioFunctions table;
    TAPISTO_GIO_FUNCTIONS(TAPISTO_LOAD_FUNCTION)
    return table;
  }();
  return functions;
}

}  // namespace tapisto
