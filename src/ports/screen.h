// Port: the primary screen's size in pixels, read afresh at every call.
#pragma once

namespace tapisto {

class Screen {
 public:
  virtual ~Screen() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
};

}  // namespace tapisto
