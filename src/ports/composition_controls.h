// Port: the few controls of the main window that the compositions touch. The main window
// implements it; tests use a recording fake.
#pragma once

namespace tapisto {

class CompositionControls {
 public:
  virtual ~CompositionControls() = default;
  // The values of the X (SpinEdit1) and Y (SpinEdit2) offset fields.
  virtual int OffsetX() = 0;
  virtual int OffsetY() = 0;
  // Removes and restores the change handlers of both offset fields.
  virtual void DetachOffsetHandlers() = 0;
  virtual void AttachOffsetHandlers() = 0;
  // Sets the X field to 0 (clamped into its range) with its change handler attached: when the
  // value changes, the handler runs now and may apply the wallpaper once more, nested.
  virtual void ResetOffsetXToZero() = 0;
  // Selects entry 0 ("normal") of the style list without running its change handler.
  virtual void SelectFirstStyleSilently() = 0;
};

}  // namespace tapisto
