#include "ui/win32/form_window.h"

#include "base/error.h"
#include "desktop/win32/win32_text.h"
#include "ui/layout.h"
#include "ui/win32/resource_ids.h"
#include "ui/window_support.h"

namespace tapisto {

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

// A function of user32 that older systems lack, or null.
template <typename Function>
Function User32Function(const char* name) {
  const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name)));
}

// The program's icon at the size the system asks for, or the system's application icon in a
// program without it (the view's tests).
HICON ProgramIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
  const HANDLE icon = ::LoadImageW(instance, MAKEINTRESOURCEW(TAPISTO_ICON_ID), IMAGE_ICON,
                                   ::GetSystemMetrics(widthMetric),
                                   ::GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR | LR_SHARED);
  return icon != nullptr ? static_cast<HICON>(icon) : ::LoadIconW(nullptr, IDI_APPLICATION);
}

}  // namespace

int WindowDpi(HWND window) {
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  if (getDpiForWindow != nullptr && window != nullptr) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  const HDC screen = ::GetDC(nullptr);
  const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : kDesignDpi;
  if (screen != nullptr) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDesignDpi;
}

PixelSize OuterSize(PixelSize client, DWORD style, DWORD exStyle, int dpi) {
  static const auto adjustForDpi =
      User32Function<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");
  RECT rect{0, 0, client.width, client.height};
  if (adjustForDpi == nullptr ||
      !adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
    rect = RECT{0, 0, client.width, client.height};
    ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  }
  return {rect.right - rect.left, rect.bottom - rect.top};
}

HFONT CreateWindowFont(int dpi, bool underlined) {
  const std::wstring face = Utf16FromUtf8(kFontName);
  // A negative height asks for the character height, as the window definition gives it.
  return ::CreateFontW(-ScaleToDpi(kFontPixelHeight, dpi), 0, 0, 0, FW_NORMAL, FALSE,
                       underlined ? TRUE : FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                       face.c_str());
}

FormWindow::FormWindow(const WindowDefinition& definition, Dialogs& dialogs)
    : dialogs_(dialogs), definition_(definition) {}

FormWindow::~FormWindow() {
  Destroy();
  if (font_ != nullptr) ::DeleteObject(font_);
}

void FormWindow::Destroy() {
  if (window_ == nullptr) return;
  ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  ::DestroyWindow(window_);
  window_ = nullptr;
}

void FormWindow::Create(const wchar_t* className, HWND owner) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  if (!::GetClassInfoExW(instance, className, &windowClass)) {
    windowClass = WNDCLASSEXW{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &FormWindow::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = ProgramIcon(instance, SM_CXICON, SM_CYICON);
    windowClass.hIconSm = ProgramIcon(instance, SM_CXSMICON, SM_CYSMICON);
    windowClass.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = className;
    if (::RegisterClassExW(&windowClass) == 0) {
      throw Error("RegisterClassExW: " + Win32ErrorMessage(::GetLastError()));
    }
  }
  const std::wstring caption = Utf16FromUtf8(definition_.caption);
  const PixelSize size =
      OuterSize(ScaledClientSize(definition_, kDesignDpi), kFormStyle, 0, kDesignDpi);
  window_ =
      ::CreateWindowExW(0, className, caption.c_str(), kFormStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                        size.width, size.height, owner, nullptr, instance, this);
  if (window_ == nullptr) {
    throw Error("CreateWindowExW: " + Win32ErrorMessage(::GetLastError()));
  }
  dpi_ = WindowDpi(window_);
  MakeFont();
  FitToClientSize();
}

HWND FormWindow::AddControl(const wchar_t* className, DWORD style, DWORD exStyle, int id,
                            const PixelRect& place, const wchar_t* text) {
  const HWND control = ::CreateWindowExW(exStyle, className, text, WS_CHILD | style, place.left,
                                         place.top, place.width, place.height, window_,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                         ::GetModuleHandleW(nullptr), nullptr);
  if (control == nullptr) {
    throw Error("CreateWindowExW: " + Win32ErrorMessage(::GetLastError()));
  }
  ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return control;
}

void FormWindow::MakeFont() {
  const HFONT font = CreateWindowFont(dpi_, false);
  if (font == nullptr) return;
  if (font_ != nullptr) ::DeleteObject(font_);
  font_ = font;
}

void FormWindow::FitToClientSize() {
  RECT window{};
  ::GetWindowRect(window_, &window);
  FitToClientSizeAt(window.left, window.top);
}

void FormWindow::FitToClientSizeAt(int left, int top) {
  // The frame as the window has it now: the system may draw it at another dpi than the one
  // the controls are laid out for.
  RECT window{};
  RECT client{};
  ::GetWindowRect(window_, &window);
  ::GetClientRect(window_, &client);
  const PixelSize wanted = ScaledClientSize(definition_, dpi_);
  const int width = wanted.width + (window.right - window.left) - client.right;
  const int height = wanted.height + (window.bottom - window.top) - client.bottom;
  ::SetWindowPos(window_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::CentreOnScreen() {
  RECT rect{};
  ::GetWindowRect(window_, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  ::SetWindowPos(window_, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::DpiChanged(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  MakeFont();
  Relayout();
  // The system's suggestion keeps the window under the pointer; its size is the window's own.
  FitToClientSizeAt(suggested.left, suggested.top);
  ::InvalidateRect(window_, nullptr, TRUE);
}

LRESULT FormWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT FormWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DPICHANGED) {
    DpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
    return 0;
  }
  return HandleMessage(message, wParam, lParam);
}

LRESULT CALLBACK FormWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    auto* self = static_cast<FormWindow*>(create->lpCreateParams);
    self->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<FormWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  try {
    return self->Dispatch(message, wParam, lParam);
  } catch (...) {
    self->dialogs_.ShowErrorReport(CurrentErrorMessage());
    return 0;
  }
}

}  // namespace tapisto
