// Reading and writing whole files by UTF-8 path. The interface is portable; the system calls
// behind it are the platform's own (desktop/posix/os/file_io_posix.cpp,
// desktop/win32/file_io_win32.cpp), and CMake compiles exactly one of them into this library.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace tapisto {

// The filesystem path for a UTF-8 text (wide on Windows, bytes on POSIX).
std::filesystem::path PathFromUtf8(const std::string& utf8);

// The whole file. Throws FileReadError when it cannot be opened or read or is no regular file
// (a folder, a named pipe, a device: these are refused without waiting on them),
// ImageTooLargeError when it is larger than `maxBytes`.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::int64_t maxBytes);

// Replaces `path` with `bytes` so that the old file stays whole until the new one is complete:
// the bytes go to a temporary file in the same folder, which is then renamed over `path`.
// Throws FileWriteError (the old file untouched) when any step fails.
void WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace tapisto
