// The arrows of a spin field as the program's spin fields work them: an arrow steps when the
// left button is released over it, not when it is pressed; held down, it steps after 400 ms
// and then every 100 ms while the pointer stays over it, and the release adds one more step.
// So the step of a plain click comes after the release, which the message hook has already
// seen. This is the bookkeeping only; the view feeds it mouse and timer events.
#pragma once

namespace tapisto {

enum class Arrow { None, Up, Down };

// The arrow at client point (x, y) of an arrow control of `width` x `height` stacked
// vertically: the upper half is Up, the lower half Down, outside is None.
Arrow ArrowAt(int width, int height, int x, int y) noexcept;

class ArrowPress {
 public:
  static constexpr unsigned kFirstRepeatMs = 400;
  static constexpr unsigned kRepeatMs = 100;

  // The left button went down over `arrow` (None: nowhere, nothing starts).
  void Press(Arrow arrow) noexcept;
  // The pointer moved while the button is held; `under` is the arrow it is over now.
  void Move(Arrow under) noexcept;
  // The repeat timer fired: the arrow to step, None when the pointer is off the pressed arrow
  // or nothing is pressed.
  Arrow Repeat() noexcept;
  // The button went up over `under`: the arrow to step (the pressed one, when released over
  // it). Ends the press.
  Arrow Release(Arrow under) noexcept;
  // The press ended without a release (the capture went elsewhere): no step.
  void Cancel() noexcept;

  Arrow Pressed() const noexcept { return pressed_; }
  bool OverPressed() const noexcept { return over_; }

 private:
  Arrow pressed_ = Arrow::None;
  bool over_ = false;
};

}  // namespace tapisto
