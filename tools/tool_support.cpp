#include "tool_support.h"

#include <algorithm>

#include "base/error.h"
#include "base/text.h"

namespace tapisto::tool {

Arguments Arguments::Parse(const std::vector<std::string>& args,
                           const std::vector<std::string>& valued,
                           const std::vector<std::string>& flags) {
  Arguments out;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() > 2 && a.rfind("--", 0) == 0) {
      if (std::find(valued.begin(), valued.end(), a) != valued.end()) {
        if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
        out.options[a] = args[++i];
      } else if (std::find(flags.begin(), flags.end(), a) != flags.end()) {
        out.options[a] = "";
      } else {
        throw UsageError("unknown option " + a);
      }
    } else {
      out.plain.push_back(a);
    }
  }
  return out;
}

std::optional<std::string> Arguments::Get(const std::string& name) const {
  const auto it = options.find(name);
  if (it == options.end()) return std::nullopt;
  return it->second;
}

int ParseInt(const std::string& text, const char* what) {
  try {
    return StrictToInt(text);
  } catch (const ConversionError&) {
    throw UsageError(std::string(what) + " must be a whole number, not '" + text + "'");
  }
}

std::pair<int, int> ParseSize(const std::string& text) {
  const auto x = text.find('x');
  if (x == std::string::npos) throw UsageError("a size is written WxH, not '" + text + "'");
  const int w = ParseInt(text.substr(0, x), "the width");
  const int h = ParseInt(text.substr(x + 1), "the height");
  if (w < 1 || h < 1 || w > 32768 || h > 32768) {
    throw UsageError("a screen size runs from 1x1 to 32768x32768, not '" + text + "'");
  }
  return {w, h};
}

}  // namespace tapisto::tool
