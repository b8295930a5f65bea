// The Files port over the Win32 file functions. Paths are UTF-8, passed on as UTF-16.
#pragma once

#include "ports/files.h"

namespace tapisto {

class Win32Files final : public Files {
 public:
  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  bool CreateDirectory(const std::string& path) override;
  bool CopyFile(const std::string& from, const std::string& to) override;
  bool DeleteFile(const std::string& path) override;
  // CreateFileW for reading and writing with share mode 0: fails while any other handle has
  // the file open, and for a read-only file.
  bool CanOpenExclusively(const std::string& path) override;
};

}  // namespace tapisto
