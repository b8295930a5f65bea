#include "desktop/posix/handover/lxqt_handover.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <thread>
#include <vector>

#include "base/text.h"
#include "desktop/posix/os/xdg_folders.h"
#include "image/file_io.h"

extern char** environ;

namespace tapisto {

namespace {

// pcmanfm-qt's --wallpaper-mode words; it has no span, zoom comes closest.
constexpr StyleNames kPcmanfmQtModes{"center", "tile", "stretch", "fit", "zoom", "zoom"};

// A value as Qt's INI format writes it: blanks around it dropped, double-quoted parts
// unquoted, and its escapes undone (\\, \", \n and the like, \xHHHH for a character Qt wrote
// as UTF-16 code unit).
std::string IniValue(std::string_view raw) {
  std::string value;
  bool quoted = false;
  while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t' || raw.back() == '\r')) {
    raw.remove_suffix(1);
  }
  while (!raw.empty() && (raw.front() == ' ' || raw.front() == '\t')) raw.remove_prefix(1);
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const char c = raw[i];
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (c != '\\' || i + 1 == raw.size()) {
      value += c;
      continue;
    }
    const char e = raw[++i];
    switch (e) {
      case 'n':
        value += '\n';
        break;
      case 'r':
        value += '\r';
        break;
      case 't':
        value += '\t';
        break;
      case 'x': {
        char32_t code = 0;
        std::size_t digits = 0;
        while (digits < 4 && i + 1 < raw.size() &&
               std::isxdigit(static_cast<unsigned char>(raw[i + 1]))) {
          const char h = raw[++i];
          code = code * 16 + static_cast<char32_t>(h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10);
          ++digits;
        }
        // A lone UTF-16 surrogate makes no character of its own: AppendUtf8 gives U+FFFD.
        AppendUtf8(value, code);
        break;
      }
      default:  // \\, \", \' and any other character stand for themselves
        value += e;
        break;
    }
  }
  return value;
}

// Waits for `child` to end, at most `seconds`; ends it when it does not. Returns its wait
// status, or nullopt when it had to be ended.
std::optional<int> WaitFor(pid_t child, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  for (;;) {
    int status = 0;
    const pid_t done = ::waitpid(child, &status, WNOHANG);
    if (done == child) return status;
    if (done < 0 && errno != EINTR) return 0;  // reaped elsewhere: nothing more to learn
    if (std::chrono::steady_clock::now() >= deadline) {
      ::kill(child, SIGKILL);
      while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
      }
      return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace

std::vector<std::string> PcmanfmQtArguments(const DesktopPicture& picture) {
  if (picture.file.empty()) return {"--wallpaper-mode", "color"};
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(picture.file, ec);
  return {"--set-wallpaper", ec ? picture.file : absolute.string(), "--wallpaper-mode",
          std::string(NameOfStyle(kPcmanfmQtModes, picture.style))};
}

ShownDesktop ShownFromPcmanfmQtSettings(std::string_view text) {
  ShownDesktop shown;
  std::optional<std::string> wallpaper, mode;
  bool inDesktop = false;
  std::istringstream lines{std::string(text)};
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.starts_with("[")) {
      inDesktop = line == "[Desktop]";
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!inDesktop || equals == std::string::npos) continue;
    const std::string key = IniValue(std::string_view(line).substr(0, equals));
    const std::string value = IniValue(std::string_view(line).substr(equals + 1));
    if (key == "Wallpaper") wallpaper = value;
    if (key == "WallpaperMode") mode = value;
    if (key == "BgColor") shown.background = ParseGnomeColour(value);
  }
  if (mode == "color" || (wallpaper && wallpaper->empty())) {
    shown.picture = "";
  } else {
    shown.picture = wallpaper;
    if (mode) shown.style = StyleNamed(kPcmanfmQtModes, *mode);
  }
  return shown;
}

void LxqtHandOver::HandOver(const DesktopPicture& picture) {
  std::vector<std::string> arguments = PcmanfmQtArguments(picture);
  std::string program = "pcmanfm-qt";
  std::vector<char*> argv{program.data()};
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t files;
  posix_spawnattr_t attributes;
  ::posix_spawn_file_actions_init(&files);
  ::posix_spawnattr_init(&attributes);
  // Its output is of no use here; the child starts with no signal blocked and every signal at
  // its default, whatever the calling thread has set.
  ::posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
  ::posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
  ::posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
  sigset_t none;
  sigset_t all;
  sigemptyset(&none);
  sigfillset(&all);
  ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  ::posix_spawnattr_setsigmask(&attributes, &none);
  ::posix_spawnattr_setsigdefault(&attributes, &all);
  pid_t child = 0;
  const int started =
      ::posix_spawnp(&child, program.c_str(), &files, &attributes, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&files);
  ::posix_spawnattr_destroy(&attributes);
  if (started != 0) {
    throw DesktopError("pcmanfm-qt lässt sich nicht starten: " +
                       std::string(std::strerror(started)));
  }
  const std::optional<int> status = WaitFor(child, kTimeoutSeconds);
  if (!status) {
    throw DesktopError("pcmanfm-qt hat nicht binnen " + std::to_string(kTimeoutSeconds) +
                       " Sekunden geendet");
  }
  if (WIFSIGNALED(*status)) {
    throw DesktopError("pcmanfm-qt endete durch das Signal " + std::to_string(WTERMSIG(*status)));
  }
  if (WIFEXITED(*status) && WEXITSTATUS(*status) != 0) {
    throw DesktopError("pcmanfm-qt endete mit dem Status " + std::to_string(WEXITSTATUS(*status)));
  }
}

ShownDesktop LxqtHandOver::ReadShown() {
  const std::string config = ConfigHome();
  if (config.empty()) return {};
  const std::string path = JoinUnderFolder(config, "pcmanfm-qt/lxqt/settings.conf");
  if (!std::filesystem::exists(path)) return {};
  // Read through the program's own reader: a named pipe or an outsized file in its place is
  // refused, never waited on. A settings file is a few kilobytes.
  constexpr std::int64_t kMaxSettingsBytes = 1 << 20;
  try {
    const std::vector<std::uint8_t> bytes = ReadWholeFile(path, kMaxSettingsBytes);
    return ShownFromPcmanfmQtSettings(std::string(bytes.begin(), bytes.end()));
  } catch (const Error& e) {
    throw DesktopError(e.what());
  }
}

}  // namespace tapisto
