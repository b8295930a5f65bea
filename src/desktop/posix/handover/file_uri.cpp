#include "desktop/posix/handover/file_uri.h"

#include <filesystem>
#include <memory>

#include "desktop/posix/handover/gio_functions.h"
#include "desktop/posix/handover/requested_desktop.h"

namespace tapisto {

namespace {

struct Free {
  void operator()(void* memory) const noexcept { Gio().g_free(memory); }
};
using TextPtr = std::unique_ptr<char, Free>;

}  // namespace

std::string FileUri(const std::string& file) {
  if (file.empty()) return "";
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(file, ec);
  GError* error = nullptr;
  TextPtr uri(Gio().g_filename_to_uri(ec ? file.c_str() : absolute.c_str(), nullptr, &error));
  if (!uri) {
    const std::string message = error != nullptr ? error->message : "";
    Gio().g_clear_error(&error);
    throw DesktopError("Der Pfad \"" + file + "\" ergibt keine Datei-URI: " + message);
  }
  return uri.get();
}

std::optional<std::string> PathOfFileUri(const std::string& uri) {
  TextPtr path(Gio().g_filename_from_uri(uri.c_str(), nullptr, nullptr));
  if (!path) return std::nullopt;
  return std::string(path.get());
}

}  // namespace tapisto
