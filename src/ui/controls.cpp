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
