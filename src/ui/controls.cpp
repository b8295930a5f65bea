#include "ui/controls.h"

#include <algorithm>
#include <limits>

#include "base/text.h"

namespace tapisto {

void EditModel::SetText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  allSelected_ = false;
  NotifyView();
  if (onChange_) {
    // A handler may detach or replace itself while it runs: call a copy.
    const Handler handler = onChange_;
    handler();
  }
}

void EditModel::SelectAll() {
  allSelected_ = true;
  NotifyView();
}

int SpinEditModel::Value() const {
  return LenientToInt(text_, min_);
}

int SpinEditModel::Clamp(int value) const noexcept {
  if (min_ == max_) return value;
  return std::clamp(value, std::min(min_, max_), std::max(min_, max_));
}

void SpinEditModel::SetValue(int value) {
  SetText(std::to_string(Clamp(value)));
}

void SpinEditModel::Step(int by) {
  // A step past the end of the integer range stays at its end.
  const long long stepped = static_cast<long long>(Value()) + by;
  SetValue(static_cast<int>(std::clamp<long long>(stepped, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max())));
}

void SpinEditModel::SetBounds(int minValue, int maxValue) {
  min_ = minValue;
  max_ = maxValue;
  NotifyView();
}

SpinEditModel::SpinEditModel(Timers& timers)
    : repeat_(timers.CreateTimer([this] { RepeatArrow(); })) {}

bool SpinEditModel::Typeable(char32_t c, char32_t decimalSeparator) noexcept {
  return (c >= U'0' && c <= U'9') || c == U'+' || c == U'-' || c == decimalSeparator;
}

void SpinEditModel::UserPressArrow(SpinArrow arrow) {
  pressed_ = arrow;
  overPressed_ = arrow != SpinArrow::None;
  if (overPressed_ && repeat_) repeat_->Start(kFirstRepeatMs);
  NotifyView();
}

void SpinEditModel::UserMoveOverArrow(SpinArrow under) {
  if (pressed_ == SpinArrow::None || (under == pressed_) == overPressed_) return;
  overPressed_ = under == pressed_;
  NotifyView();
}

void SpinEditModel::UserReleaseArrow(SpinArrow under) {
  if (pressed_ == SpinArrow::None) return;
  const SpinArrow step = under == pressed_ ? pressed_ : SpinArrow::None;
  EndPress();
  StepArrow(step);
}

void SpinEditModel::UserCancelArrow() {
  if (pressed_ != SpinArrow::None) EndPress();
}

void SpinEditModel::RepeatArrow() {
  if (pressed_ == SpinArrow::None) {
    repeat_->Stop();
    return;
  }
  // From the second step on the arrow repeats faster.
  repeat_->Start(kRepeatMs);
  if (overPressed_) StepArrow(pressed_);
}

void SpinEditModel::EndPress() {
  pressed_ = SpinArrow::None;
  overPressed_ = false;
  if (repeat_) repeat_->Stop();
  NotifyView();
}

void SpinEditModel::StepArrow(SpinArrow arrow) {
  if (arrow == SpinArrow::Up) UserStepUp();
  if (arrow == SpinArrow::Down) UserStepDown();
}

void SpinEditModel::UserLeaveField() {
  const int value = Value();
  if (Clamp(value) != value) SetValue(value);
}

void SpinEditModel::SetText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  NotifyView();
  if (onChange_) {
    const Handler handler = onChange_;
    handler();
  }
}

std::string ComboBoxModel::Text() const {
  if (index_ < 0 || index_ >= static_cast<int>(items.size())) return "";
  return items[static_cast<std::size_t>(index_)];
}

void ComboBoxModel::SetItemIndex(int index) {
  index_ = (index >= 0 && index < static_cast<int>(items.size())) ? index : -1;
  NotifyView();
}

void ComboBoxModel::UserSelect(int index) {
  SetItemIndex(index);
  if (onChange_) {
    const Handler handler = onChange_;
    handler();
  }
}

}  // namespace tapisto
