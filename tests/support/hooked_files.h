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
    return Before("FileExists", path).FileExists(path);
  }
  bool DirectoryExists(const std::string& path) override {
    return Before("DirectoryExists", path).DirectoryExists(path);
  }
  bool CreateDirectory(const std::string& path) override {
    return Before("CreateDirectory", path).CreateDirectory(path);
  }
  bool CopyFile(const std::string& from, const std::string& to) override {
    return Before("CopyFile", to).CopyFile(from, to);
  }
  bool DeleteFile(const std::string& path) override {
    return Before("DeleteFile", path).DeleteFile(path);
  }
  bool CanOpenExclusively(const std::string& path) override {
    return Before("CanOpenExclusively", path).CanOpenExclusively(path);
  }

 private:
  NativeFiles& Before(const char* call, const std::string& path) {
    if (before) before(call, path);
    return native_;
  }
  NativeFiles native_;
};

}  // namespace tapisto::test
