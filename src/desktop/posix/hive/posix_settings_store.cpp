#include "desktop/posix/hive/posix_settings_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include "desktop/posix/hive/hive_lock.h"
#include "desktop/posix/os/xdg_folders.h"
#include "image/file_io.h"

namespace tapisto {

namespace {

[[noreturn]] void WrongType(const std::string& name) {
  throw SettingsError("Ungültiger Datentyp für '" + name + "'");
}

// The file's bytes and, in `st`, what fstat() said of it when it was opened.
std::string ReadHiveBytes(const std::string& path, struct stat& st) {
  // O_NONBLOCK: a named pipe in the hive's place must not make the open wait for a writer; the
  // type check on the open descriptor refuses it (and anything else that is no regular file).
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    throw SettingsError("Kann die Registry-Datei \"" + path +
                        "\" nicht öffnen: " + std::strerror(errno));
  }
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw SettingsError("Registry-Datei \"" + path + "\" ist keine gewöhnliche Datei");
  }
  if (st.st_size > kMaxHiveFileBytes) {
    ::close(fd);
    throw SettingsError("Registry-Datei \"" + path + "\" ist mit " + std::to_string(st.st_size) +
                        " Bytes zu groß (höchstens " + std::to_string(kMaxHiveFileBytes) + ")");
  }
  std::string bytes;
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      throw SettingsError("Kann die Registry-Datei \"" + path +
                          "\" nicht lesen: " + std::strerror(error));
    }
    if (n == 0) break;
    // The file may have grown since stat(); the limit holds for what is actually read.
    if (bytes.size() + static_cast<std::size_t>(n) > static_cast<std::size_t>(kMaxHiveFileBytes)) {
      ::close(fd);
      throw SettingsError("Registry-Datei \"" + path + "\" ist zu groß");
    }
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return bytes;
}

// Whether two stat() results describe one unchanged file: the same file (a replacement through
// rename is another), size, and modification and change times to the nanosecond.
bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
         a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// Names and texts go into a line-based UTF-8 file: they must be UTF-8, and a name cannot hold
// a line break (a string value can: it is written in the hex form then).
void CheckWritable(const std::string& name, const std::string* text) {
  if (!IsValidUtf8(name) || name.find_first_of("\r\n") != std::string::npos) {
    throw SettingsError("Ungültiger Wertname '" + name + "'");
  }
  if (text != nullptr && !IsValidUtf8(*text)) {
    throw SettingsError("Der Wert '" + name + "' ist kein gültiger UTF-8-Text");
  }
}

class PosixSettingsKey final : public SettingsKey {
 public:
  PosixSettingsKey(PosixSettingsStore& store, std::string path)
      : store_(store), path_(std::move(path)) {}

  std::string ReadString(const std::string& name, const std::string& fallback) override {
    const Hive& hive = store_.Current();
    const HiveValue* value = Find(hive, name);
    if (value == nullptr) return fallback;
    if (value->type != ValueType::String) WrongType(name);
    return value->text;
  }

  bool ValueExists(const std::string& name) override {
    const Hive& hive = store_.Current();
    return Find(hive, name) != nullptr;
  }

  std::int64_t ValueSize(const std::string& name) override {
    const Hive& hive = store_.Current();
    const HiveValue* value = Find(hive, name);
    return value == nullptr ? -1 : DataSize(*value);
  }

  // A missing value gives no bytes, as the registry's read of a missing value returns size 0.
  std::vector<std::uint8_t> ReadBinary(const std::string& name, std::size_t bufferSize) override {
    const Hive& hive = store_.Current();
    const HiveValue* value = Find(hive, name);
    if (value == nullptr) return {};
    if ((value->type != ValueType::Binary && value->type != ValueType::Other) ||
        value->data.size() > bufferSize) {
      WrongType(name);
    }
    return value->data;
  }

  void WriteString(const std::string& name, const std::string& text) override {
    CheckWritable(name, &text);
    Write(MakeStringValue(name, text));
  }

  void WriteBinary(const std::string& name, const std::vector<std::uint8_t>& data) override {
    CheckWritable(name, nullptr);
    Write(MakeBinaryValue(name, data));
  }

