// Port: the current user's settings hive with registry semantics. Keys are opened, never
// created; values carry a type; reading a value as the wrong type fails with
// SettingsError "Ungültiger Datentyp für '<name>'".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/error.h"

namespace tapisto {

// A failure of the settings store: a wrong value type, a key that cannot be written, a hive
// file that cannot be read or parsed.
TAPISTO_ERROR_TYPE(SettingsError, Error);

enum class ValueType { String, Binary, Dword, Other };

// One open key. Closing is destruction.
class SettingsKey {
 public:
  virtual ~SettingsKey() = default;
  // The string value `name`; `fallback` when it does not exist. A value of another type throws
  // SettingsError("Ungültiger Datentyp für '<name>'").
  virtual std::string ReadString(const std::string& name, const std::string& fallback) = 0;
  virtual bool ValueExists(const std::string& name) = 0;
  // The size of the value's data in bytes; -1 when it does not exist.
  virtual std::int64_t ValueSize(const std::string& name) = 0;
  // The data of a Binary or Other value into a buffer of `bufferSize` bytes. A value of another
  // type, or one larger than the buffer, throws SettingsError("Ungültiger Datentyp für ...").
  virtual std::vector<std::uint8_t> ReadBinary(const std::string& name, std::size_t bufferSize) = 0;
  // Writes (creating or replacing) a string or binary value. Throws SettingsError on failure.
  virtual void WriteString(const std::string& name, const std::string& value) = 0;
  virtual void WriteBinary(const std::string& name, const std::vector<std::uint8_t>& data) = 0;
};

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // Opens a key of the current user's hive ("Control Panel\Desktop"); nullptr when it does not
  // exist or cannot be opened. Never creates a key.
  virtual std::unique_ptr<SettingsKey> OpenKey(const std::string& path) = 0;
};

}  // namespace tapisto
