// A shared library the hand-over loads on first use (dlopen) instead of linking it: Xlib,
// XRandR and GIO cost every start of the program the time to load and relocate them, while
// only some desktops need them, and only when the wallpaper is handed over. Each library's
// functions are a table of pointers filled once (x11_functions.h, gio_functions.h); a library
// or function that is missing is a DesktopError naming it, as any other desktop failure.
#pragma once

#include <string>

#include "desktop/posix/handover/requested_desktop.h"

namespace tapisto {

class LoadedLibrary {
 public:
  // Loads `soname` ("libX11.so.6") with its dependencies, its symbols kept to itself; throws
  // DesktopError with the loader's reason when it cannot. The library stays loaded for the
  // life of the process (GLib's types cannot be unloaded), so the object only names it.
  explicit LoadedLibrary(const char* soname);

  // The address of function `name` of the library or of a library it depends on; throws
  // DesktopError naming both when there is none.
  void* Function(const char* name) const;

  // Fills `pointer` with function `name`.
  template <typename F>
  void Load(F*& pointer, const char* name) const {
    pointer = reinterpret_cast<F*>(Function(name));
  }

 private:
  std::string soname_;
  void* handle_ = nullptr;
};

}  // namespace tapisto

// For the tables of functions: a list macro names each function once (F(XOpenDisplay)); these
// make of it a member of the function's own type and name, and fill that member from `library`
// into `table`.
#define TAPISTO_FUNCTION_MEMBER(name) decltype(&::name) name = nullptr;
#define TAPISTO_LOAD_FUNCTION(name) library.Load(table.name, #name);
