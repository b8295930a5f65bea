// What the two windows share: a fixed-size top-level window of one window definition, its
// window-procedure plumbing, the window font at the window's dots per inch, and re-laying out
// when the window moves to a monitor of another dots per inch. No exception leaves a window
// procedure: an error goes to the application's default report.
#pragma once

#include "desktop/win32/windows_api.h"
#include "ports/dialogs.h"
#include "ui/layout.h"
#include "ui/win32/view_geometry.h"

namespace tapisto {

// The window style of both windows: a single fixed border, the system menu with the close box,
// and the minimize box; no maximize box.
inline constexpr DWORD kFormStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// The dots per inch of the monitor `window` is on: GetDpiForWindow where the system has it
// (Windows 10 1607 on), else the screen's, which is what the system scales by there.
int WindowDpi(HWND window);

// The outer size of a window of `style` and `exStyle` whose client area is `client`, at `dpi`
// (the frame is measured at that dpi where the system can).
PixelSize OuterSize(PixelSize client, DWORD style, DWORD exStyle, int dpi);

// The window font ("Tahoma", 11 pixels character height at 96 dpi) at `dpi`. The caller
// deletes it.
HFONT CreateWindowFont(int dpi, bool underlined);

class FormWindow {
 public:
  virtual ~FormWindow();
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  HWND Handle() const noexcept { return window_; }
  int Dpi() const noexcept { return dpi_; }
  HFONT Font() const noexcept { return font_; }

 protected:
  FormWindow(const WindowDefinition& definition, Dialogs& dialogs);

  // Creates the hidden window, registering `className` on first use; `owner` may be null.
  // Afterwards Dpi() is the window's and the font is made for it.
  void Create(const wchar_t* className, HWND owner);
  // A child control of this window, in the window font.
  HWND AddControl(const wchar_t* className, DWORD style, DWORD exStyle, int id,
                  const PixelRect& place, const wchar_t* text = L"");
  // Sets the outer size for the definition's client size at Dpi(), keeping the top left, or
  // with the top left at (left, top).
  void FitToClientSize();
  void FitToClientSizeAt(int left, int top);
  // Puts the window in the middle of the primary screen.
  void CentreOnScreen();
  // Destroys the window and its controls; no message reaches HandleMessage any more.
  void Destroy();

  // Messages of the window; the default hands them to DefWindowProcW.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // After a change of the dots per inch: place every control anew at Dpi() in Font().
  virtual void Relayout() = 0;

  Dialogs& dialogs_;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  void MakeFont();
  void DpiChanged(int dpi, const RECT& suggested);

  const WindowDefinition& definition_;
  HWND window_ = nullptr;
  int dpi_ = kDesignDpi;
  HFONT font_ = nullptr;
};

}  // namespace tapisto
