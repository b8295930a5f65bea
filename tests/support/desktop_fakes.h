// Fakes for the desktop layer: the main window's controls as applying and reading the desktop
// settings see them, recording every call, and an environment variable set for one test.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "ports/desktop_controls.h"
#include "support/fakes.h"

namespace tapisto::test {

class RecordingDesktopControls final : public DesktopControls {
 public:
  // The composition side goes to a RecordingControls, whose x and y are the offset fields.
  int OffsetX() override { return offsets.OffsetX(); }
  int OffsetY() override { return offsets.OffsetY(); }
  void DetachOffsetHandlers() override { offsets.DetachOffsetHandlers(); }
  void AttachOffsetHandlers() override { offsets.AttachOffsetHandlers(); }
  void ResetOffsetXToZero() override { offsets.ResetOffsetXToZero(); }
  void SelectFirstStyleSilently() override {
    offsets.SelectFirstStyleSilently();
    styleText = "normal";
  }

  std::string StyleText() override { return styleText; }
  std::string FileFieldText() override { return fileField; }
  void SetOffsetXEnabled(bool enabled) override { xEnabled = enabled; }
  void SetOffsetYEnabled(bool enabled) override { yEnabled = enabled; }
  void SelectStyleSilently(const std::string& text) override {
    events.push_back("select " + text);
    styleText = text;
  }
  void SetOffsetXValue(int value) override {
    events.push_back("x " + std::to_string(value));
    offsets.x = value;
  }
  void SetOffsetYValue(int value) override {
    events.push_back("y " + std::to_string(value));
    offsets.y = value;
  }

  RecordingControls offsets;
  std::string styleText;  // the selected style entry, "" when none
  std::string fileField;
  bool xEnabled = true;
  bool yEnabled = true;
  std::vector<std::string> events;  // "select <text>", "x <n>", "y <n>" in call order
};

// Sets (or, with nullopt, removes) an environment variable and puts the old state back when
// the test ends, so no test sees the developer's folders or another test's.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(value);
  }
  ~ScopedEnv() { Set(old_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Set(const std::optional<std::string>& value) {
#ifdef _WIN32
    // "NAME=" removes the variable.
    ::_putenv((name_ + "=" + value.value_or("")).c_str());
#else
    if (value) {
      ::setenv(name_.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name_.c_str());
    }
#endif
  }
  std::string name_;
  std::optional<std::string> old_;
};

}  // namespace tapisto::test
