// Port: files and folders by UTF-8 path. Picture bytes themselves are read and written by the
// image layer; this port holds what differs between systems.
#pragma once

#include <string>

namespace tapisto {

class Files {
 public:
  virtual ~Files() = default;
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool DirectoryExists(const std::string& path) = 0;
  // Creates one folder level; false when it could not be created.
  virtual bool CreateDirectory(const std::string& path) = 0;
  // Copies, replacing an existing target; false on failure.
  virtual bool CopyFile(const std::string& from, const std::string& to) = 0;
  virtual bool DeleteFile(const std::string& path) = 0;
  // Opens the existing file for reading and writing with no sharing and closes it again at
  // once; false when that fails (another process has it, access is denied, it is read-only).
  virtual bool CanOpenExclusively(const std::string& path) = 0;
};

}  // namespace tapisto
