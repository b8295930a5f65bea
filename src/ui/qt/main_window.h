// The main window's view: builds one widget per row of the main window's layout, at its scaled
// position, and mirrors TForm1's control models. Native events become the models' User...
// calls; a model's change redraws its widget. The view holds no state of its own.
#pragma once

#include <QWidget>
#include <map>
#include <string>
#include <string_view>

#include "ports/dialogs.h"
#include "ui/form1.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace tapisto {

template <typename Widget>
class ClickReporting;

class MainWindowView final : public QWidget {
 public:
  MainWindowView(TForm1& form, Dialogs& dialogs);
  ~MainWindowView() override;
  MainWindowView(const MainWindowView&) = delete;
  MainWindowView& operator=(const MainWindowView&) = delete;

  double Scale() const noexcept { return scale_; }
  // The widget of the layout row `name`; null for rows without one (the file dialog).
  QWidget* Control(std::string_view name) const;

  // Places the window in the middle of its screen.
  void CentreOnScreen();

 protected:
  // Closing by the title bar, the system menu or Alt+F4 ends the message loop without the quit
  // command's step.
  void closeEvent(QCloseEvent* event) override;

 private:
  void Build();
  QWidget* MakeControl(const Form1Control& control);
  void ConnectModels();
  void SetTabOrder();
  void FocusModelControl();
  void TakeFocus(QWidget* now);
  void Guarded(const std::function<void()>& action);
  template <typename Widget>
  void ReportClicks(ClickReporting<Widget>& widget, ClickSource& model);

  // Model to view.
  void MirrorEdit();
  void MirrorCombo();
  void MirrorClickable(const ClickableControl& model, QWidget* widget);

  TForm1& form_;
  Dialogs& dialogs_;
  double scale_;
  std::map<std::string, QWidget*, std::less<>> controls_;
  ClickReporting<QLineEdit>* edit1_ = nullptr;
  QComboBox* comboBox1_ = nullptr;
  bool editAllSelected_ = false;
  QMetaObject::Connection focusConnection_;
};

}  // namespace tapisto
