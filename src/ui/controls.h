// Toolkit-neutral models of the main window's controls. A view mirrors them: it turns native
// events into the User... calls and redraws a control when its model tells it something
// changed (the viewChanged hook). The program's own change handlers are separate, attachable
// and detachable, and fire exactly as the window framework's controls fire them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "image/raster.h"
#include "ports/timers.h"

namespace tapisto {

using Handler = std::function<void()>;

// What every control has: enabled state, a hint, and the hook a view uses to redraw.
struct ControlBase {
  std::string hint;
  Handler viewChanged;  // set by the view; called after any change the view must show

  bool Enabled() const noexcept { return enabled_; }
  void SetEnabled(bool enabled) {
    enabled_ = enabled;
    NotifyView();
  }

 protected:
  void NotifyView() const {
    if (viewChanged) viewChanged();
  }

 private:
  bool enabled_ = true;
};

// What a control that reports clicks has: the click handler, and a click as the window
// framework counts it for a control that does not count its own (a label, the picture, the
// file field): the left button pressed inside the control and released inside it.
class ClickSource {
 public:
  Handler onClick;
  void UserClick() const {
    if (onClick) onClick();
  }
  void UserPressLeft() noexcept { pressed_ = true; }
  void UserReleaseLeft(bool inside) {
    const bool click = pressed_ && inside;
    pressed_ = false;
    if (click) UserClick();
  }
  // The press ended without a release (the pointer was taken elsewhere): no click.
  void UserCancelPress() noexcept { pressed_ = false; }

 private:
  bool pressed_ = false;
};

// A push button, label, picture or link label: a caption and a click handler.
struct ClickableControl : ControlBase, ClickSource {
  std::string caption;
};

// A picture control (Image1): shows `picture` unscaled from its top-left corner.
struct ImageModel : ClickableControl {
  Raster picture;
};

// The file-open dialog (OpenDialog1): not shown in the window, so no view state beyond the
// texts it is opened with.
struct OpenDialogModel {
  std::string filter;         // one entry: "description|*.a;*.b"
  std::string initialFolder;  // empty: the system's choice
};

// A single-line edit box (Edit1). Every change of the text runs the change handler; setting
// the text it already holds is no change.
class EditModel : public ControlBase, public ClickSource {
 public:
  const std::string& Text() const noexcept { return text_; }
  void SetText(const std::string& text);
  // The user typed: the view passes the whole new text.
  void UserEdit(const std::string& text) { SetText(text); }
  void SelectAll();
  bool AllSelected() const noexcept { return allSelected_; }

  void AttachChange(Handler handler) { onChange_ = std::move(handler); }
  void DetachChange() { onChange_ = nullptr; }
  bool ChangeAttached() const noexcept { return static_cast<bool>(onChange_); }

 private:
  std::string text_;
  bool allSelected_ = false;
  Handler onChange_;
};

// A spin field's arrow, as a view tells where the pointer is.
enum class SpinArrow { None, Up, Down };

// A spin field (SpinEdit1, SpinEdit2): a signed integer as text, arrows stepping by 10.
// Bounds 0 and 0 mean no bounds; otherwise set and stepped values are clamped into them, and
// a typed value when the field loses the focus. Changing the bounds clamps nothing. A text
// that is not a whole number reads as the lower bound.
//
// An arrow steps when the left button is released over it, not when it is pressed; held down,
// it steps after 400 ms and then every 100 ms while the pointer stays over it, and the release
// adds one more step. So a click's one step comes after the release, which the message hook
// has already seen.
class SpinEditModel : public ControlBase {
 public:
  static constexpr int kIncrement = 10;
  static constexpr std::uint32_t kFirstRepeatMs = 400;
  static constexpr std::uint32_t kRepeatMs = 100;

  // Without timers a held arrow steps only on its release.
  SpinEditModel() = default;
  explicit SpinEditModel(Timers& timers);
  SpinEditModel(const SpinEditModel&) = delete;
  SpinEditModel& operator=(const SpinEditModel&) = delete;

  const std::string& Text() const noexcept { return text_; }
  int Value() const;
  void SetValue(int value);
  int MinValue() const noexcept { return min_; }
  int MaxValue() const noexcept { return max_; }
  void SetBounds(int minValue, int maxValue);

  // Typing accepts the digits 0 to 9, "+", "-" and the locale's decimal separator; a text set
  // by the program is shown whatever it holds.
  static bool Typeable(char32_t c, char32_t decimalSeparator) noexcept;

  void UserEdit(const std::string& text) { SetText(text); }
  void UserStepUp() { Step(kIncrement); }
  void UserStepDown() { Step(-kIncrement); }
  void UserLeaveField();

  // The arrows under the pointer: the left button went down over `arrow` (None: over neither,
  // nothing starts), the pointer moved over `under` while it is held, it went up over `under`,
  // or the press ended without a release (the pointer was taken elsewhere; no step).
  void UserPressArrow(SpinArrow arrow);
  void UserMoveOverArrow(SpinArrow under);
  void UserReleaseArrow(SpinArrow under);
  void UserCancelArrow();
  // What a view draws: the arrow held down, and whether the pointer is over it.
  SpinArrow PressedArrow() const noexcept { return pressed_; }
  bool OverPressedArrow() const noexcept { return overPressed_; }

  void AttachChange(Handler handler) { onChange_ = std::move(handler); }
  void DetachChange() { onChange_ = nullptr; }
  bool ChangeAttached() const noexcept { return static_cast<bool>(onChange_); }

 private:
  void SetText(const std::string& text);
  void Step(int by);
  void StepArrow(SpinArrow arrow);
  void RepeatArrow();
  void EndPress();
  int Clamp(int value) const noexcept;

  std::string text_ = "0";
  int min_ = 0;
  int max_ = 0;
  Handler onChange_;
  SpinArrow pressed_ = SpinArrow::None;
  bool overPressed_ = false;
  std::unique_ptr<Timer> repeat_;
};

// A drop-down list without typing (ComboBox1). Its change handler runs only when the user
// selects an entry; a selection made by the program runs nothing.
class ComboBoxModel : public ControlBase {
 public:
  std::vector<std::string> items;

  int ItemIndex() const noexcept { return index_; }
  // The selected entry's text; empty when nothing is selected.
  std::string Text() const;
  void SetItemIndex(int index);
  void UserSelect(int index);

  void AttachChange(Handler handler) { onChange_ = std::move(handler); }
  void DetachChange() { onChange_ = nullptr; }
  bool ChangeAttached() const noexcept { return static_cast<bool>(onChange_); }

 private:
  int index_ = -1;
  Handler onChange_;
};

}  // namespace tapisto
