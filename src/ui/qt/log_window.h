// The log window's view: a fixed-size window with the log's text box and the close button,
// hidden until the model shows it. Lines appended to the log appear at once, shown or not.
#pragma once

#include <QWidget>

#include "ports/dialogs.h"
#include "state/log_lines.h"
#include "ui/form2.h"

class QPlainTextEdit;
class QPushButton;

namespace tapisto {

class LogWindowView final : public QWidget {
 public:
  LogWindowView(TForm2& form, Dialogs& dialogs);
  ~LogWindowView() override;
  LogWindowView(const LogWindowView&) = delete;
  LogWindowView& operator=(const LogWindowView&) = delete;

  QPlainTextEdit* Memo() const noexcept { return memo_; }
  QPushButton* CloseButton() const noexcept { return button_; }

 protected:
  // Closing hides the window, as its close button does; it and its lines stay.
  void closeEvent(QCloseEvent* event) override;

 private:
  void MirrorVisibility();

  TForm2& form_;
  Dialogs& dialogs_;
  QPlainTextEdit* memo_;
  QPushButton* button_;
};

}  // namespace tapisto
