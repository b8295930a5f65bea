#include "ui/form2.h"

namespace tapisto {

TForm2::TForm2(LogLines& log) : Memo1(log), visible_(kForm2Window.visibleAtStart) {
  Button1.caption = std::string(LayoutOf(kForm2Layout, "Button1").caption);
  Button1.onClick = [this] { FormKlose(); };
  Memo1.log.SetWindowExists(true);
}

TForm2::~TForm2() {
  Memo1.log.SetWindowExists(false);
}

void TForm2::Show() {
  SetVisible(true);
}

void TForm2::FormKlose() {
  SetVisible(false);
}

void TForm2::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  if (visibilityChanged) visibilityChanged();
}

}  // namespace tapisto
