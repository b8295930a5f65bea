// Port: the main window's controls as applying and reading the desktop settings touch them.
// The main window implements it; tests use a recording fake.
#pragma once

#include <string>

#include "ports/composition_controls.h"

namespace tapisto {

class DesktopControls : public CompositionControls {
 public:
  // The text of the style list (the selected entry, empty when none) and of the file field.
  virtual std::string StyleText() = 0;
  virtual std::string FileFieldText() = 0;
  virtual void SetOffsetXEnabled(bool enabled) = 0;
  virtual void SetOffsetYEnabled(bool enabled) = 0;
  // Selects the style entry with this text without running the list's change handler.
  virtual void SelectStyleSilently(const std::string& text) = 0;
  // Sets an offset field's value as start-up does (before ranges and handlers exist).
  virtual void SetOffsetXValue(int value) = 0;
  virtual void SetOffsetYValue(int value) = 0;
};

}  // namespace tapisto
