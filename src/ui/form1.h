// TForm1, the main window: its controls as models, the one WallpaperState, start-up
// (BeimStart), the mouse-button hook and the command handlers. The handlers are thin: each
// runs its steps in order, and the work lives in the desktop, compose and convert layers,
// which receive the state, the ports and this window (as their controls) explicitly.
//
// The controls fire their change handlers as the window framework's controls do, so a handler
// can run inside another one's message pumping; the handlers detach and attach each other as
// the program requires, and MouseButtonDown keeps a held spin arrow from applying each step.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "compose/composition_context.h"
#include "compose/picture_cache.h"
#include "desktop/desktop_context.h"
#include "image/strip_cache.h"
#include "ports/desktop_controls.h"
#include "ports/window_ports.h"
#include "state/log_lines.h"
#include "state/wallpaper_state.h"
#include "ui/controls.h"
#include "ui/layout.h"

namespace tapisto {

inline constexpr std::string_view kOpenDialogFilter =
    "Grafik-Dateien (*.bmp, *.gif, *.jpg, *.png)|*.bmp;*.gif;*.jpg;*.png";
inline constexpr std::string_view kDonationHint =
    "Bitte unterstützen Sie die weitere Entwicklung\nmit Ihrer Spende. Vielen Dank.";
inline constexpr int kHintHidePauseMs = 10000;

// A row of the main window's definition and the model behind it, as a view builds one native
// control for it. The pointer of the row's kind is set, and `model` with it; the file dialog
// has none, as it shows no control in the window.
struct Form1Control {
  const ControlLayout* row;
  ControlBase* model = nullptr;
  EditModel* edit = nullptr;
  SpinEditModel* spin = nullptr;
  ComboBoxModel* comboBox = nullptr;
  ClickableControl* clickable = nullptr;
  ClickSource* clicks = nullptr;  // the file field's or the clickable's
};

class TForm1 final : public DesktopControls {
 public:
  // Builds the window as its definition gives it, then runs the creation handler BeimStart.
  // The change handlers of Edit1, SpinEdit1, SpinEdit2 and ComboBox1 are not attached yet:
  // the program entry does that once the log window exists.
  TForm1(const WindowPorts& ports, LogLines& log);
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  const WindowDefinition& Definition() const noexcept { return kForm1Window; }
  std::string_view Caption() const noexcept { return kForm1Window.caption; }

  WallpaperState& State() noexcept { return state_; }
  const WallpaperState& State() const noexcept { return state_; }

  // Every control of the definition with its model, in the definition's order.
  const std::vector<Form1Control>& Controls() const noexcept { return controls_; }
  // The entry of the row `name`; null for a name the definition does not hold.
  const Form1Control* ControlNamed(std::string_view name) const;

  // The name of the control that has the keyboard focus (a name of kForm1Layout).
  const std::string& FocusedControl() const noexcept { return focused_; }
  void SetFocusedControl(std::string_view name);
  Handler focusChanged;  // set by the view

  // A method of this window as an event handler: an error that escapes it goes to the
  // application's default report, and the program goes on with the next message.
  Handler EventHandler(void (TForm1::*method)());

  // The creation handler: prepares the state, reads the desktop settings and fills the
  // controls. Runs once, from the constructor.
  void BeimStart();
  // The application-wide hook: keeps MouseButtonDown from left-button presses and releases.
  void MyMouseMessage(QueuedMessage message);
  // The ranges of the offset fields for a picture (or screen) of w x h pixels.
  void SetOffsetRanges(int w, int h);

  // Change handlers.
  void ButtonOK();
  void ChangeSpinEdit();
  void ChangeSpinEdit2();
  void ChangeComboBox();
  // Click handlers.
  void ButtonOpen();
  void Center();
  void Edit1Click();
  void Spenden();
  void GetWeb();
  void ButtonBeenden();

  // CompositionControls.
  int OffsetX() override { return SpinEdit1.Value(); }
  int OffsetY() override { return SpinEdit2.Value(); }
  void DetachOffsetHandlers() override;
  void AttachOffsetHandlers() override;
  void ResetOffsetXToZero() override { SpinEdit1.SetValue(0); }
  void SelectFirstStyleSilently() override { ComboBox1.SetItemIndex(0); }
  // DesktopControls.
  std::string StyleText() override { return ComboBox1.Text(); }
  std::string FileFieldText() override { return Edit1.Text(); }
  void SetOffsetXEnabled(bool enabled) override { SpinEdit1.SetEnabled(enabled); }
  void SetOffsetYEnabled(bool enabled) override { SpinEdit2.SetEnabled(enabled); }
  void SelectStyleSilently(const std::string& text) override;
  void SetOffsetXValue(int value) override { SpinEdit1.SetValue(value); }
  void SetOffsetYValue(int value) override { SpinEdit2.SetValue(value); }

  // The controls, in the order the window declares them.
  EditModel Edit1;
  OpenDialogModel OpenDialog1;
  ClickableControl Button1;
  ClickableControl Label1;
  SpinEditModel SpinEdit1;
  SpinEditModel SpinEdit2;
  ClickableControl Button3;
  ClickableControl Label2;
  ClickableControl Label3;
  ComboBoxModel ComboBox1;
  ClickableControl Label4;
  ClickableControl StaticText1;
  ClickableControl Button2;
  ImageModel Image1;

 private:
  void BuildControls();
  void BuildControlTable();
  // The steps of BeimStart's guarded blocks.
  void ReadDesktopSettings();
  void ShowStartWallpaper();
  void ShowPlainWallpaper();
  void PrepareTranscodedMode();
  void CreateWallpaperFolder();
  // The pattern the four change handlers share, up to the point where they differ.
  bool FileFieldUsable();
  void ApplyFileField();

  void Pump() { ports_.pump.ProcessMessages(); }
  // Runs `steps` as one guarded block: an error shows `prefix` + "type : message" and ends
  // the block. Returns false when it ended so.
  bool Guarded(std::string_view prefix, const std::function<void()>& steps);

  WindowPorts ports_;
  LogLines& log_;
  WallpaperState state_;
  PictureCache pictures_;  // decoded pictures reused while their files are unchanged
  StripCache keptStrips_;  // JPEG strips known without painting, compressed once for all steps
  CompositionContext compose_;
  DesktopContext desktop_;
  std::string focused_;
  std::vector<Form1Control> controls_;
};

}  // namespace tapisto
