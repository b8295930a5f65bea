// The settings under test on Windows: the real registry through the Win32 store, under a
// scratch key of HKEY_CURRENT_USER that stands for the current user's root. The program opens
// "Control Panel\Desktop" and finds it there.
#include "support/settings_rig.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>
#include <sstream>
#include <stdexcept>

#include "desktop/win32/win32_settings_store.h"
#include "desktop/win32/win32_text.h"
#include "desktop/win32/windows_api.h"

namespace tapisto::test {

namespace {

// The store seen from the scratch key: every key path is taken below it.
class ScratchKeyStore final : public SettingsStore {
 public:
  explicit ScratchKeyStore(std::string root) : root_(std::move(root)) {}
  std::unique_ptr<SettingsKey> OpenKey(const std::string& path) override {
    if (broken) throw SettingsError("Die Registry ist nicht erreichbar");
    return registry_.OpenKey(root_ + "\\" + path);
  }
  bool broken = false;

 private:
  std::string root_;
  Win32SettingsStore registry_;
};

std::wstring Wide(const std::string& text) {
  return Utf16FromUtf8(text);
}

// A registry key below HKEY_CURRENT_USER, created when missing, closed with the object.
class CreatedKey {
 public:
  explicit CreatedKey(const std::string& path) {
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, Wide(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                          nullptr, &key_, nullptr) != ERROR_SUCCESS) {
      throw std::runtime_error("cannot create the test key " + path);
    }
  }
  ~CreatedKey() { ::RegCloseKey(key_); }
  CreatedKey(const CreatedKey&) = delete;
  CreatedKey& operator=(const CreatedKey&) = delete;

  void Set(const std::string& name, DWORD type, const std::vector<BYTE>& data) {
    if (::RegSetValueExW(key_, Wide(name).c_str(), 0, type, data.data(),
                         static_cast<DWORD>(data.size())) != ERROR_SUCCESS) {
      throw std::runtime_error("cannot write the test value " + name);
    }
  }

  // Every value as a "name type bytes" line, in the order of their names.
  std::vector<std::string> Values() const {
    std::vector<std::string> lines;
    for (DWORD index = 0;; ++index) {
      wchar_t name[512];
      DWORD nameLength = 512;
      DWORD type = 0;
      std::vector<BYTE> data(64 * 1024);
      auto size = static_cast<DWORD>(data.size());
      if (::RegEnumValueW(key_, index, name, &nameLength, nullptr, &type, data.data(), &size) !=
          ERROR_SUCCESS) {
        break;
      }
      std::string line =
          Utf8FromUtf16(std::wstring(name, nameLength)) + " " + std::to_string(type) + " ";
      for (DWORD i = 0; i < size; ++i) {
        char hex[3];
        std::snprintf(hex, sizeof(hex), "%02x", data[i]);
        line += hex;
      }
      lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
  }

  // The names of the subkeys, in order.
  std::vector<std::string> Subkeys() const {
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
      wchar_t name[256];
      DWORD nameLength = 256;
      if (::RegEnumKeyExW(key_, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS) {
        break;
      }
      names.push_back(Utf8FromUtf16(std::wstring(name, nameLength)));
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  HKEY key_ = nullptr;
};

std::vector<BYTE> StringData(const std::string& text) {
  const std::wstring wide = Wide(text);
  const auto* bytes = reinterpret_cast<const BYTE*>(wide.c_str());
  return {bytes, bytes + (wide.size() + 1) * sizeof(wchar_t)};
}

// "01,02,ff" as bytes.
std::vector<BYTE> HexBytes(const std::string& list) {
  std::vector<BYTE> bytes;
  for (std::size_t at = 0; at + 1 < list.size(); at += 3) {
    bytes.push_back(static_cast<BYTE>(std::stoul(list.substr(at, 2), nullptr, 16)));
  }
  return bytes;
}

// Writes one value line of a registry export into `key`.
void WriteValueLine(CreatedKey& key, const std::string& line) {
  const std::size_t nameEnd = line.find("\"=");
  if (line.empty() || line[0] != '"' || nameEnd == std::string::npos) {
    throw std::runtime_error("not a value line: " + line);
  }
  const std::string name = line.substr(1, nameEnd - 1);
  const std::string data = line.substr(nameEnd + 2);
  if (!data.empty() && data[0] == '"') {
    std::string text;
    for (std::size_t i = 1; i + 1 < data.size(); ++i) {
      if (data[i] == '\\') ++i;
      text += data[i];
    }
    key.Set(name, REG_SZ, StringData(text));
  } else if (data.rfind("dword:", 0) == 0) {
    const auto value = static_cast<DWORD>(std::stoul(data.substr(6), nullptr, 16));
    const auto* bytes = reinterpret_cast<const BYTE*>(&value);
    key.Set(name, REG_DWORD, {bytes, bytes + sizeof(value)});
  } else if (data.rfind("hex:", 0) == 0) {
    key.Set(name, REG_BINARY, HexBytes(data.substr(4)));
  } else if (data.rfind("hex(", 0) == 0 && data.find("):") != std::string::npos) {
    const std::size_t close = data.find("):");
    const auto type = static_cast<DWORD>(std::stoul(data.substr(4, close - 4), nullptr, 16));
    key.Set(name, type, HexBytes(data.substr(close + 2)));
  } else {
    throw std::runtime_error("value kind not written by the tests: " + line);
  }
}

void AppendSnapshot(const std::string& path, const std::string& shown, std::string& text) {
  const CreatedKey key(path);
  text += "[" + shown + "]\n";
  for (const std::string& line : key.Values()) text += line + "\n";
  for (const std::string& sub : key.Subkeys()) {
    AppendSnapshot(path + "\\" + sub, shown + "\\" + sub, text);
  }
}

std::string NewScratchRoot() {
  static std::atomic<unsigned> counter{0};
  return "Software\\Tapisto-Tests\\Settings-" + std::to_string(std::random_device{}()) + "-" +
         std::to_string(counter++);
}

}  // namespace

struct SettingsRig::Backend {
  std::string root = NewScratchRoot();
  ScratchKeyStore store{root};
};

SettingsRig::SettingsRig(const std::string&) : backend_(std::make_unique<Backend>()) {
  CreatedKey created(backend_->root);
}

SettingsRig::~SettingsRig() {
  ::RegDeleteTreeW(HKEY_CURRENT_USER, Wide(backend_->root).c_str());
}

SettingsStore& SettingsRig::Store() {
  return backend_->store;
}

void SettingsRig::WriteExport(const std::string& body) {
  ::RegDeleteTreeW(HKEY_CURRENT_USER, Wide(backend_->root).c_str());
  CreatedKey root(backend_->root);
  const std::string userRoot = "[HKEY_CURRENT_USER\\";
  std::unique_ptr<CreatedKey> key;
  std::istringstream lines(body);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line.rfind(userRoot, 0) == 0 && line.back() == ']') {
      const std::string path = line.substr(userRoot.size(), line.size() - userRoot.size() - 1);
      key = std::make_unique<CreatedKey>(backend_->root + "\\" + path);
    } else if (key) {
      WriteValueLine(*key, line);
    } else {
      throw std::runtime_error("value line outside a key: " + line);
    }
  }
}

void SettingsRig::Write(const std::vector<std::string>& desktopLines,
                        const std::string& background) {
  WriteExport(DesktopExport(desktopLines, background));
}

std::string SettingsRig::Snapshot() {
  std::string text;
  AppendSnapshot(backend_->root, "HKEY_CURRENT_USER", text);
  return text;
}

void SettingsRig::Break() {
  backend_->store.broken = true;
}

}  // namespace tapisto::test
