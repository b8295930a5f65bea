#include "support/temp_dir.h"

#include <atomic>
#include <random>
#include <system_error>

#include "image/file_io.h"

namespace tapisto::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  std::random_device rd;
  for (;;) {
    path_ = fs::temp_directory_path() /
            ("tapisto-test-" + std::to_string(rd()) + "-" + std::to_string(counter++));
    std::error_code ec;
    if (fs::create_directory(path_, ec)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::string TempDir::File(const std::string& name) const {
  const auto u8 = (path_ / PathFromUtf8(name)).u8string();
  return std::string(u8.begin(), u8.end());
}

}  // namespace tapisto::test