 private:
  const HiveValue* Find(const Hive& hive, const std::string& name) const {
    const HiveKey* key = hive.FindKey(path_);
    return key == nullptr ? nullptr : FindValue(*key, name);
  }

  // Replaces the value in its place, or appends it to its key. The lock keeps another writer
  // from replacing the file between this read and this write.
  void Write(HiveValue value) {
    const HiveLock lock(store_.HivePath());
    // Changed in place: a failed save makes the store parse the file again.
    Hive& hive = store_.CurrentForChange(PosixSettingsStore::HiveLocking::AlreadyHeld);
    if (!hive.KeyExists(path_)) {
      throw SettingsError("Der Schlüssel \"" + path_ + "\" existiert nicht mehr");
    }
    HiveKey& key = hive.SectionFor(path_);
    if (HiveValue* existing = FindValue(key, value.name)) {
      value.name = existing->name;  // the stored spelling of the name stays
      *existing = std::move(value);
    } else {
      key.values.push_back(std::move(value));
    }
    store_.Save(hive);
  }

  PosixSettingsStore& store_;
  std::string path_;
};

}  // namespace

PosixSettingsStore::PosixSettingsStore(std::string hivePath, FreshHiveSeed seed)
    : path_(std::move(hivePath)), seed_(std::move(seed)) {}

std::string PosixSettingsStore::DefaultHivePath() {
  const std::string config = ConfigHome();
  return config.empty() ? std::string()
                        : JoinUnderFolder(JoinUnderFolder(config, "tapisto"), "HKCU.reg");
}

std::unique_ptr<SettingsKey> PosixSettingsStore::OpenKey(const std::string& path) {
  const std::string trimmed(TrimKeyPath(path));
  if (!Current().KeyExists(trimmed)) return nullptr;
  // Keys are opened for reading and writing, as the program opens them in the registry: a hive
  // file or folder the user may not write is the registry's "access denied".
  if (!CanReplaceFile(path_)) return nullptr;
  return std::make_unique<PosixSettingsKey>(*this, trimmed);
}

Hive PosixSettingsStore::Load(HiveLocking locking) {
  return Current(locking);
}

const Hive& PosixSettingsStore::Current(HiveLocking locking) {
  return CurrentForChange(locking);
}

Hive& PosixSettingsStore::CurrentForChange(HiveLocking locking) {
  if (path_.empty()) {
    throw SettingsError("Kein Ort für die Registry-Datei: weder XDG_CONFIG_HOME noch HOME");
  }
  struct stat st {};
  if (::stat(path_.c_str(), &st) != 0) {
    if (errno != ENOENT) {
      throw SettingsError("Kann die Registry-Datei \"" + path_ +
                          "\" nicht öffnen: " + std::strerror(errno));
    }
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::path(path_).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    if (ec) {
      throw SettingsError("Kann den Ordner der Registry-Datei \"" + path_ +
                          "\" nicht anlegen: " + ec.message());
    }
    // Another writer may create it first; then its file is read, not replaced.
    std::optional<HiveLock> lock;
    if (locking == HiveLocking::Take) lock.emplace(path_);
    if (::stat(path_.c_str(), &st) != 0) {
      Hive fresh = FreshDesktopProfile();
      if (seed_) seed_(fresh);
      Save(fresh);
      return cached_;
    }
  }
  if (cacheValid_ && SameFile(st, cachedStat_)) return cached_;
  cacheValid_ = false;
  struct stat read {};
  cached_ = ParseHive(ReadHiveBytes(path_, read), path_);
  cachedStat_ = read;
  cacheValid_ = true;
  return cached_;
}

void PosixSettingsStore::Save(const Hive& hive) {
  cacheValid_ = false;
  try {
    const std::string text = FormatHive(hive);
    WriteWholeFile(path_,
                   std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                   WriteDurability::Durable);
    // What was written is what the file holds: the next read need not parse it again.
    if (::stat(path_.c_str(), &cachedStat_) == 0) {
      if (&hive != &cached_) cached_ = hive;
      cacheValid_ = true;
    }
  } catch (const FileWriteError& e) {
    throw SettingsError("Kann die Registry-Datei nicht schreiben: " + std::string(e.what()));
  }
}

}  // namespace tapisto
