// Qt widgets for the controls whose behaviour Qt's own widgets do not give: labels and a line
// edit that report a click, and the spin field, whose text and arrows are the model's.
#pragma once

#include <QAbstractSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
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
// the characters the model refuses never reach it; the arrows under the pointer go to the
// model's arrow calls, which step and repeat; the Up and Down keys go to UserStepUp and
// UserStepDown, losing the focus to UserLeaveField. Mirror() shows the model's text and its
// pressed arrow.
class SpinField final : public QAbstractSpinBox {
 public:
  SpinField(SpinEditModel& model, Dialogs& dialogs, QWidget* parent);

  void Mirror();
  // The arrow under `pos` (widget coordinates).
  SpinArrow ArrowAt(const QPoint& pos) const;

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
  SpinEditModel& model_;
  Dialogs& dialogs_;
};

}  // namespace tapisto
