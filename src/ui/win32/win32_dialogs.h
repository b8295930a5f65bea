// The Dialogs port as the system's message boxes and its file-open dialog. Boxes are modal to
// the owner window (the main window once it exists).
#pragma once

#include <string>
#include <string_view>

#include "desktop/win32/windows_api.h"
#include "ports/application.h"
#include "ports/dialogs.h"

namespace tapisto {

inline constexpr std::string_view kConfirmCaption = "Bestätigen";
inline constexpr std::string_view kYesButton = "&Ja";
inline constexpr std::string_view kNoButton = "&Nein";

// The filter "description|*.a;*.b" (any number of bar-separated pairs) as GetOpenFileNameW
// takes it: each part ends with a NUL and the list with a second one. A description without
// patterns matches every file.
std::wstring OpenDialogFilter(std::string_view filter);

class Win32Dialogs final : public Dialogs {
 public:
  // Plain boxes are captioned with the application's title as it is when they are shown.
  explicit Win32Dialogs(const Application& application) : application_(application) {}

  void SetOwner(HWND owner) noexcept { owner_ = owner; }
  HWND Owner() const noexcept { return owner_; }

  // MessageBoxW: no icon, one OK button.
  void ShowMessage(const std::string& text) override;
  // MessageBoxW with Yes and No, whose buttons are renamed "&Ja" and "&Nein" while the box is
  // being created (a message box cannot be given button texts otherwise). True for Ja.
  bool Confirm(const std::string& text) override;
  // MessageBoxW with the error icon.
  void ShowErrorReport(const std::string& text) override;
  // GetOpenFileNameW for one existing file.
  std::optional<std::string> ChooseFile(const std::string& filter,
                                        const std::string& initialFolder) override;

 private:
  int Box(const std::string& text, const std::string& caption, UINT type);

  const Application& application_;
  HWND owner_ = nullptr;
};

}  // namespace tapisto
