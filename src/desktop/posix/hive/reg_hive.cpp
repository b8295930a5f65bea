#include "desktop/posix/hive/reg_hive.h"

#include <algorithm>
#include <utility>

namespace tapisto {

namespace {

constexpr std::size_t kMaxHexLine = 80;

char LowerAscii(char c) noexcept {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c) noexcept {
  return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) noexcept {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) noexcept {
  return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

// Whether `path` is `ancestor` itself or lies below it.
bool IsAtOrBelow(std::string_view path, std::string_view ancestor) noexcept {
  if (ancestor.empty()) return true;
  if (!StartsWithNoCase(path, ancestor)) return false;
  return path.size() == ancestor.size() || path[ancestor.size()] == '\\';
}

int HexDigit(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Parses 1 to `maxDigits` hex digits making up all of `text`.
bool ParseHexNumber(std::string_view text, std::size_t maxDigits, std::uint32_t& value) noexcept {
  if (text.empty() || text.size() > maxDigits) return false;
  value = 0;
  for (char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) return false;
    value = value << 4 | static_cast<std::uint32_t>(digit);
  }
  return true;
}

// The offset of the first byte that does not belong to well-formed UTF-8; npos when none.
std::size_t FirstInvalidUtf8(std::string_view text) noexcept {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) {
      ++i;
      continue;
    }
    std::size_t length = 0;
    std::uint32_t cp = 0;
    std::uint32_t minimum = 0;
    if ((b0 & 0xE0) == 0xC0) {
      length = 2, cp = b0 & 0x1Fu, minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
      length = 3, cp = b0 & 0x0Fu, minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
      length = 4, cp = b0 & 0x07u, minimum = 0x10000;
    } else {
      return i;
    }
    if (length > text.size() - i) return i;
    for (std::size_t k = 1; k < length; ++k) {
      const auto b = static_cast<unsigned char>(text[i + k]);
      if ((b & 0xC0) != 0x80) return i;
      cp = cp << 6 | (b & 0x3Fu);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return i;
    i += length;
  }
  return std::string_view::npos;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | cp >> 18);
    out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes well-formed UTF-8 (callers check it first) one code point at a time.
template <typename Sink>
void ForEachCodePoint(std::string_view text, Sink sink) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    std::size_t length = b0 < 0x80 ? 1 : (b0 & 0xE0) == 0xC0 ? 2 : (b0 & 0xF0) == 0xE0 ? 3 : 4;
    length = std::min(length, text.size() - i);
    std::uint32_t cp = length == 1 ? b0 : b0 & (0x7Fu >> length);
    for (std::size_t k = 1; k < length; ++k) {
      cp = cp << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
    }
    sink(cp);
    i += length;
  }
}

std::vector<std::uint8_t> EncodeUtf16LeWithNul(std::string_view text) {
  std::vector<std::uint8_t> out;
  out.reserve(text.size() * 2 + 2);
  auto unit = [&out](std::uint32_t u) {
    out.push_back(static_cast<std::uint8_t>(u & 0xFF));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
  };
  ForEachCodePoint(text, [&](std::uint32_t cp) {
    if (cp >= 0x10000) {
      unit(0xD800 + ((cp - 0x10000) >> 10));
      unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      unit(cp);
    }
  });
  unit(0);
  return out;
}

// Decodes UTF-16LE bytes; false at an odd length or an unpaired surrogate. `newlines`, when
// given, counts the line feeds decoded before the failure.
bool DecodeUtf16Le(std::string_view bytes, std::string& out, std::size_t* newlines = nullptr) {
  if (bytes.size() % 2 != 0) return false;
  auto unitAt = [&bytes](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
  };
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    std::uint32_t cp = unitAt(i);
    if (cp >= 0xDC00 && cp <= 0xDFFF) return false;
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      if (bytes.size() - i < 4) return false;
      const std::uint32_t low = unitAt(i + 2);
      if (low < 0xDC00 || low > 0xDFFF) return false;
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    }
    if (cp == '\n' && newlines != nullptr) ++*newlines;
    AppendUtf8(out, cp);
  }
  return true;
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
}

void AppendHexByte(std::string& out, std::uint8_t b) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out += kDigits[b >> 4];
  out += kDigits[b & 0x0F];
}

