// Reading and writing whole files by UTF-8 path. The interface is portable; the system calls
// behind it are the platform's own (desktop/posix/os/file_io_posix.cpp,
// desktop/win32/file_io_win32.cpp), and CMake compiles exactly one of them into this library.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
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

// What tells one version of a file from another: which file of which volume it is, its size
// and its modification time. A file replaced under the same name is another file even with the
// same size and time; equal identities mean the same file, unchanged as far as the system
// tells.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t file = 0;  // the inode on POSIX, the file index on Windows
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // in the system's own units
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the file `path` names (a link is followed); nullopt when there is no such
// file or it cannot be examined.
std::optional<FileIdentity> IdentifyFile(const std::string& path);

// Whether WriteWholeFile may replace `path`: the file (when it exists) and its folder may be
// written. On POSIX systems a file or folder whose mode grants nobody write access counts as
// not writable for root too.
bool CanReplaceFile(const std::string& path);

enum class WriteDurability {
  // Replaced atomically, not flushed to the disk: a picture that is made again from its
  // sources at the next step, so an offset step stays fast.
  Atomic,
  // The user's own data (the settings hive): the new file is flushed to the disk before the
  // rename and its folder after it, so a power cut keeps the old or the new content.
  Durable,
};

// Replaces `path` with `bytes` so that the old file stays whole until the new one is complete:
// the bytes go to a temporary file in the same folder, which is then renamed over `path`. A
// symbolic link is followed (the link stays, the file it names is replaced), and the replaced
// file keeps its owner (where permitted), group and permissions; a new file gets 0666 less the
// umask (0600 when Durable). A file with several hard links is written in place instead, after
// a backup copy, so that every name keeps seeing one file. A file that CanReplaceFile refuses is
// not touched. Throws
// FileWriteError (the old file untouched, the temporary file removed) when any step fails; its
// message names the file and the system's reason.
void WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes,
                    WriteDurability durability = WriteDurability::Atomic);

}  // namespace tapisto
