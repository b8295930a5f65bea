// The log window's line list. Lines are appended only while the log window exists; the
// window shows them (it is hidden until the user opens it).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tapisto {

class LogLines {
 public:
  bool WindowExists() const noexcept { return windowExists_; }
  void SetWindowExists(bool exists) noexcept { windowExists_ = exists; }
  const std::vector<std::string>& Lines() const noexcept { return lines_; }
  void Append(std::string line) {
    lines_.push_back(std::move(line));
    if (appended) appended(lines_.back());
  }

  // Set by a view that shows the lines (the log window's text box).
  std::function<void(const std::string&)> appended;

 private:
  bool windowExists_ = false;
  std::vector<std::string> lines_;
};

// Appends `line` when the log window exists; does nothing otherwise.
inline void AppendLogLine(LogLines& log, std::string line) {
  if (log.WindowExists()) log.Append(std::move(line));
}

}  // namespace tapisto