// `prefix` ("name"=hex:) and the bytes, wrapped so that no line is longer than 80 characters:
// a full line ends in "\" and the next one starts with two blanks.
void AppendHexValue(std::string& out, std::string_view prefix,
                    const std::vector<std::uint8_t>& data) {
  out += prefix;
  std::size_t lineLength = prefix.size();
  for (std::size_t i = 0; i < data.size(); ++i) {
    const bool last = i + 1 == data.size();
    const std::size_t token = last ? 2 : 3;
    // A line that goes on keeps room for its trailing backslash.
    if (lineLength + token + 1 > kMaxHexLine) {
      out += "\\\n  ";
      lineLength = 2;
    }
    AppendHexByte(out, data[i]);
    if (!last) out += ',';
    lineLength += token;
  }
  out += '\n';
}

bool NeedsHexForm(std::string_view text) noexcept {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

class HiveParser {
 public:
  HiveParser(std::string_view bytes, const std::string& fileName) : fileName_(fileName) {
    text_ = DecodeFileText(bytes);
    SplitLines();
  }

  Hive Run() {
    if (lines_.empty() || TrimBlanks(lines_[0]) != kHiveHeader) {
      const bool old = !lines_.empty() && TrimBlanks(lines_[0]) == "REGEDIT4";
      Fail(1, std::string(old ? "das alte Format REGEDIT4 wird nicht gelesen; " : "") +
                  "die erste Zeile muss \"" + std::string(kHiveHeader) + "\" lauten");
    }
    for (line_ = 1; line_ < lines_.size(); ++line_) {
      const std::string_view line = TrimBlanks(lines_[line_]);
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[') {
        StartSection(line);
      } else if (line.front() == '"' || line.front() == '@') {
        if (current_ == kNoKey) Fail(line_ + 1, "Wert vor dem ersten Schlüssel");
        ParseValueLine(line);
      } else {
        Fail(line_ + 1, "unerwarteter Text \"" + Excerpt(line) + "\"");
      }
    }
    return std::move(hive_);
  }

 private:
  static constexpr std::size_t kNoKey = static_cast<std::size_t>(-1);

  [[noreturn]] void Fail(std::size_t lineNumber, const std::string& what) const {
    throw SettingsError("Registry-Datei \"" + fileName_ + "\", Zeile " +
                        std::to_string(lineNumber) + ": " + what);
  }

  static std::string Excerpt(std::string_view text) {
    constexpr std::size_t kMax = 40;
    if (text.size() <= kMax) return std::string(text);
    // Cut at a character boundary so the message stays valid UTF-8.
    std::size_t cut = kMax;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return std::string(text.substr(0, cut)) + "...";
  }

  std::string DecodeFileText(std::string_view bytes) const {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    if (bytes.starts_with("\xFE\xFF")) Fail(1, "UTF-16 (big endian) wird nicht gelesen");
    if (bytes.starts_with("\xFF\xFE")) {
      std::string decoded;
      std::size_t newlines = 0;
      if (!DecodeUtf16Le(bytes.substr(2), decoded, &newlines)) {
        Fail(newlines + 1, "kein gültiger UTF-16-Text");
      }
      return decoded;
    }
    const std::size_t bad = FirstInvalidUtf8(bytes);
    if (bad != std::string_view::npos) {
      const auto newlines = std::count(bytes.begin(), bytes.begin() + static_cast<long>(bad), '\n');
      Fail(static_cast<std::size_t>(newlines) + 1, "kein gültiger UTF-8-Text");
    }
    return std::string(bytes);
  }

  void SplitLines() {
    std::string_view rest = text_;
    while (!rest.empty()) {
      const auto end = rest.find('\n');
      std::string_view line = rest.substr(0, end);
      if (line.ends_with('\r')) line.remove_suffix(1);
      lines_.push_back(line);
      if (end == std::string_view::npos) break;
      rest.remove_prefix(end + 1);
    }
  }

  void StartSection(std::string_view line) {
    if (line.size() < 2 || line.back() != ']') Fail(line_ + 1, "\"]\" fehlt am Zeilenende");
    const std::string_view inner = line.substr(1, line.size() - 2);
    if (inner.starts_with('-')) {
      Fail(line_ + 1, "das Löschen von Schlüsseln (\"[-...]\") wird nicht unterstützt");
    }
    if (!IsAtOrBelow(inner, kHiveRoot)) {
      Fail(line_ + 1, "nur Schlüssel unter " + std::string(kHiveRoot) + " werden gelesen: \"" +
                          Excerpt(inner) + "\"");
    }
    const std::string_view path =
        inner.size() == kHiveRoot.size() ? std::string_view{} : inner.substr(kHiveRoot.size() + 1);
    if (path.starts_with('\\') || path.ends_with('\\') || path.find("\\\\") != path.npos ||
        (inner.size() > kHiveRoot.size() && path.empty())) {
      Fail(line_ + 1, "leerer Schlüsselname in \"" + Excerpt(inner) + "\"");
    }
    if (const HiveKey* key = hive_.FindKey(path)) {
      current_ = static_cast<std::size_t>(key - hive_.keys.data());  // a second section adds
      return;
    }
    hive_.keys.push_back(HiveKey{std::string(path), {}});
    current_ = hive_.keys.size() - 1;
  }

  // Reads a quoted text starting at line[pos] == '"'; pos ends after the closing quote.
  std::string ParseQuoted(std::string_view line, std::size_t& pos) const {
    std::string out;
    ++pos;
    while (pos < line.size()) {
      const char c = line[pos++];
      if (c == '"') return out;
      if (c == '\\') {
        if (pos == line.size() || (line[pos] != '\\' && line[pos] != '"')) {
          Fail(line_ + 1, "unbekannte Escape-Sequenz in \"" + Excerpt(line) + "\"");
        }
        out += line[pos++];
      } else {
        out += c;
      }
    }
    Fail(line_ + 1, "schließendes Anführungszeichen fehlt in \"" + Excerpt(line) + "\"");
  }

  void ParseValueLine(std::string_view line) {
    const std::size_t startLine = line_ + 1;
    std::size_t pos = 0;
    HiveValue value;
    if (line.front() == '@') {
      pos = 1;
    } else {
      value.name = ParseQuoted(line, pos);
    }
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos == line.size() || line[pos] != '=') Fail(startLine, "\"=\" fehlt nach dem Wertnamen");
    ++pos;
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    const std::string_view data = line.substr(pos);

    if (data.starts_with('"')) {
      std::size_t end = 0;
      value.text = ParseQuoted(data, end);
      if (!TrimBlanks(data.substr(end)).empty()) {
        Fail(startLine, "Text nach dem Ende des Werts: \"" + Excerpt(data.substr(end)) + "\"");
      }
      value.type = ValueType::String;
      value.rawType = kRegString;
    } else if (data == "-") {
      Fail(startLine, "das Löschen von Werten (\"=-\") wird nicht unterstützt");
    } else if (StartsWithNoCase(data, "dword:")) {
      std::uint32_t number = 0;
      if (!ParseHexNumber(data.substr(6), 8, number)) {
        Fail(startLine, "dword: braucht 1 bis 8 Hexziffern: \"" + Excerpt(data) + "\"");
      }
      value = MakeDwordValue(std::move(value.name), number);
    } else if (StartsWithNoCase(data, "hex:")) {
      value.type = ValueType::Binary;
      value.rawType = kRegBinary;
      value.data = ParseHexList(data.substr(4), startLine);
    } else if (StartsWithNoCase(data, "hex(")) {
      const auto close = data.find(')');
      std::uint32_t rawType = 0;
      if (close == std::string_view::npos ||
          !ParseHexNumber(data.substr(4, close - 4), 8, rawType) || close + 1 >= data.size() ||
          data[close + 1] != ':') {
        Fail(startLine, "hex(N): erwartet, N in Hexziffern: \"" + Excerpt(data) + "\"");
      }
      value =
          Classify(std::move(value.name), rawType, ParseHexList(data.substr(close + 2), startLine));
    } else {
      Fail(startLine, "unbekannter Werttyp \"" + Excerpt(data) + "\"");
    }

    HiveKey& key = hive_.keys[current_];
    if (HiveValue* existing = FindValue(key, value.name)) {
      *existing = std::move(value);  // a later line for the same name wins, as on import
    } else {
      key.values.push_back(std::move(value));
    }
  }

  // The comma-separated bytes of a hex value, pulling in continuation lines while the text ends
  // in a backslash.
  std::vector<std::uint8_t> ParseHexList(std::string_view first, std::size_t startLine) {
    std::string joined(TrimBlanks(first));
    while (!joined.empty() && joined.back() == '\\') {
      joined.pop_back();
      if (line_ + 1 >= lines_.size()) Fail(startLine, "Fortsetzungszeile fehlt am Dateiende");
      ++line_;
      joined += TrimBlanks(lines_[line_]);
    }
    std::vector<std::uint8_t> bytes;
    if (TrimBlanks(joined).empty()) return bytes;
    bytes.reserve(joined.size() / 3 + 1);
    std::string_view rest = joined;
    for (;;) {
      const auto comma = rest.find(',');
      const std::string_view token = TrimBlanks(rest.substr(0, comma));
      std::uint32_t b = 0;
      if (!ParseHexNumber(token, 2, b)) {
        Fail(startLine, "ungültiges Hexbyte \"" + Excerpt(token) + "\"");
      }
      bytes.push_back(static_cast<std::uint8_t>(b));
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
    return bytes;
  }

  // The value a hex(N) line describes. Strings and DWORDs written in hex form are the types
  // they name; every type without its own form in this store is Other and keeps N.
  static HiveValue Classify(std::string name, std::uint32_t rawType,
                            std::vector<std::uint8_t> bytes) {
    if (rawType == kRegBinary) return MakeBinaryValue(std::move(name), std::move(bytes));
    if (rawType == kRegDword && bytes.size() == 4) {
      HiveValue value;
      value.name = std::move(name);
      value.type = ValueType::Dword;
      value.rawType = kRegDword;
      value.data = std::move(bytes);  // little-endian, as Dword values hold it
      return value;
    }
    if (rawType == kRegString && bytes.size() >= 2 && bytes[bytes.size() - 1] == 0 &&
        bytes[bytes.size() - 2] == 0) {
      std::string text;
      const std::string_view units(reinterpret_cast<const char*>(bytes.data()), bytes.size() - 2);
      if (DecodeUtf16Le(units, text)) return MakeStringValue(std::move(name), std::move(text));
    }
    HiveValue value;
    value.name = std::move(name);
    value.type = ValueType::Other;
    value.rawType = rawType;
    value.data = std::move(bytes);
    return value;
  }

  std::string fileName_;
  std::string text_;
  std::vector<std::string_view> lines_;
  std::size_t line_ = 0;
  std::size_t current_ = kNoKey;
  Hive hive_;
};

}  // namespace

