#include "base/text.h"

#include <charconv>

#include "base/error.h"

namespace tapisto {

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string_view ExtensionOf(std::string_view name) {
  const auto dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view{} : name.substr(dot);
}

namespace {
bool ParseInt(std::string_view text, int& value) {
  if (text.empty()) return false;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (*first == '+') ++first;  // from_chars takes "-" but not "+"
  if (first == last) return false;
  const auto [end, ec] = std::from_chars(first, last, value);
  return ec == std::errc{} && end == last;
}
}  // namespace

int StrictToInt(std::string_view text) {
  int value = 0;
  if (!ParseInt(text, value)) {
    throw ConversionError("'" + std::string(text) + "' ist kein gültiger Integerwert");
  }
  return value;
}

int LenientToInt(std::string_view text, int fallback) {
  int value = 0;
  return ParseInt(text, value) ? value : fallback;
}

}  // namespace tapisto
