#include "ui/qt/control_widgets.h"

#include <QFocusEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QStyleOptionSpinBox>
#include <QStylePainter>

#include "ui/qt/qt_text.h"
#include "ui/window_support.h"

namespace tapisto {

void RunGuarded(Dialogs& dialogs, const std::function<void()>& action) {
  try {
    action();
  } catch (...) {
    dialogs.ShowErrorReport(CurrentErrorMessage());
  }
}

namespace {

bool IsLeftPress(const QMouseEvent* event) {
  return event->button() == Qt::LeftButton;
}

}  // namespace

void ClickLabel::mousePressEvent(QMouseEvent* event) {
  if (IsLeftPress(event)) pressed_ = true;
  QLabel::mousePressEvent(event);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  const bool click = IsLeftPress(event) && pressed_ && rect().contains(event->position().toPoint());
  if (IsLeftPress(event)) pressed_ = false;
  if (click && onClick) onClick();
}

void ClickLineEdit::mousePressEvent(QMouseEvent* event) {
  if (IsLeftPress(event)) pressed_ = true;
  QLineEdit::mousePressEvent(event);
}

void ClickLineEdit::mouseReleaseEvent(QMouseEvent* event) {
  QLineEdit::mouseReleaseEvent(event);
  const bool click = IsLeftPress(event) && pressed_ && rect().contains(event->position().toPoint());
  if (IsLeftPress(event)) pressed_ = false;
  if (click && onClick) onClick();
}

SpinField::SpinField(SpinEditModel& model, Dialogs& dialogs, QWidget* parent)
    : QAbstractSpinBox(parent), model_(model), dialogs_(dialogs) {
  setAccelerated(false);
  repeat_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&repeat_, &QTimer::timeout, this, [this] { Repeat(); });
  QObject::connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
    RunGuarded(dialogs_, [this, &text] { model_.UserEdit(ToUtf8(text)); });
  });
  Mirror();
}

void SpinField::Mirror() {
  const QString text = ToQString(model_.Text());
  if (lineEdit()->text() != text) lineEdit()->setText(text);
  setEnabled(model_.Enabled());
  setToolTip(ToQString(model_.hint));
}

QStyle::SubControl SpinField::ArrowAt(const QPoint& pos) const {
  QStyleOptionSpinBox option;
  initStyleOption(&option);
  const QStyle::SubControl control =
      style()->hitTestComplexControl(QStyle::CC_SpinBox, &option, pos, this);
  return control == QStyle::SC_SpinBoxUp || control == QStyle::SC_SpinBoxDown ? control
                                                                              : QStyle::SC_None;
}

void SpinField::stepBy(int steps) {
  // The keys and the wheel: one step of the field's increment per event, in its direction.
  if (steps > 0) Step(QStyle::SC_SpinBoxUp);
  if (steps < 0) Step(QStyle::SC_SpinBoxDown);
}

QValidator::State SpinField::validate(QString& input, int&) const {
  const QChar decimal = QLocale().decimalPoint().front();
  for (const QChar c : input) {
    if (!c.isDigit() && c != QLatin1Char('+') && c != QLatin1Char('-') && c != decimal) {
      return QValidator::Invalid;
    }
  }
  return QValidator::Acceptable;
}

void SpinField::mousePressEvent(QMouseEvent* event) {
  const QStyle::SubControl arrow = ArrowAt(event->position().toPoint());
  if (!IsLeftPress(event) || arrow == QStyle::SC_None || !isEnabled()) {
    QAbstractSpinBox::mousePressEvent(event);
    return;
  }
  pressedArrow_ = arrow;
  overPressedArrow_ = true;
  repeat_.start(kFirstRepeatMs);
  update();
  event->accept();
}

void SpinField::mouseMoveEvent(QMouseEvent* event) {
  if (pressedArrow_ == QStyle::SC_None) {
    QAbstractSpinBox::mouseMoveEvent(event);
    return;
  }
  const bool over = ArrowAt(event->position().toPoint()) == pressedArrow_;
  if (over != overPressedArrow_) {
    overPressedArrow_ = over;
    update();
  }
  event->accept();
}

void SpinField::mouseReleaseEvent(QMouseEvent* event) {
  if (!IsLeftPress(event) || pressedArrow_ == QStyle::SC_None) {
    QAbstractSpinBox::mouseReleaseEvent(event);
    return;
  }
  const QStyle::SubControl arrow = pressedArrow_;
  const bool over = ArrowAt(event->position().toPoint()) == arrow;
  pressedArrow_ = QStyle::SC_None;
  overPressedArrow_ = false;
  repeat_.stop();
  update();
  event->accept();
  if (over) Step(arrow);
}

void SpinField::Repeat() {
  repeat_.setInterval(kRepeatMs);
  if (overPressedArrow_) Step(pressedArrow_);
}

void SpinField::Step(QStyle::SubControl arrow) {
  RunGuarded(dialogs_, [this, arrow] {
    if (arrow == QStyle::SC_SpinBoxUp) model_.UserStepUp();
    if (arrow == QStyle::SC_SpinBoxDown) model_.UserStepDown();
  });
}

void SpinField::focusOutEvent(QFocusEvent* event) {
  QAbstractSpinBox::focusOutEvent(event);
  RunGuarded(dialogs_, [this] { model_.UserLeaveField(); });
}

void SpinField::paintEvent(QPaintEvent*) {
  QStyleOptionSpinBox option;
  initStyleOption(&option);
  if (pressedArrow_ != QStyle::SC_None && overPressedArrow_) {
    option.activeSubControls = pressedArrow_;
    option.state |= QStyle::State_Sunken;
  }
  QStylePainter painter(this);
  painter.drawComplexControl(QStyle::CC_SpinBox, option);
}

}  // namespace tapisto
