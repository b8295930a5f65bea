#include "ui/qt/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <vector>

#include "image/colour.h"
#include "ui/qt/control_widgets.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/view_metrics.h"

namespace tapisto {

namespace {

// A raster as a pixmap.
QPixmap PixmapOf(const Raster& picture) {
  QImage image(picture.Width(), picture.Height(), QImage::Format_RGB32);
  for (int y = 0; y < picture.Height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    const Colour* row = picture.Row(y);
    for (int x = 0; x < picture.Width(); ++x) {
      line[x] = qRgb(RedOf(row[x]), GreenOf(row[x]), BlueOf(row[x]));
    }
  }
  return QPixmap::fromImage(image);
}

}  // namespace

MainWindowView::MainWindowView(TForm1& form, Dialogs& dialogs)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      form_(form),
      dialogs_(dialogs),
      scale_(ScaleFactor(QGuiApplication::primaryScreen())) {
  Build();
  ConnectModels();
  SetTabOrder();
  FocusModelControl();
}

MainWindowView::~MainWindowView() {
  QObject::disconnect(focusConnection_);
  form_.focusChanged = nullptr;
  for (const Form1Control& control : form_.Controls()) {
    if (control.model != nullptr) control.model->viewChanged = nullptr;
  }
}

void MainWindowView::Build() {
  const WindowDefinition& window = form_.Definition();
  setWindowTitle(ToQString(form_.Caption()));
  setObjectName(QStringLiteral("Form1"));
  setFont(WindowFont(scale_));
  setFixedSize(ScaledClientSize(window, scale_));
  for (const Form1Control& control : form_.Controls()) {
    QWidget* widget = MakeControl(control);
    if (widget == nullptr) continue;
    const ControlLayout& row = *control.row;
    widget->setObjectName(ToQString(row.name));
    widget->setGeometry(ScaledRect(row, scale_));
    if (row.tabIndex < 0) widget->setFocusPolicy(Qt::NoFocus);
    controls_.emplace(std::string(row.name), widget);
  }
  if (window.centredAtStart) CentreOnScreen();
}

QWidget* MainWindowView::MakeControl(const Form1Control& control) {
  switch (control.row->kind) {
    case ControlKind::Label: {
      auto* label = new QLabel(this);
      label->setTextFormat(Qt::PlainText);
      return label;
    }
    case ControlKind::Edit: {
      edit1_ = new ClickLineEdit(this);
      return edit1_;
    }
    case ControlKind::Button:
      return new QPushButton(this);
    case ControlKind::Picture: {
      auto* picture = new ClickLabel(this);
      picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      picture->setCursor(Qt::PointingHandCursor);
      return picture;
    }
    case ControlKind::SpinEdit: {
      auto* spin = new SpinField(*control.spin, dialogs_, this);
      control.spin->viewChanged = [spin] { spin->Mirror(); };
      return spin;
    }
    case ControlKind::ComboBox: {
      comboBox1_ = new QComboBox(this);
      comboBox1_->setEditable(false);
      return comboBox1_;
    }
    case ControlKind::LinkLabel: {
      auto* link = new ClickLabel(this);
      link->setTextFormat(Qt::PlainText);
      link->setAlignment(Qt::AlignCenter);
      link->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
      link->setCursor(Qt::PointingHandCursor);
      link->setFocusPolicy(Qt::TabFocus);
      QFont font = this->font();
      font.setUnderline(true);
      link->setFont(font);
      QPalette palette = link->palette();
      palette.setColor(QPalette::WindowText, Qt::blue);
      link->setPalette(palette);
      return link;
    }
    case ControlKind::FileDialog:
    case ControlKind::Memo:
      return nullptr;
  }
  return nullptr;
}

QWidget* MainWindowView::Control(std::string_view name) const {
  const auto it = controls_.find(name);
  return it == controls_.end() ? nullptr : it->second;
}

void MainWindowView::CentreOnScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->geometry();
  move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

void MainWindowView::Guarded(const std::function<void()>& action) {
  RunGuarded(dialogs_, action);
}

void MainWindowView::ConnectModels() {
  // The file field.
  ReportClicks(*edit1_, form_.Edit1);
  QObject::connect(edit1_, &QLineEdit::textEdited, this, [this](const QString& text) {
    Guarded([this, &text] { form_.Edit1.UserEdit(ToUtf8(text)); });
  });
  form_.Edit1.viewChanged = [this] { MirrorEdit(); };
  MirrorEdit();

  // The style list: only the user's choice reaches the model as a selection.
  for (const std::string& item : form_.ComboBox1.items) comboBox1_->addItem(ToQString(item));
  QObject::connect(comboBox1_, &QComboBox::activated, this, [this](int index) {
    Guarded([this, index] { form_.ComboBox1.UserSelect(index); });
  });
  form_.ComboBox1.viewChanged = [this] { MirrorCombo(); };
  MirrorCombo();

  // Buttons, labels, the picture and the link label.
  for (const Form1Control& entry : form_.Controls()) {
    ClickableControl* control = entry.clickable;
    if (control == nullptr) continue;
    QWidget* widget = Control(entry.row->name);
    const auto click = [this, control] { Guarded([control] { control->UserClick(); }); };
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
      QObject::connect(button, &QPushButton::clicked, this, click);
    } else if (auto* label = dynamic_cast<ClickLabel*>(widget)) {
      ReportClicks(*label, *control);
    }
    control->viewChanged = [this, control, widget] { MirrorClickable(*control, widget); };
    MirrorClickable(*control, widget);
  }

