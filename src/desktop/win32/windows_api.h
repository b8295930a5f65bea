// <windows.h> for the Win32 backend's sources only; no portable header includes it.
// The Files port's CreateDirectory, CopyFile and DeleteFile share their names with macros of
// <windows.h> that would rename the port's methods, so the macros are removed here and the
// backend calls the wide functions (…W) by their own names.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef CreateDirectory
#undef CopyFile
#undef DeleteFile
