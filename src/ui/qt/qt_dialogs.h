// The Dialogs port as Qt's modal boxes and file dialog.
#pragma once

#include <QPointer>
#include <QWidget>

#include "ports/application.h"
#include "ports/dialogs.h"

namespace tapisto {

inline constexpr std::string_view kConfirmCaption = "Bestätigen";
inline constexpr std::string_view kYesButton = "&Ja";
inline constexpr std::string_view kNoButton = "&Nein";

class QtDialogs final : public Dialogs {
 public:
  // Message boxes are captioned with the application's title as it is when they are shown.
  explicit QtDialogs(const Application& application) : application_(application) {}

  // The window that owns the file dialog (the main window); null: none.
  void SetOwner(QWidget* owner) { owner_ = owner; }

  // Plain text, no icon, one OK button, centred on the screen.
  void ShowMessage(const std::string& text) override;
  // A question icon, "&Ja" and "&Nein"; Escape and the close box answer No.
  bool Confirm(const std::string& text) override;
  void ShowErrorReport(const std::string& text) override;
  std::optional<std::string> ChooseFile(const std::string& filter,
                                        const std::string& initialFolder) override;

 private:
  const Application& application_;
  QPointer<QWidget> owner_;
};

}  // namespace tapisto
