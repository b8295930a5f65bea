// The current user's settings hive as one text file in the registry editor's export format
// (version 5.00), UTF-8:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Control Panel\Desktop]
//   "Wallpaper"="C:\\Bilder\\Berg.jpg"
//   "TranscodedImageCache"=hex:7a,c3,01,00,\    (a long line goes on in the next one)
//     00,00
//   "Zahl"=dword:0000000a
//   "Pfad"=hex(2):25,00,00,00
//   @="the key's default value"
//
// Reading accepts a UTF-8 byte-order mark, a UTF-16LE file with its byte-order mark (as the
// registry editor itself saves), CRLF or LF line ends, blank lines, ";" comment lines, blanks
// around "=", and hex data continued over several lines by a trailing backslash. Writing gives
// LF line ends, no byte-order mark, lower-case hex and hex lines of at most 80 characters.
// Comment lines are not kept when the file is written again.
//
// Only keys under HKEY_CURRENT_USER are held. The export's deletion forms ("[-key]" and
// "name"=-) describe changes, not a state, and are refused.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ports/settings_store.h"

namespace tapisto {

inline constexpr std::string_view kHiveHeader = "Windows Registry Editor Version 5.00";
inline constexpr std::string_view kHiveRoot = "HKEY_CURRENT_USER";
// Files larger than this are refused before they are read: a settings hive is a few
// kilobytes, and the whole file is held in memory.
inline constexpr std::int64_t kMaxHiveFileBytes = 16 * 1024 * 1024;

// Registry data type numbers as the export's hex(N) form gives them.
inline constexpr std::uint32_t kRegString = 1;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

struct HiveValue {
  std::string name;  // "" is the key's default value, written "@"
  ValueType type = ValueType::String;
  // The registry type number; for Other values it is the N of hex(N), kept so that the value
  // is written back as it was read.
  std::uint32_t rawType = kRegString;
  std::string text;                // String values (UTF-8)
  std::vector<std::uint8_t> data;  // Binary and Other values; Dword values as 4 bytes LE
};

// Names as the hash indexes below hold them: ASCII letters in lower case.
std::string FoldedName(std::string_view name);

struct HiveKey {
  HiveKey() = default;
  HiveKey(std::string keyPath, std::vector<HiveValue> keyValues)
      : path(std::move(keyPath)), values(std::move(keyValues)) {}

  std::string path;  // below HKEY_CURRENT_USER, "" for the root itself: "Control Panel\Desktop"
  std::vector<HiveValue> values;  // in file order; new values are appended

  // The value with this name (ASCII letters compared without case); nullptr when there is none.
  // A hash index over the names makes this constant time; values appended since the last
  // lookup are indexed then, so a hive of many values is read in linear time.
  const HiveValue* Find(std::string_view name) const;

 private:
  mutable std::unordered_map<std::string, std::size_t> index_;
  mutable std::size_t indexed_ = 0;  // values[0, indexed_) are in index_
};

struct Hive {
  Hive() = default;
  explicit Hive(std::vector<HiveKey> hiveKeys) : keys(std::move(hiveKeys)) {}

  std::vector<HiveKey> keys;  // in file order

  // The key with this path (ASCII letters compared without case); nullptr when the file has no
  // section for it. Indexed by a hash of the folded path, made again when keys were added.
  const HiveKey* FindKey(std::string_view path) const;
  HiveKey* FindKey(std::string_view path);
  // Whether the key exists: it has a section, or it is the root or an ancestor of a key that
  // has one (a registry key's parents always exist).
  bool KeyExists(std::string_view path) const;
  // Gives the key's section, adding one when the key exists only as an ancestor. The new section
  // goes before the first section of its descendants, so the file stays in tree order.
  HiveKey& SectionFor(std::string_view path);

 private:
  mutable std::unordered_map<std::string, std::size_t> keyIndex_;
  mutable std::size_t keysIndexed_ = 0;  // keys[0, keysIndexed_) are in keyIndex_
};

// ASCII letters compared without case, every other byte exactly: the registry's rule for key
// and value names as far as this store applies it.
bool SameName(std::string_view a, std::string_view b) noexcept;

// The key path as the store compares it: without leading and trailing backslashes.
std::string_view TrimKeyPath(std::string_view path) noexcept;

HiveValue* FindValue(HiveKey& key, std::string_view name);
const HiveValue* FindValue(const HiveKey& key, std::string_view name);

HiveValue MakeStringValue(std::string name, std::string text);
HiveValue MakeBinaryValue(std::string name, std::vector<std::uint8_t> data);
HiveValue MakeDwordValue(std::string name, std::uint32_t value);

// The value's data size as the registry reports it: strings in UTF-16 code units times two,
// counting the terminating NUL ("abc" is 8 bytes); 4 for a DWORD; the byte count otherwise.
std::int64_t DataSize(const HiveValue& value);

// The DWORD held by a Dword value.
std::uint32_t DwordOf(const HiveValue& value);

// Whether `text` is well-formed UTF-8 (no overlong forms, no surrogates, nothing over U+10FFFF).
bool IsValidUtf8(std::string_view text) noexcept;

// Parses a hive file's bytes. Throws SettingsError naming `fileName` and the line when they are
// not a hive this store can hold.
Hive ParseHive(std::string_view bytes, const std::string& fileName);

// The file text for `hive`.
std::string FormatHive(const Hive& hive);

// What a fresh desktop profile holds: "Control Panel\Desktop" with an empty "Wallpaper",
// "TileWallpaper" "0" and "WallpaperStyle" "10"; "Control Panel\Colors" with "Background"
// "0 0 0".
Hive FreshDesktopProfile();

}  // namespace tapisto
