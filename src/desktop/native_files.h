// The Files backend of the system the program is built for, for programs and tests that work
// on real files: the build compiles exactly one backend folder (desktop/win32 on Windows,
// desktop/posix elsewhere) and links it as tapisto_desktop_native.
#pragma once

#ifdef _WIN32
#include "desktop/win32/win32_files.h"
#else
#include "desktop/posix/os/posix_files.h"
#endif

namespace tapisto {

#ifdef _WIN32
using NativeFiles = Win32Files;
#else
using NativeFiles = PosixFiles;
#endif

}  // namespace tapisto
