#include "desktop/posix/handover/sway_handover.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

namespace tapisto {

namespace {

using Clock = std::chrono::steady_clock;

// How long one request (connecting, sending, the whole answer) may take before sway counts as
// not reachable.
constexpr auto kTimeout = std::chrono::seconds(5);

// The IPC message types used here.
constexpr std::uint32_t kRunCommand = 0;
constexpr std::uint32_t kGetOutputs = 3;

// "i3-ipc", then the payload's length and the message type as 32-bit numbers in the host's
// byte order, then the payload.
constexpr std::string_view kMagic = "i3-ipc";
constexpr std::size_t kHeaderSize = kMagic.size() + 8;

std::string Reason(int error) {
  return std::strerror(error);
}

// One connection to the IPC socket, closed at destruction; every wait ends at the deadline.
class SwayConnection {
 public:
  SwayConnection() : deadline_(Clock::now() + kTimeout) {
    const char* socketPath = std::getenv("SWAYSOCK");
    path_ = socketPath != nullptr ? socketPath : "";
    if (path_.empty()) throw DesktopError("SWAYSOCK nennt keinen Socket");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path_.size() >= sizeof address.sun_path) {
      throw DesktopError("Der Pfad in SWAYSOCK ist zu lang: " + path_);
    }
    std::memcpy(address.sun_path, path_.c_str(), path_.size() + 1);
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0) throw DesktopError("Kein Socket für Sway: " + Reason(errno));
    // A listening socket whose queue is full answers EAGAIN: try again until the deadline.
    while (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      const int error = errno;
      if (error == EINTR) continue;
      if (error == EAGAIN && Clock::now() < deadline_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        continue;
      }
      if (error == EINPROGRESS) {
        WaitFor(POLLOUT);
        int result = 0;
        socklen_t size = sizeof result;
        ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &result, &size);
        if (result == 0) break;
        Close();
        throw Unreachable(result);
      }
      Close();
      throw Unreachable(error);
    }
  }
  ~SwayConnection() { Close(); }
  SwayConnection(const SwayConnection&) = delete;
  SwayConnection& operator=(const SwayConnection&) = delete;

  // Sends one message and returns the payload of sway's answer to it.
  std::string Exchange(std::uint32_t type, std::string_view payload) {
    if (payload.size() > kJsonMaxBytes) throw DesktopError("Der Sway-Befehl ist zu lang");
    std::string message(kMagic);
    AppendNumber(message, static_cast<std::uint32_t>(payload.size()));
    AppendNumber(message, type);
    message += payload;
    Send(message);

    const std::string header = Receive(kHeaderSize);
    if (std::string_view(header).substr(0, kMagic.size()) != kMagic) {
      throw DesktopError("Sway antwortet nicht im i3-ipc-Format");
    }
    const std::uint32_t length = NumberAt(header, kMagic.size());
    const std::uint32_t answerType = NumberAt(header, kMagic.size() + 4);
    if (answerType != type) throw DesktopError("Sway antwortet auf eine andere Anfrage");
    if (length > kJsonMaxBytes) throw DesktopError("Die Antwort von Sway ist zu lang");
    return Receive(length);
  }

 private:
  DesktopError Unreachable(int error) const {
    return DesktopError("Sway ist über SWAYSOCK (" + path_ +
                        ") nicht erreichbar: " + Reason(error));
  }

  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  static void AppendNumber(std::string& out, std::uint32_t number) {
    char bytes[4];
    std::memcpy(bytes, &number, 4);
    out.append(bytes, 4);
  }

  static std::uint32_t NumberAt(const std::string& bytes, std::size_t at) {
    std::uint32_t number = 0;
    std::memcpy(&number, bytes.data() + at, 4);
    return number;
  }

  // Waits until the socket is ready for `events`; throws when the deadline passes first.
  void WaitFor(short events) {
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now());
      if (left.count() <= 0) {
        throw DesktopError("Sway hat nicht binnen " +
                           std::to_string(std::chrono::seconds(kTimeout).count()) +
                           " Sekunden geantwortet");
      }
      pollfd p{fd_, events, 0};
      const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
      if (ready > 0) return;
      if (ready < 0 && errno != EINTR) throw DesktopError("Sway: " + Reason(errno));
    }
  }

  void Send(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent > 0) {
        bytes.remove_prefix(static_cast<std::size_t>(sent));
      } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        WaitFor(POLLOUT);
      } else if (sent < 0 && errno != EINTR) {
        throw DesktopError("Sway nimmt den Befehl nicht an: " + Reason(errno));
      }
    }
  }

  std::string Receive(std::size_t size) {
    std::string bytes(size, '\0');
    std::size_t have = 0;
    while (have < size) {
      const ssize_t got = ::recv(fd_, bytes.data() + have, size - have, 0);
      if (got > 0) {
        have += static_cast<std::size_t>(got);
      } else if (got == 0) {
        throw DesktopError("Sway hat die Verbindung vor der Antwort geschlossen");
      } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
        WaitFor(POLLIN);
      } else if (errno != EINTR) {
        throw DesktopError("Sway antwortet nicht: " + Reason(errno));
      }
    }
    return bytes;
  }

  Clock::time_point deadline_;
  std::string path_;
  int fd_ = -1;
};

