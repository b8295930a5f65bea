// The system's files backend with a hook run before each call, so that a test can make one call
// raise an error (as a failing system call would raise one in a real backend).
#pragma once

#include <functional>
#include <string>

#include "desktop/native_files.h"

namespace tapisto::test {

class HookedFiles final : public Files {
 public:
  // Called with the port function's name ("CreateDirectory" ...) and the path; may throw.
  std::function<void(const std::string& call, const std::string& path)> before;

  bool FileExists(const std::string& path) override {
    Before("FileExists", path);
    return native_.FileExists(path);
  }
  bool DirectoryExists(const std::string& path) override {
    Before("DirectoryExists", path);
    return native_.DirectoryExists(path);
  }
  bool CreateDirectory(const std::string& path) override {
    Before("CreateDirectory", path);
    return native_.CreateDirectory(path);
  }
  bool CopyFile(const std::string& from, const std::string& to) override {
    Before("CopyFile", to);
    return native_.CopyFile(from, to);
  }
  bool DeleteFile(const std::string& path) override {
    Before("DeleteFile", path);
    return native_.DeleteFile(path);
  }
  bool CanOpenExclusively(const std::string& path) override {
    Before("CanOpenExclusively", path);
    return native_.CanOpenExclusively(path);
  }

 private:
  void Before(const char* call, const std::string& path) {
    if (before) before(call, path);
  }
  NativeFiles native_;
};

}  // namespace tapisto::test
