#include "desktop/posix/handover/loaded_library.h"

#include <dlfcn.h>

namespace tapisto {

namespace {

std::string LoaderReason() {
  const char* reason = dlerror();
  return reason != nullptr ? reason : "unbekannter Grund";
}

}  // namespace

LoadedLibrary::LoadedLibrary(const char* soname) : soname_(soname) {
  // RTLD_NOW: a library that lacks a function its own dependencies need fails here, not at
  // some later call. RTLD_LOCAL: its symbols do not take part in resolving anyone else's.
  handle_ = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    throw DesktopError("Die Bibliothek " + soname_ + " lässt sich nicht laden: " + LoaderReason());
  }
}

void* LoadedLibrary::Function(const char* name) const {
  dlerror();
  void* address = dlsym(handle_, name);
  if (address == nullptr) {
    throw DesktopError("Der Bibliothek " + soname_ + " fehlt die Funktion " + name + ": " +
                       LoaderReason());
  }
  return address;
}

}  // namespace tapisto
