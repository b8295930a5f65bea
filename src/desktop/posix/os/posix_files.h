// The Files port on POSIX systems.
#pragma once

#include "ports/files.h"

namespace tapisto {

class PosixFiles final : public Files {
 public:
  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  bool CreateDirectory(const std::string& path) override;
  bool CopyFile(const std::string& from, const std::string& to) override;
  bool DeleteFile(const std::string& path) override;
  // POSIX has no share modes. The nearest faithful test: the file must open for reading and
  // writing, and no other open file may hold a lock on it (an flock() lock or a POSIX record
  // lock, as programs that want a file to themselves take).
  bool CanOpenExclusively(const std::string& path) override;
};

}  // namespace tapisto
