// Small text helpers shared by every layer. Text is UTF-8 std::string throughout.
#pragma once

#include <string>
#include <string_view>

namespace tapisto {

// Upper-cases the letters a to z only; every other byte (umlauts, UTF-8 sequences) is kept.
std::string UpperAscii(std::string_view text);

// The text from the last "." of `name` on, or "" when it has none. `name` is a file-name
// part (no folder); callers split the folder off with the path helpers first.
std::string_view ExtensionOf(std::string_view name);

// Parses a whole decimal integer (optional sign, digits, nothing else). Throws
// ConversionError naming the text when it is not one or does not fit 32 bits.
int StrictToInt(std::string_view text);

// Parses leniently: a missing or malformed number gives `fallback`.
int LenientToInt(std::string_view text, int fallback = 0);

// Appends the UTF-8 bytes of the code point `code`; a surrogate or a number past U+10FFFF,
// which stand for no character, as U+FFFD.
void AppendUtf8(std::string& out, char32_t code);

}  // namespace tapisto
