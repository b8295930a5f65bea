// TForm2, the log window: one line of text for each file the program chooses, applies or
// produces. It is created hidden at start and only ever hidden by the program; while it
// exists, lines appended to the log reach it.
#pragma once

#include "state/log_lines.h"
#include "ui/controls.h"
#include "ui/layout.h"

namespace tapisto {

// The text box of the log: shows the log's lines, oldest first.
struct MemoModel : ControlBase {
  explicit MemoModel(LogLines& lines) : log(lines) {}
  LogLines& log;
};

class TForm2 {
 public:
  // From now on the log window exists: appended lines are kept.
  explicit TForm2(LogLines& log);
  ~TForm2();
  TForm2(const TForm2&) = delete;
  TForm2& operator=(const TForm2&) = delete;

  const WindowDefinition& Definition() const noexcept { return kForm2Window; }
  std::string_view Caption() const noexcept { return kForm2Window.caption; }

  bool Visible() const noexcept { return visible_; }
  // Shows the window (the program itself offers no command for it; a view may).
  void Show();
  // The click handler of Button1: closing hides the window; it and its lines stay.
  void FormKlose();

  MemoModel Memo1;
  ClickableControl Button1;
  Handler visibilityChanged;  // set by the view

 private:
  void SetVisible(bool visible);

  bool visible_ = false;
};

}  // namespace tapisto
