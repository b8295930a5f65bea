// A small reader of JSON text (RFC 8259) for what desktops answer: sway's IPC replies and the
// values a Plasma script prints. Bounded: the text's size and the nesting depth are limited,
// so a reply that is damaged or hostile costs little and never exhausts the stack.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tapisto {

struct JsonValue {
  enum class Kind { Null, Bool, Number, String, Array, Object };

  Kind kind = Kind::Null;
  bool boolean = false;
  double number = 0;
  std::string text;               // a string's UTF-8 text
  std::vector<JsonValue> items;   // an array's elements, an object's member values
  std::vector<std::string> keys;  // an object's member names, one for each item

  // The value of the object's first member named `name`; nullptr when this is not an object
  // or has no such member.
  const JsonValue* Member(std::string_view name) const;
  // The member's string, number (whole, rounded toward zero) or boolean; nullopt when the
  // member is missing or of another kind.
  std::optional<std::string> StringMember(std::string_view name) const;
  std::optional<long long> IntegerMember(std::string_view name) const;
  std::optional<bool> BoolMember(std::string_view name) const;
};

// The most text ParseJson reads, and how deeply arrays and objects may nest in it.
constexpr std::size_t kJsonMaxBytes = 16u << 20;
constexpr int kJsonMaxDepth = 64;

// The one JSON value `text` holds, white space around it allowed; nullopt when the text is
// not exactly one value, is longer than kJsonMaxBytes or nests deeper than kJsonMaxDepth.
std::optional<JsonValue> ParseJson(std::string_view text);

}  // namespace tapisto
