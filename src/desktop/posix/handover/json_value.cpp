#include "desktop/posix/handover/json_value.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "base/text.h"

namespace tapisto {

namespace {

// Reads one value after another from the text; the first fault latches `ok` false and every
// step after it does nothing, so the caller checks once at the end.
class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : text_(text) {}

  std::optional<JsonValue> ReadDocument() {
    JsonValue value = ReadValue(0);
    SkipSpace();
    if (!ok_ || at_ != text_.size()) return std::nullopt;
    return value;
  }

 private:
  bool Fail() {
    ok_ = false;
    return false;
  }

  void SkipSpace() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r')) {
      ++at_;
    }
  }

  // Takes `c` when it comes next (after white space).
  bool Take(char c) {
    SkipSpace();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }

  bool TakeWord(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return Fail();
    at_ += word.size();
    return true;
  }

  JsonValue ReadValue(int depth) {
    JsonValue value;
    SkipSpace();
    if (!ok_ || at_ >= text_.size() || depth >= kJsonMaxDepth) {
      Fail();
      return value;
    }
    switch (text_[at_]) {
      case '{':
        value.kind = JsonValue::Kind::Object;
        ++at_;
        ReadMembers(value, depth);
        break;
      case '[':
        value.kind = JsonValue::Kind::Array;
        ++at_;
        ReadItems(value, depth);
        break;
      case '"':
        value.kind = JsonValue::Kind::String;
        value.text = ReadString();
        break;
      case 't':
        value.kind = JsonValue::Kind::Bool;
        value.boolean = TakeWord("true");
        break;
      case 'f':
        value.kind = JsonValue::Kind::Bool;
        TakeWord("false");
        break;
      case 'n':
        TakeWord("null");
        break;
      default:
        value.kind = JsonValue::Kind::Number;
        value.number = ReadNumber();
        break;
    }
    return value;
  }

  void ReadItems(JsonValue& array, int depth) {
    if (Take(']')) return;
    do {
      array.items.push_back(ReadValue(depth + 1));
    } while (ok_ && Take(','));
    if (!Take(']')) Fail();
  }

  void ReadMembers(JsonValue& object, int depth) {
    if (Take('}')) return;
    do {
      SkipSpace();
      if (at_ >= text_.size() || text_[at_] != '"') {
        Fail();
        return;
      }
      object.keys.push_back(ReadString());
      if (!Take(':')) {
        Fail();
        return;
      }
      object.items.push_back(ReadValue(depth + 1));
    } while (ok_ && Take(','));
    if (!Take('}')) Fail();
  }

  double ReadNumber() {
    // JSON's grammar: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
    const std::size_t start = at_;
    auto digits = [&] {
      const std::size_t first = at_;
      while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
      return at_ > first;
    };
    if (at_ < text_.size() && text_[at_] == '-') ++at_;
    if (at_ < text_.size() && text_[at_] == '0') {
      ++at_;
    } else if (!digits()) {
      Fail();
      return 0;
    }
    if (at_ < text_.size() && text_[at_] == '.') {
      ++at_;
      if (!digits()) Fail();
    }
    if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
      ++at_;
      if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
      if (!digits()) Fail();
    }
    double number = 0;
    const char* first = text_.data() + start;
    const char* last = text_.data() + at_;
    const auto [end, ec] = std::from_chars(first, last, number);
    // A number beyond a double's range reads as the infinity of its sign.
    if (ec == std::errc::result_out_of_range)
      number = *first == '-' ? -HUGE_VAL : HUGE_VAL;
    else if (ec != std::errc() || end != last)
      Fail();
    return number;
  }

  // Four hex digits of a \u escape; -1 when they are not.
  long ReadHex4() {
    if (text_.size() - at_ < 4) return -1;
    long value = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[at_++];
      int digit = -1;
      if (c >= '0' && c <= '9') digit = c - '0';
      if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
      if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
      if (digit < 0) return -1;
      value = value * 16 + digit;
    }
    return value;
  }

  // The code point of a \u escape after its "\u", a surrogate pair joined; a lone surrogate
  // becomes U+FFFD, as decoders of JSON text commonly make it.
  std::uint32_t ReadEscapedCodePoint() {
    const long high = ReadHex4();
    if (high < 0) {
      Fail();
      return 0;
    }
    if (high < 0xD800 || high > 0xDFFF) return static_cast<std::uint32_t>(high);
    if (high <= 0xDBFF && text_.substr(at_, 2) == "\\u") {
      const std::size_t before = at_;
      at_ += 2;
      const long low = ReadHex4();
      if (low >= 0xDC00 && low <= 0xDFFF) {
        return 0x10000 + ((static_cast<std::uint32_t>(high) - 0xD800) << 10) +
               (static_cast<std::uint32_t>(low) - 0xDC00);
      }
      at_ = before;
    }
    return 0xFFFD;
  }

  std::string ReadString() {
    std::string out;
    ++at_;  // the opening quote
    while (ok_) {
      if (at_ >= text_.size()) {
        Fail();
        break;
      }
      const char c = text_[at_++];
      if (c == '"') break;
      if (static_cast<unsigned char>(c) < 0x20) {
        Fail();
        break;
      }
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size()) {
        Fail();
        break;
      }
      switch (const char e = text_[at_++]) {
        case '"':
        case '\\':
        case '/':
          out += e;
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u':
          AppendUtf8(out, ReadEscapedCodePoint());
          break;
        default:
          Fail();
          break;
      }
    }
    return out;
  }

  std::string_view text_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

}  // namespace

const JsonValue* JsonValue::Member(std::string_view name) const {
  if (kind != Kind::Object) return nullptr;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i] == name) return &items[i];
  }
  return nullptr;
}

std::optional<std::string> JsonValue::StringMember(std::string_view name) const {
  const JsonValue* member = Member(name);
  if (member == nullptr || member->kind != Kind::String) return std::nullopt;
  return member->text;
}

std::optional<long long> JsonValue::IntegerMember(std::string_view name) const {
  const JsonValue* member = Member(name);
  if (member == nullptr || member->kind != Kind::Number || !std::isfinite(member->number) ||
      std::fabs(member->number) > 9.0e15) {
    return std::nullopt;
  }
  return static_cast<long long>(member->number);
}

std::optional<bool> JsonValue::BoolMember(std::string_view name) const {
  const JsonValue* member = Member(name);
  if (member == nullptr || member->kind != Kind::Bool) return std::nullopt;
  return member->boolean;
}

std::optional<JsonValue> ParseJson(std::string_view text) {
  if (text.size() > kJsonMaxBytes) return std::nullopt;
  return JsonReader(text).ReadDocument();
}

}  // namespace tapisto
