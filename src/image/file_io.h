// Reading and writing whole files by UTF-8 path, portable across Linux and Windows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace tapisto {

// The filesystem path for a UTF-8 text (wide on Windows, bytes on POSIX).
std::filesystem::path PathFromUtf8(const std::string& utf8);

// The whole file. Throws FileReadError when it cannot be opened or read, ImageTooLargeError
// when it is larger than `maxBytes`.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::int64_t maxBytes);

// Replaces `path` with `bytes` so that the old file stays whole until the new one is complete:
// the bytes go to a temporary file in the same folder, which is then renamed over `path`.
// Throws FileWriteError (the old file untouched) when any step fails.
void WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace tapisto
