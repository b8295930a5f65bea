// Qt widgets for the controls whose behaviour Qt's own widgets do not give: labels and a line
// edit that report the left button to their model, and the spin field, whose text and arrows
// are the model's.
#pragma once

#include <QAbstractSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyle>
#include <functional>

#include "ports/dialogs.h"
#include "ui/controls.h"

namespace tapisto {

// Runs `action` at the boundary of a Qt slot or event handler: an error escaping it goes to the
// application's default report and never into Qt.
void RunGuarded(Dialogs& dialogs, const std::function<void()>& action);

// A label or line edit that tells its model's click counting about the left button: the press,
// and the release with whether it came inside the widget. The release is told after the
// widget's own handling of it, so a click handler that selects the text has the last word.
template <typename Widget>
class ClickReporting final : public Widget {
 public:
  explicit ClickReporting(QWidget* parent) : Widget(parent) {}
  std::function<void()> onLeftPress;
  std::function<void(bool inside)> onLeftRelease;

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && onLeftPress) onLeftPress();
    Widget::mousePressEvent(event);
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    Widget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && onLeftRelease) {
      onLeftRelease(this->rect().contains(event->position().toPoint()));
    }
  }
};

using ClickLabel = ClickReporting<QLabel>;
using ClickLineEdit = ClickReporting<QLineEdit>;

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
