#include "ui/qt/qt_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "ui/qt/qt_text.h"
#include "ui/qt/view_metrics.h"

namespace tapisto {

namespace {

// Boxes without a parent are centred on the screen, as the program's boxes are.
void ShowBox(QMessageBox::Icon icon, const std::string& caption, const std::string& text) {
  QMessageBox box(icon, ToQString(caption), ToQString(text), QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace

void QtDialogs::ShowMessage(const std::string& text) {
  ShowBox(QMessageBox::NoIcon, application_.Title(), text);
}

bool QtDialogs::Confirm(const std::string& text) {
  QMessageBox box(QMessageBox::Question, ToQString(kConfirmCaption), ToQString(text));
  box.setTextFormat(Qt::PlainText);
  QPushButton* yes = box.addButton(ToQString(kYesButton), QMessageBox::YesRole);
  QPushButton* no = box.addButton(ToQString(kNoButton), QMessageBox::NoRole);
  box.setDefaultButton(yes);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() != no;
}

void QtDialogs::ShowErrorReport(const std::string& text) {
  ShowBox(QMessageBox::Critical, application_.Title(), text);
}

std::optional<std::string> QtDialogs::ChooseFile(const std::string& filter,
                                                 const std::string& initialFolder) {
  const QString chosen = QFileDialog::getOpenFileName(owner_, QString(), ToQString(initialFolder),
                                                      QtFileFilter(filter));
  if (chosen.isEmpty()) return std::nullopt;
  return ToUtf8(chosen);
}

}  // namespace tapisto
