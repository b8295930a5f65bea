// The main window's view: one native control per row of the main window's layout, at its
// place scaled to the window's dots per inch, mirroring TForm1's control models. Native
// notifications become the models' User... calls; a model's change updates its control. The
// view holds no state of the program's own.
//
// The controls: an EDIT for Edit1; for each spin field an EDIT with an up-down control at its
// right edge whose own stepping is switched off (the model steps and repeats); a
// CBS_DROPDOWNLIST combo box; push buttons; statics for the labels; an owner-drawn static for
// the donation picture; a static drawn blue and underlined for the link label. Hints are
// tooltips that stay as long as the application's hint pause.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "ui/form1.h"
#include "ui/win32/form_window.h"
#include "ui/win32/win32_application.h"

namespace tapisto {

class MainWindowView final : public FormWindow {
 public:
  // Builds the hidden window and its controls; Show() shows it.
  MainWindowView(TForm1& form, Win32Application& application, Dialogs& dialogs);
  ~MainWindowView() override;

  // Shows the window (ShowWindow's `showCommand`) in the middle of the screen, the model's
  // focused control focused.
  void Show(int showCommand = SW_SHOWNORMAL);

  // The control of the layout row `name` (for a spin field its edit box); null for a row
  // without one (the file dialog).
  HWND Control(std::string_view name) const;
  // A spin field's up-down control; null for other rows.
  HWND Arrows(std::string_view name) const;
  // The tooltip window that shows the hints.
  HWND Hints() const noexcept { return hints_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Relayout() override;

 private:
  struct NativeControl {
    MainWindowView* view = nullptr;
    const ControlLayout* row = nullptr;
    int id = 0;
    HWND window = nullptr;  // for a spin field its edit box
    HWND arrows = nullptr;  // a spin field's up-down control
    ControlBase* model = nullptr;
    ClickableControl* clickable = nullptr;
    SpinEditModel* spin = nullptr;
    ClickSource* clicks = nullptr;
    // While the control handles its own release of the left button: giving up the capture
    // then ends no press.
    bool releasing = false;
  };

  void Build();
  void MakeControl(NativeControl& control);
  void Place(NativeControl& control);
  void AddHint(HWND window, const std::string& text);
  void ConnectModels();
  NativeControl* Find(std::string_view name);
  const NativeControl* Find(std::string_view name) const;
  NativeControl* FindById(int id);

  // View to model.
  void Command(int id, int code);
  void Guarded(const std::function<void()>& action);
  void StepSpin(NativeControl& control, SpinArrow arrow);
  // Model to view.
  void Mirror(NativeControl& control);
  void MirrorHint(HWND window, const std::string& text);
  void FocusModelControl();
  void UpdateHintPause();

  void DrawPicture(const DRAWITEMSTRUCT& item);
  int LabelWidth(const NativeControl& control) const;

  static LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR subclass, DWORD_PTR data);
  LRESULT ControlMessage(NativeControl& control, HWND window, UINT message, WPARAM wParam,
                         LPARAM lParam);
  LRESULT ArrowsMessage(NativeControl& control, UINT message, WPARAM wParam, LPARAM lParam);

  TForm1& form_;
  Win32Application& application_;
  std::vector<NativeControl> controls_;  // in layout order; never resized after Build()
  HWND hints_ = nullptr;
  HFONT linkFont_ = nullptr;
  std::vector<std::uint32_t> picturePixels_;  // Image1's picture as top-down BGRX rows
  bool mirroring_ = false;                    // while the view sets a control's text for its model
  wchar_t decimalSeparator_ = L'.';
};

}  // namespace tapisto
