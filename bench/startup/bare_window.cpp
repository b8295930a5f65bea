// The floor of start-up: a bare Qt 6 window with the main window's controls at their places
// and nothing behind them (no settings, no desktop, no picture decoded). bench/startup.sh
// times it beside Tapisto.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QWidget>

#include "state/style_table.h"
#include "ui/layout.h"

namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QWidget* ControlOf(const tapisto::ControlLayout& row, QWidget* parent) {
  using tapisto::ControlKind;
  switch (row.kind) {
    case ControlKind::Edit:
      return new QLineEdit(parent);
    case ControlKind::Button:
      return new QPushButton(Text(row.caption), parent);
    case ControlKind::SpinEdit:
      return new QSpinBox(parent);
    case ControlKind::ComboBox: {
      auto* box = new QComboBox(parent);
      for (const tapisto::StyleRow& style : tapisto::kStyleTable) box->addItem(Text(style.text));
      return box;
    }
    case ControlKind::Label:
    case ControlKind::LinkLabel:
    case ControlKind::Picture:
      return new QLabel(Text(row.caption), parent);
    default:
      return nullptr;
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.setWindowTitle(Text(tapisto::kForm1Window.caption));
  window.setFixedSize(tapisto::kForm1Window.clientWidth, tapisto::kForm1Window.clientHeight);
  for (const tapisto::ControlLayout& row : tapisto::kForm1Layout) {
    if (QWidget* control = ControlOf(row, &window)) {
      control->setGeometry(row.left, row.top, row.width, row.height);
    }
  }
  window.show();
  return QApplication::exec();
}
