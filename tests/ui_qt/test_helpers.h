// What the view tests share: where a spin field's arrows are, and QTest comparisons of UTF-8
// texts.
#pragma once

#include <QAbstractSpinBox>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <string>

#include "ui/qt/qt_text.h"

namespace tapisto::test {

// The centre of a spin field's up or down arrow, in the field's coordinates.
inline QPoint ArrowCentre(const QAbstractSpinBox& spin, QStyle::SubControl arrow) {
  QStyleOptionSpinBox option;
  option.initFrom(&spin);
  option.rect = spin.rect();
  option.subControls = QStyle::SC_All;
  option.buttonSymbols = spin.buttonSymbols();
  option.frame = spin.hasFrame();
  option.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
  return spin.style()->subControlRect(QStyle::CC_SpinBox, &option, arrow, &spin).center();
}

inline QString Q(const std::string& text) {
  return ToQString(text);
}

}  // namespace tapisto::test