// swaybg's modes; swaybg draws each output alone, so fill comes closest to span.
constexpr StyleNames kSwayModes{"center", "tile", "stretch", "fit", "fill", "fill"};

bool IsAsciiAlphanumeric(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string EscapedPath(const std::string& path) {
  std::string escaped;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      throw DesktopError("Sway kann keinen Pfad mit Steuerzeichen übernehmen: \"" + path + "\"");
    }
    // Bytes of non-ASCII letters mean nothing to sway's parser nor to wordexp: they stay.
    if (byte < 0x80 && !IsAsciiAlphanumeric(byte)) escaped += '\\';
    escaped += c;
  }
  return escaped;
}

// Throws unless `file` is a regular file that this user can open for reading.
void CheckReadableFile(const std::string& file) {
  // Not blocking: a FIFO in the file's place must not stall the program.
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    throw DesktopError("Die Bilddatei \"" + file + "\" ist nicht lesbar: " + Reason(errno));
  }
  struct stat status {};
  const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
  ::close(fd);
  if (!regular) throw DesktopError("\"" + file + "\" ist keine Bilddatei");
}

// The failure a RUN_COMMAND reply tells (an array with one result for each command);
// "" when every command succeeded.
std::string CommandFailure(const std::string& reply) {
  const std::optional<JsonValue> results = ParseJson(reply);
  if (!results || results->kind != JsonValue::Kind::Array || results->items.empty()) {
    return "Sway hat unverständlich geantwortet";
  }
  for (const JsonValue& result : results->items) {
    if (result.BoolMember("success").value_or(false)) continue;
    return "Sway lehnt den Befehl ab: " +
           result.StringMember("error").value_or("ohne Angabe eines Grundes");
  }
  return "";
}

}  // namespace

std::string SwayBackgroundCommand(const DesktopPicture& picture) {
  const std::string colour = GnomeColour(picture.background);
  if (picture.file.empty()) return "output * bg " + colour + " solid_color";
  return "output * bg " + EscapedPath(picture.file) + " " +
         std::string(NameOfStyle(kSwayModes, picture.style)) + " " + colour;
}

std::optional<ScreenSize> ScreenSizeOfSwayOutputs(const JsonValue& outputs) {
  if (outputs.kind != JsonValue::Kind::Array) return std::nullopt;
  const JsonValue* chosen = nullptr;
  for (const JsonValue& output : outputs.items) {
    if (!output.BoolMember("active").value_or(false)) continue;
    if (output.BoolMember("focused").value_or(false)) {
      chosen = &output;
      break;
    }
    if (chosen == nullptr) chosen = &output;
  }
  if (chosen == nullptr) return std::nullopt;
  const JsonValue* mode = chosen->Member("current_mode");
  if (mode == nullptr) return std::nullopt;
  const std::optional<long long> width = mode->IntegerMember("width");
  const std::optional<long long> height = mode->IntegerMember("height");
  if (!width || !height || *width <= 0 || *height <= 0 || *width > 1 << 16 || *height > 1 << 16) {
    return std::nullopt;
  }
  ScreenSize size{static_cast<int>(*width), static_cast<int>(*height)};
  // The mode is the monitor's own; turned by a quarter, the desktop on it is the other way.
  const std::string transform = chosen->StringMember("transform").value_or("normal");
  if (transform.ends_with("90") || transform.ends_with("270")) {
    std::swap(size.width, size.height);
  }
  return size;
}

void SwayHandOver::HandOver(const DesktopPicture& picture) {
  DesktopPicture absolute = picture;
  if (!picture.file.empty()) {
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::absolute(picture.file, ec);
    if (!ec) absolute.file = path.string();
    CheckReadableFile(absolute.file);
  }
  const std::string command = SwayBackgroundCommand(absolute);
  const std::string failure = CommandFailure(SwayConnection().Exchange(kRunCommand, command));
  if (!failure.empty()) throw DesktopError(failure);
}

std::optional<ScreenSize> SwayHandOver::ShownScreenSize() {
  try {
    const std::optional<JsonValue> outputs = ParseJson(SwayConnection().Exchange(kGetOutputs, ""));
    return outputs ? ScreenSizeOfSwayOutputs(*outputs) : std::nullopt;
  } catch (const DesktopError&) {
    return std::nullopt;
  }
}

}  // namespace tapisto