bool SameName(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::string_view TrimKeyPath(std::string_view path) noexcept {
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return path;
}

std::string FoldedName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = LowerAscii(c);
  return folded;
}

const HiveValue* HiveKey::Find(std::string_view name) const {
  if (indexed_ > values.size()) {  // values were taken away: index them all again
    index_.clear();
    indexed_ = 0;
  }
  for (; indexed_ < values.size(); ++indexed_) {
    index_.emplace(FoldedName(values[indexed_].name), indexed_);  // the first of a name wins
  }
  const auto it = index_.find(FoldedName(name));
  if (it == index_.end()) return nullptr;
  const HiveValue& value = values[it->second];
  if (SameName(value.name, name)) return &value;
  // Values were replaced under other names: index them all again.
  indexed_ = values.size() + 1;
  return Find(name);
}

HiveKey* Hive::FindKey(std::string_view path) {
  return const_cast<HiveKey*>(std::as_const(*this).FindKey(path));
}

const HiveKey* Hive::FindKey(std::string_view path) const {
  if (keysIndexed_ > keys.size()) {  // keys were taken away: index them all again
    keyIndex_.clear();
    keysIndexed_ = 0;
  }
  // Keys are appended (SectionFor, which inserts, indexes them all again itself).
  for (; keysIndexed_ < keys.size(); ++keysIndexed_) {
    keyIndex_.emplace(FoldedName(keys[keysIndexed_].path), keysIndexed_);
  }
  const auto it = keyIndex_.find(FoldedName(path));
  if (it == keyIndex_.end()) return nullptr;
  const HiveKey& key = keys[it->second];
  if (SameName(key.path, path)) return &key;
  keysIndexed_ = keys.size() + 1;  // keys were moved: index them all again
  return FindKey(path);
}