  // The keyboard focus: the model names the focused control, the view follows and reports.
  form_.focusChanged = [this] { FocusModelControl(); };
  focusConnection_ = QObject::connect(qApp, &QApplication::focusChanged, this,
                                      [this](QWidget*, QWidget* now) { TakeFocus(now); });
}

template <typename Widget>
void MainWindowView::ReportClicks(ClickReporting<Widget>& widget, ClickSource& model) {
  widget.onLeftPress = [this, &model] { Guarded([&model] { model.UserPressLeft(); }); };
  widget.onLeftRelease = [this, &model](bool inside) {
    Guarded([&model, inside] { model.UserReleaseLeft(inside); });
  };
}

void MainWindowView::SetTabOrder() {
  const std::vector<const ControlLayout*> rows = InTabOrder(kForm1Layout);
  for (std::size_t i = 1; i < rows.size() && rows[i]->tabIndex >= 0; ++i) {
    QWidget::setTabOrder(Control(rows[i - 1]->name), Control(rows[i]->name));
  }
}

void MainWindowView::FocusModelControl() {
  QWidget* widget = Control(form_.FocusedControl());
  if (widget != nullptr && !widget->hasFocus()) widget->setFocus(Qt::OtherFocusReason);
}

void MainWindowView::TakeFocus(QWidget* now) {
  // A control's inner widgets (the spin field's line edit) count as the control.
  for (QWidget* w = now; w != nullptr && w != this; w = w->parentWidget()) {
    if (w->parentWidget() != this) continue;
    const QString name = w->objectName();
    if (Control(ToUtf8(name)) == w) {
      Guarded([this, &name] { form_.SetFocusedControl(ToUtf8(name)); });
    }
    return;
  }
}

void MainWindowView::MirrorEdit() {
  const EditModel& model = form_.Edit1;
  const QString text = ToQString(model.Text());
  if (edit1_->text() != text) edit1_->setText(text);
  // Select everything once when the model asks for it; the user may move the cursor after.
  if (model.AllSelected() && !editAllSelected_) edit1_->selectAll();
  editAllSelected_ = model.AllSelected();
  edit1_->setEnabled(model.Enabled());
  edit1_->setToolTip(ToQString(model.hint));
}

void MainWindowView::MirrorCombo() {
  const ComboBoxModel& model = form_.ComboBox1;
  const QSignalBlocker blocker(comboBox1_);
  comboBox1_->setCurrentIndex(model.ItemIndex());
  comboBox1_->setEnabled(model.Enabled());
  comboBox1_->setToolTip(ToQString(model.hint));
}

void MainWindowView::MirrorClickable(const ClickableControl& model, QWidget* widget) {
  if (auto* button = qobject_cast<QPushButton*>(widget)) {
    button->setText(ToQString(model.caption));
  } else if (&model == &form_.Image1) {
    static_cast<QLabel*>(widget)->setPixmap(PixmapOf(form_.Image1.picture));
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(ToQString(model.caption));
    // Text labels take the width their caption needs, as the window framework's labels size
    // themselves: the definition's width is what the caption took in the original font.
    const ControlLayout& row = LayoutOf(kForm1Layout, ToUtf8(widget->objectName()));
    if (row.kind == ControlKind::Label) {
      QRect geometry = ScaledRect(row, scale_);
      geometry.setWidth(std::max(geometry.width(), label->sizeHint().width()));
      label->setGeometry(geometry);
    }
  }
  widget->setEnabled(model.Enabled());
  widget->setToolTip(ToQString(model.hint));
}

void MainWindowView::closeEvent(QCloseEvent* event) {
  event->accept();
  QCoreApplication::quit();
}

}  // namespace tapisto
