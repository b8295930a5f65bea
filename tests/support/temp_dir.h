// A scratch folder per test, removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <string>

namespace tapisto::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const noexcept { return path_; }
  // The UTF-8 path of `name` inside the folder.
  std::string File(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

}  // namespace tapisto::test
