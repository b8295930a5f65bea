// Qt widgets for the controls whose behaviour Qt's own widgets do not give: labels and a line
// edit that report a click, and the spin field, whose text is the model's and whose arrows step
// when the left button is released over them.
#pragma once

#include <QAbstractSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTimer>
#include <functional>

#include "desktop/ports/dialogs.h"
#include "ui/controls.h"

namespace tapisto {

// Runs `action` at the boundary of a Qt slot or event handler: an error escaping it goes to the
// application's default report and never into Qt.
void RunGuarded(Dialogs& dialogs, const std::function<void()>& action);

// A click is a left-button press and a release inside the control, as the window framework
// counts it.
class ClickLabel final : public QLabel {
 public:
  explicit ClickLabel(QWidget* parent) : QLabel(parent) {}
  std::function<void()> onClick;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool pressed_ = false;
};

// The line edit reports the click after its own handling of the release, so a click handler
// that selects the text has the last word.
class ClickLineEdit final : public QLineEdit {
 public:
  explicit ClickLineEdit(QWidget* parent) : QLineEdit(parent) {}
  std::function<void()> onClick;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool pressed_ = false;
};

// A view of a SpinEditModel. The model is authoritative: typed text goes to UserEdit whole,
// arrows and the Up and Down keys to UserStepUp and UserStepDown, losing the focus to
// UserLeaveField; Mirror() shows the model's text. Typing accepts digits, "+", "-" and the
// locale's decimal separator; a text set by the program is shown whatever it holds.
//
// An arrow steps when the left button is released over it, not when it is pressed; held down,
// it steps after 400 ms and then every 100 ms while the pointer stays over it. So a click's one
// step comes after the release, which the message hook has seen first.
class SpinField final : public QAbstractSpinBox {
 public:
  static constexpr int kFirstRepeatMs = 400;
  static constexpr int kRepeatMs = 100;

  SpinField(SpinEditModel& model, Dialogs& dialogs, QWidget* parent);

  void Mirror();
  // The arrow under `pos` (widget coordinates): SC_SpinBoxUp, SC_SpinBoxDown or SC_None.
  QStyle::SubControl ArrowAt(const QPoint& pos) const;

 protected:
  void stepBy(int steps) override;
  StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
  QValidator::State validate(QString& input, int& pos) const override;
  void fixup(QString&) const override {}
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Step(QStyle::SubControl arrow);
  void Repeat();

  SpinEditModel& model_;
  Dialogs& dialogs_;
  QTimer repeat_;
  QStyle::SubControl pressedArrow_ = QStyle::SC_None;
  bool overPressedArrow_ = false;
};

}  // namespace tapisto
