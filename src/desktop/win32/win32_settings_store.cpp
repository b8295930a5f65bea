// Registry values map to the port's types as: REG_SZ and REG_EXPAND_SZ are strings (an
// expandable string is read as stored, unexpanded), REG_BINARY is binary, REG_DWORD is a
// DWORD, every other type is "other". Sizes are the data sizes RegQueryValueExW reports, so a
// string's size counts its terminating NUL as stored.
#include "desktop/win32/win32_settings_store.h"

#include <optional>

#include "desktop/win32/win32_text.h"
#include "desktop/win32/windows_api.h"

namespace tapisto {

namespace {

ValueType TypeOf(DWORD registryType) {
  switch (registryType) {
    case REG_SZ:
    case REG_EXPAND_SZ:
      return ValueType::String;
    case REG_BINARY:
      return ValueType::Binary;
    case REG_DWORD:
      return ValueType::Dword;
    default:
      return ValueType::Other;
  }
}

// Binary data may be read from a binary value and from one of no known kind, never from a
// string or a DWORD.
bool HoldsBinary(DWORD registryType) {
  const ValueType kind = TypeOf(registryType);
  return kind == ValueType::Binary || kind == ValueType::Other;
}

[[noreturn]] void ThrowWrongType(const std::string& name) {
  throw SettingsError("Ungültiger Datentyp für '" + name + "'");
}

struct ValueInfo {
  DWORD type;
  DWORD size;
};

class Win32SettingsKey final : public SettingsKey {
 public:
  explicit Win32SettingsKey(HKEY key) : key_(key) {}
  ~Win32SettingsKey() override { ::RegCloseKey(key_); }
  Win32SettingsKey(const Win32SettingsKey&) = delete;
  Win32SettingsKey& operator=(const Win32SettingsKey&) = delete;

  std::string ReadString(const std::string& name, const std::string& fallback) override {
    const std::wstring wideName = Utf16FromUtf8(name);
    // The value may change between asking its size and reading it; read until it fits.
    for (;;) {
      const std::optional<ValueInfo> info = Query(wideName);
      if (!info) return fallback;
      if (TypeOf(info->type) != ValueType::String) ThrowWrongType(name);
      std::wstring text(info->size / sizeof(wchar_t) + 1, L'\0');
      DWORD type = 0;
      DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
      const LSTATUS status = ::RegQueryValueExW(key_, wideName.c_str(), nullptr, &type,
                                                reinterpret_cast<BYTE*>(text.data()), &size);
      if (status == ERROR_MORE_DATA) continue;
      if (status == ERROR_FILE_NOT_FOUND) return fallback;
      if (status != ERROR_SUCCESS) Fail("Fehler beim Lesen von '" + name + "'", status);
      if (TypeOf(type) != ValueType::String) ThrowWrongType(name);
      // The stored data need not end in NUL, and may hold one before its end: the text ends
      // at the first NUL or at the end of the data.
      text.resize(size / sizeof(wchar_t));
      const std::size_t end = text.find(L'\0');
      if (end != std::wstring::npos) text.resize(end);
      return Utf8FromUtf16(text);
    }
  }

  bool ValueExists(const std::string& name) override {
    return Query(Utf16FromUtf8(name)).has_value();
  }

  std::int64_t ValueSize(const std::string& name) override {
    const std::optional<ValueInfo> info = Query(Utf16FromUtf8(name));
    return info ? static_cast<std::int64_t>(info->size) : -1;
  }

  std::vector<std::uint8_t> ReadBinary(const std::string& name, std::size_t bufferSize) override {
    const std::wstring wideName = Utf16FromUtf8(name);
    for (;;) {
      const std::optional<ValueInfo> info = Query(wideName);
      if (!info) return {};
      if (!HoldsBinary(info->type) || info->size > bufferSize) ThrowWrongType(name);
      std::vector<std::uint8_t> data(info->size);
      DWORD type = 0;
      DWORD size = info->size;
      const LSTATUS status =
          ::RegQueryValueExW(key_, wideName.c_str(), nullptr, &type, data.data(), &size);
      if (status == ERROR_MORE_DATA) continue;
      if (status == ERROR_FILE_NOT_FOUND) return {};
      if (status != ERROR_SUCCESS) Fail("Fehler beim Lesen von '" + name + "'", status);
      if (!HoldsBinary(type)) ThrowWrongType(name);
      data.resize(size);
      return data;
    }
  }

  void WriteString(const std::string& name, const std::string& value) override {
    const std::wstring text = Utf16FromUtf8(value);
    // REG_SZ data carries its terminating NUL.
    Set(name, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
        (text.size() + 1) * sizeof(wchar_t));
  }

  void WriteBinary(const std::string& name, const std::vector<std::uint8_t>& data) override {
    Set(name, REG_BINARY, data.data(), data.size());
  }

 private:
  std::optional<ValueInfo> Query(const std::wstring& name) const {
    ValueInfo info{};
    const LSTATUS status =
        ::RegQueryValueExW(key_, name.c_str(), nullptr, &info.type, nullptr, &info.size);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return info;
  }

  void Set(const std::string& name, DWORD type, const BYTE* data, std::size_t size) {
    if (size > MAXDWORD) throw SettingsError("Wert zu groß für '" + name + "'");
    const LSTATUS status = ::RegSetValueExW(key_, Utf16FromUtf8(name).c_str(), 0, type, data,
                                            static_cast<DWORD>(size));
    if (status != ERROR_SUCCESS) Fail("Fehler beim Schreiben von '" + name + "'", status);
  }

  [[noreturn]] static void Fail(const std::string& what, LSTATUS status) {
    throw SettingsError(what + ": " + Win32ErrorMessage(static_cast<std::uint32_t>(status)));
  }

  HKEY key_;
};

}  // namespace

std::unique_ptr<SettingsKey> Win32SettingsStore::OpenKey(const std::string& path) {
  HKEY key = nullptr;
  const LSTATUS status = ::RegOpenKeyExW(HKEY_CURRENT_USER, Utf16FromUtf8(path).c_str(), 0,
                                         KEY_READ | KEY_WRITE, &key);
  if (status != ERROR_SUCCESS) return nullptr;
  return std::make_unique<Win32SettingsKey>(key);
}

}  // namespace tapisto
