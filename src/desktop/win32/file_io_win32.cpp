// Whole-file reads and writes on Windows, through the C++ library's wide-path streams; a
// file's identity from its handle.
#include "image/file_io.h"

// This file belongs to the image library, which names none of the ports' methods that the
// macros of <windows.h> would rename.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>

#include "base/error.h"

namespace tapisto {

namespace fs = std::filesystem;

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
  // No access to the contents is asked, and every sharing is allowed: the file may be open
  // elsewhere. Folders open only with backup semantics.
  const HANDLE file = ::CreateFileW(PathFromUtf8(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = ::GetFileInformationByHandle(file, &info) != 0;
  ::CloseHandle(file);
  if (!known) return std::nullopt;
  auto join = [](DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | static_cast<std::uint64_t>(low);
  };
  return FileIdentity{info.dwVolumeSerialNumber, join(info.nFileIndexHigh, info.nFileIndexLow),
                      join(info.nFileSizeHigh, info.nFileSizeLow),
                      static_cast<std::int64_t>(join(info.ftLastWriteTime.dwHighDateTime,
                                                     info.ftLastWriteTime.dwLowDateTime))};
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::int64_t maxBytes) {
  // A folder or a device is no picture: refused before a stream reports a nonsense size.
  std::error_code typeError;
  const fs::file_status status = fs::status(PathFromUtf8(path), typeError);
  if (!typeError && fs::exists(status) && !fs::is_regular_file(status)) {
    throw FileReadError("cannot read file \"" + path + "\": not a regular file");
  }
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) throw FileReadError("cannot open file \"" + path + "\"");
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) throw FileReadError("cannot read file \"" + path + "\"");
  if (size > maxBytes) {
    throw ImageTooLargeError("file \"" + path + "\" has " + std::to_string(size) +
                             " bytes, over the limit of " + std::to_string(maxBytes));
  }
  in.seekg(0, std::ios::beg);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) {
    throw FileReadError("cannot read file \"" + path + "\"");
  }
  return bytes;
}

bool CanReplaceFile(const std::string& path) {
  const fs::path target = PathFromUtf8(path);
  std::error_code existsError;
  if (!fs::exists(target, existsError)) return true;
  std::ofstream probe(target, std::ios::binary | std::ios::app);
  return static_cast<bool>(probe);
}

// Durability is not asked of this writer on Windows: the settings live in the registry.
void WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes, WriteDurability) {
  const fs::path target = PathFromUtf8(path);
  // A file that exists but may not be written (read-only) stays as it is, as a direct write
  // would leave it; the rename below would otherwise replace it regardless.
  if (!CanReplaceFile(path)) {
    throw FileWriteError("cannot write file \"" + path + "\": " + std::strerror(errno));
  }
  // A name of our own beside the target, so the rename stays inside one file system.
  std::random_device rd;
  fs::path temp = target;
  temp += fs::path(".tapisto-" + std::to_string(rd()) + ".tmp");
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) throw FileWriteError("cannot create file \"" + path + "\": " + std::strerror(errno));
    if (!bytes.empty()) {
      out.write(reinterpret_cast<const char*>(bytes.data()),
                static_cast<std::streamsize>(bytes.size()));
    }
    out.flush();
    if (!out) {
      const int error = errno;
      out.close();
      std::error_code ignored;
      fs::remove(temp, ignored);
      throw FileWriteError("cannot write file \"" + path + "\": " + std::strerror(error));
    }
  }
  std::error_code ec;
  fs::rename(temp, target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    throw FileWriteError("cannot replace file \"" + path + "\": " + ec.message());
  }
}

}  // namespace tapisto
