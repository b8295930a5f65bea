// A file held open the way another program holds a file it wants to itself, so that the
// program's in-use test (IsFileLocked) sees it busy: on Windows a handle opened with share
// mode 0, on POSIX an open descriptor with an exclusive flock().
#pragma once

#include <cstdint>
#include <string>

namespace tapisto::test {

class HeldFile {
 public:
  // Opens and holds `path`, which must exist; held() tells whether that worked.
  explicit HeldFile(const std::string& path);
  ~HeldFile() { Release(); }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

  bool held() const noexcept { return held_; }
  void Release();

 private:
  bool held_ = false;
  // The platform's handle or descriptor, widened.
  std::intptr_t handle_ = -1;
};

}  // namespace tapisto::test
