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

SpinField::SpinField(SpinEditModel& model, Dialogs& dialogs, QWidget* parent)
    : QAbstractSpinBox(parent), model_(model), dialogs_(dialogs) {
  setAccelerated(false);
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
  update();
}

SpinArrow SpinField::ArrowAt(const QPoint& pos) const {
  QStyleOptionSpinBox option;
  initStyleOption(&option);
  const QStyle::SubControl control =
      style()->hitTestComplexControl(QStyle::CC_SpinBox, &option, pos, this);
  if (control == QStyle::SC_SpinBoxUp) return SpinArrow::Up;
  if (control == QStyle::SC_SpinBoxDown) return SpinArrow::Down;
  return SpinArrow::None;
}

void SpinField::stepBy(int steps) {
  // The keys and the wheel: one step of the field's increment per event, in its direction.
  RunGuarded(dialogs_, [this, steps] {
    if (steps > 0) model_.UserStepUp();
    if (steps < 0) model_.UserStepDown();
  });
}

QValidator::State SpinField::validate(QString& input, int&) const {
  const char32_t decimal = QLocale().decimalPoint().front().unicode();
  for (const QChar c : input) {
    if (!SpinEditModel::Typeable(c.unicode(), decimal)) return QValidator::Invalid;
  }
  return QValidator::Acceptable;
}

void SpinField::mousePressEvent(QMouseEvent* event) {
  const SpinArrow arrow = ArrowAt(event->position().toPoint());
  if (!IsLeftPress(event) || arrow == SpinArrow::None || !isEnabled()) {
    QAbstractSpinBox::mousePressEvent(event);
    return;
  }
  event->accept();
  RunGuarded(dialogs_, [this, arrow] { model_.UserPressArrow(arrow); });
}

void SpinField::mouseMoveEvent(QMouseEvent* event) {
  if (model_.PressedArrow() == SpinArrow::None) {
    QAbstractSpinBox::mouseMoveEvent(event);
    return;
  }
  event->accept();
  const SpinArrow under = ArrowAt(event->position().toPoint());
  RunGuarded(dialogs_, [this, under] { model_.UserMoveOverArrow(under); });
}

void SpinField::mouseReleaseEvent(QMouseEvent* event) {
  if (!IsLeftPress(event) || model_.PressedArrow() == SpinArrow::None) {
    QAbstractSpinBox::mouseReleaseEvent(event);
    return;
  }
  event->accept();
  const SpinArrow under = ArrowAt(event->position().toPoint());
  RunGuarded(dialogs_, [this, under] { model_.UserReleaseArrow(under); });
}

void SpinField::focusOutEvent(QFocusEvent* event) {
  QAbstractSpinBox::focusOutEvent(event);
  RunGuarded(dialogs_, [this] { model_.UserLeaveField(); });
}

void SpinField::paintEvent(QPaintEvent*) {
  QStyleOptionSpinBox option;
  initStyleOption(&option);
  if (model_.OverPressedArrow()) {
    option.activeSubControls =
        model_.PressedArrow() == SpinArrow::Up ? QStyle::SC_SpinBoxUp : QStyle::SC_SpinBoxDown;
    option.state |= QStyle::State_Sunken;
  }
  QStylePainter painter(this);
  painter.drawComplexControl(QStyle::CC_SpinBox, option);
}

}  // namespace tapisto
