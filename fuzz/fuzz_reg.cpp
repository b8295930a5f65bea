// Fuzz target: the settings hive file parser and its index. Any SettingsError is an expected
// answer to bad input. A hive that parses must write out as text that parses again to the same
// text: the store rewrites the file on every change and must never change what it did not
// touch. Every key and value must be found through the hash index where the file has it, also
// after a key is inserted before the others and a value is appended.
#include <string>
#include <string_view>

#include "desktop/posix/hive/reg_hive.h"
#include "fuzz_target.h"

namespace {

void CheckIndex(tapisto::Hive& hive) {
  for (tapisto::HiveKey& key : hive.keys) {
    if (hive.FindKey(key.path) != &key) __builtin_trap();
    for (const tapisto::HiveValue& value : key.values) {
      if (tapisto::FindValue(key, value.name) != &value) __builtin_trap();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    tapisto::Hive hive = tapisto::ParseHive(bytes, "fuzz.reg");
    CheckIndex(hive);
    const std::string once = tapisto::FormatHive(hive);
    const std::string twice = tapisto::FormatHive(tapisto::ParseHive(once, "fuzz.reg"));
    if (once != twice) __builtin_trap();
    // A new section goes before its descendants, moving the keys after it.
    if (!hive.keys.empty()) {
      const std::string parent(tapisto::TrimKeyPath(hive.keys.back().path));
      const std::size_t slash = parent.rfind('\\');
      tapisto::HiveKey& added =
          hive.SectionFor(slash == std::string::npos ? "" : parent.substr(0, slash));
      if (tapisto::FindValue(added, "Neu") == nullptr) {
        added.values.push_back(tapisto::MakeStringValue("Neu", "Wert"));
      }
      CheckIndex(hive);
    }
  } catch (const tapisto::SettingsError&) {
  }
  return 0;
}