bool Hive::KeyExists(std::string_view path) const {
  return std::any_of(keys.begin(), keys.end(),
                     [path](const HiveKey& key) { return IsAtOrBelow(key.path, path); });
}

HiveKey& Hive::SectionFor(std::string_view path) {
  if (HiveKey* key = FindKey(path)) return *key;
  const auto below = std::find_if(
      keys.begin(), keys.end(), [path](const HiveKey& key) { return IsAtOrBelow(key.path, path); });
  const auto inserted = keys.insert(below, HiveKey{std::string(path), {}});
  keysIndexed_ = keys.size() + 1;  // the keys after it moved
  return *inserted;
}

HiveValue* FindValue(HiveKey& key, std::string_view name) {
  return const_cast<HiveValue*>(key.Find(name));
}

const HiveValue* FindValue(const HiveKey& key, std::string_view name) {
  return key.Find(name);
}

HiveValue MakeStringValue(std::string name, std::string text) {
  HiveValue value;
  value.name = std::move(name);
  value.type = ValueType::String;
  value.rawType = kRegString;
  value.text = std::move(text);
  return value;
}

HiveValue MakeBinaryValue(std::string name, std::vector<std::uint8_t> data) {
  HiveValue value;
  value.name = std::move(name);
  value.type = ValueType::Binary;
  value.rawType = kRegBinary;
  value.data = std::move(data);
  return value;
}

