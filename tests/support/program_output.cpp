#include "base/error.h"
#include "image/file_io.h"
#include "support/run_program.h"

namespace tapisto::test {

std::string ReadProgramOutput(const std::string& path) {
  std::vector<std::uint8_t> raw;
  try {
    raw = ReadWholeFile(path, std::int64_t{1} << 26);
  } catch (const FileReadError&) {
    return {};
  }
  std::string text;
  text.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
    text += static_cast<char>(raw[i]);
  }
  return text;
}

}  // namespace tapisto::test
