#include "ui/qt/log_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/qt/control_widgets.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/view_metrics.h"

namespace tapisto {

LogWindowView::LogWindowView(TForm2& form, Dialogs& dialogs)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      form_(form),
      dialogs_(dialogs),
      memo_(new QPlainTextEdit(this)),
      button_(new QPushButton(this)) {
  const double scale = ScaleFactor(QGuiApplication::primaryScreen());
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(ToQString(form_.Caption()));
  setFont(WindowFont(scale));
  setFixedSize(ScaledClientSize(form_.Definition(), scale));

  const ControlLayout& memoRow = LayoutOf(kForm2Layout, "Memo1");
  memo_->setObjectName(ToQString(memoRow.name));
  memo_->setGeometry(ScaledRect(memoRow, scale));
  memo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  for (const std::string& line : form_.Memo1.log.Lines()) memo_->appendPlainText(ToQString(line));
  form_.Memo1.log.appended = [this](const std::string& line) {
    memo_->appendPlainText(ToQString(line));
  };

  const ControlLayout& buttonRow = LayoutOf(kForm2Layout, "Button1");
  button_->setObjectName(ToQString(buttonRow.name));
  button_->setGeometry(ScaledRect(buttonRow, scale));
  button_->setText(ToQString(form_.Button1.caption));
  QObject::connect(button_, &QPushButton::clicked, this,
                   [this] { RunGuarded(dialogs_, [this] { form_.Button1.UserClick(); }); });
  QWidget::setTabOrder(memo_, button_);

  form_.visibilityChanged = [this] { MirrorVisibility(); };
  MirrorVisibility();
}

LogWindowView::~LogWindowView() {
  form_.visibilityChanged = nullptr;
  form_.Memo1.log.appended = nullptr;
}

void LogWindowView::MirrorVisibility() {
  setVisible(form_.Visible());
}

void LogWindowView::closeEvent(QCloseEvent* event) {
  event->accept();
  RunGuarded(dialogs_, [this] { form_.FormKlose(); });
}

}  // namespace tapisto
