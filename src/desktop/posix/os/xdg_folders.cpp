#include "desktop/posix/os/xdg_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "base/error.h"
#include "image/file_io.h"

namespace tapisto {

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

// The path a NAME="..." line sets, or "" when the line is not a usable one.
std::string PathOfLine(std::string_view value, std::string_view home) {
  if (value.size() < 2 || value.front() != '"') return "";
  std::string unquoted;
  std::size_t i = 1;
  for (; i < value.size() && value[i] != '"'; ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) ++i;
    unquoted += value[i];
  }
  if (i == value.size()) return "";  // no closing quote
  constexpr std::string_view kHome = "$HOME";
  if (unquoted.starts_with(kHome) &&
      (unquoted.size() == kHome.size() || unquoted[kHome.size()] == '/')) {
    if (home.empty()) return "";
    std::string_view rest = std::string_view(unquoted).substr(kHome.size());
    while (rest.starts_with('/')) rest.remove_prefix(1);
    if (!rest.empty()) return JoinUnderFolder(home, rest);
    while (home.size() > 1 && home.back() == '/') home.remove_suffix(1);
    return std::string(home);
  }
  return unquoted.starts_with('/') ? unquoted : "";
}

}  // namespace

std::string JoinUnderFolder(std::string_view folder, std::string_view name) {
  while (!folder.empty() && folder.back() == '/') folder.remove_suffix(1);
  std::string out(folder);
  out += '/';
  out += name;
  return out;
}

std::string HomeFolder() {
  std::string home = Environment("HOME");
  if (!home.empty()) return home;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr && found->pw_dir != nullptr) {
    home = found->pw_dir;
  }
  return home;
}

std::string ConfigHome() {
  const std::string configured = Environment("XDG_CONFIG_HOME");
  if (configured.starts_with('/')) return configured;
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : JoinUnderFolder(home, ".config");
}

std::string UserDirFromText(std::string_view text, std::string_view name, std::string_view home) {
  std::string found;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = TrimBlanks(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.starts_with('#') || !line.starts_with(name)) continue;
    line.remove_prefix(name.size());
    line = TrimBlanks(line);
    if (!line.starts_with('=')) continue;
    std::string path = PathOfLine(TrimBlanks(line.substr(1)), home);
    if (!path.empty()) found = std::move(path);
  }
  return found;
}

std::string DocumentsFolder() {
  const std::string home = HomeFolder();
  const std::string config = ConfigHome();
  if (!config.empty()) {
    // Read like every other file (a named pipe in its place is refused, not waited on); a
    // file that cannot be read names no folder. Many systems have none: that common case is
    // passed over without the cost of a failed read, the first exception of every start.
    const std::string dirs = JoinUnderFolder(config, "user-dirs.dirs");
    std::string text;
    if (IdentifyFile(dirs)) {
      try {
        const auto bytes = ReadWholeFile(dirs, 1 << 20);
        text.assign(bytes.begin(), bytes.end());
      } catch (const Error&) {
      }
    }
    std::string documents = UserDirFromText(text, "XDG_DOCUMENTS_DIR", home);
    if (!documents.empty()) return documents;
  }
  return home.empty() ? std::string() : JoinUnderFolder(home, "Documents");
}

}  // namespace tapisto
