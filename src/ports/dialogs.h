// Port: the program's modal boxes. Texts are shown exactly as given.
#pragma once

#include <optional>
#include <string>

namespace tapisto {

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A message box captioned with the application title, no icon, one OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // The question captioned "Bestätigen" with the buttons "&Ja" and "&Nein"; true for Yes.
  virtual bool Confirm(const std::string& text) = 0;
  // The application's default report of an error nobody caught: an error icon, the message.
  virtual void ShowErrorReport(const std::string& text) = 0;
  // The file-open dialog: one filter entry ("description|*.a;*.b"), one file, starting in
  // `initialFolder` (empty: the system's choice). nullopt when the user cancels.
  virtual std::optional<std::string> ChooseFile(const std::string& filter,
                                                const std::string& initialFolder) = 0;
};

}  // namespace tapisto
