#include "ui/win32/spin_arrows.h"

namespace tapisto {

Arrow ArrowAt(int width, int height, int x, int y) noexcept {
  if (x < 0 || y < 0 || x >= width || y >= height) return Arrow::None;
  return y < height / 2 ? Arrow::Up : Arrow::Down;
}

void ArrowPress::Press(Arrow arrow) noexcept {
  pressed_ = arrow;
  over_ = arrow != Arrow::None;
}

void ArrowPress::Move(Arrow under) noexcept {
  if (pressed_ != Arrow::None) over_ = under == pressed_;
}

Arrow ArrowPress::Repeat() noexcept {
  return over_ ? pressed_ : Arrow::None;
}

Arrow ArrowPress::Release(Arrow under) noexcept {
  const Arrow step = pressed_ != Arrow::None && under == pressed_ ? pressed_ : Arrow::None;
  Cancel();
  return step;
}

void ArrowPress::Cancel() noexcept {
  pressed_ = Arrow::None;
  over_ = false;
}

}  // namespace tapisto