HiveValue MakeDwordValue(std::string name, std::uint32_t number) {
  HiveValue value;
  value.name = std::move(name);
  value.type = ValueType::Dword;
  value.rawType = kRegDword;
  value.data = {static_cast<std::uint8_t>(number & 0xFF), static_cast<std::uint8_t>(number >> 8),
                static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
  return value;
}

std::uint32_t DwordOf(const HiveValue& value) {
  std::uint32_t number = 0;
  for (std::size_t i = std::min<std::size_t>(value.data.size(), 4); i-- > 0;) {
    number = number << 8 | value.data[i];
  }
  return number;
}

std::int64_t DataSize(const HiveValue& value) {
  if (value.type != ValueType::String) return static_cast<std::int64_t>(value.data.size());
  std::int64_t units = 1;  // the terminating NUL
  ForEachCodePoint(value.text, [&units](std::uint32_t cp) { units += cp >= 0x10000 ? 2 : 1; });
  return units * 2;
}

bool IsValidUtf8(std::string_view text) noexcept {
  return FirstInvalidUtf8(text) == std::string_view::npos;
}

Hive ParseHive(std::string_view bytes, const std::string& fileName) {
  return HiveParser(bytes, fileName).Run();
}

std::string FormatHive(const Hive& hive) {
  std::size_t estimate = kHiveHeader.size() + 2;
  for (const HiveKey& key : hive.keys) {
    estimate += key.path.size() + 24;
    for (const HiveValue& value : key.values) {
      estimate += value.name.size() + value.text.size() + value.data.size() * 3 + 16;
    }
  }
  std::string out;
  out.reserve(estimate);
  out += kHiveHeader;
  out += "\n\n";
  for (const HiveKey& key : hive.keys) {
    out += '[';
    out += kHiveRoot;
    if (!key.path.empty()) {
      out += '\\';
      out += key.path;
    }
    out += "]\n";
    for (const HiveValue& value : key.values) {
      std::string prefix;
      if (value.name.empty()) {
        prefix = "@";
      } else {
        AppendQuoted(prefix, value.name);
      }
      prefix += '=';
      switch (value.type) {
        case ValueType::String:
          if (NeedsHexForm(value.text)) {
            // Line breaks and NULs have no escape in the quoted form; the UTF-16 hex form
            // holds them and reads back as the same string.
            AppendHexValue(out, prefix + "hex(1):", EncodeUtf16LeWithNul(value.text));
          } else {
            out += prefix;
            AppendQuoted(out, value.text);
            out += '\n';
          }
          break;
        case ValueType::Dword: {
          out += prefix + "dword:";
          const std::uint32_t number = DwordOf(value);
          for (int shift = 24; shift >= 0; shift -= 8) {
            AppendHexByte(out, static_cast<std::uint8_t>(number >> shift));
          }
          out += '\n';
          break;
        }
        case ValueType::Binary:
          AppendHexValue(out, prefix + "hex:", value.data);
          break;
        case ValueType::Other: {
          std::string type;
          for (std::uint32_t n = value.rawType;;) {
            type.insert(type.begin(), "0123456789abcdef"[n & 0x0F]);
            n >>= 4;
            if (n == 0) break;
          }
          AppendHexValue(out, prefix + "hex(" + type + "):", value.data);
          break;
        }
      }
    }
    out += '\n';
  }
  return out;
}

Hive FreshDesktopProfile() {
  Hive hive;
  hive.keys.push_back(
      HiveKey{"Control Panel\\Desktop",
              {MakeStringValue("Wallpaper", ""), MakeStringValue("TileWallpaper", "0"),
               MakeStringValue("WallpaperStyle", "10")}});
  hive.keys.push_back(HiveKey{"Control Panel\\Colors", {MakeStringValue("Background", "0 0 0")}});
  return hive;
}

}  // namespace tapisto
