#include "ui/win32/main_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstddef>
#include <string>

#include "desktop/win32/win32_text.h"
#include "ui/window_support.h"

namespace tapisto {

namespace {

constexpr UINT_PTR kControlSubclass = 1;
constexpr COLORREF kLinkColour = RGB(0, 0, 255);
// The widest a hint is before its lines wrap, at 96 dpi: wide enough for every hint's lines.
constexpr int kHintWidth = 400;
// The size of the tool description the tooltip understands from comctl32 5 on.
constexpr UINT kToolInfoSize = offsetof(TTTOOLINFOW, lParam) + sizeof(LPARAM);
// A valid step and no bounds the up-down control would act on by itself.
constexpr int kArrowsRange = 1000000;

std::wstring WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

void SetTextIfChanged(HWND window, const std::string& text) {
  const std::wstring wide = Utf16FromUtf8(text);
  if (WindowText(window) != wide) ::SetWindowTextW(window, wide.c_str());
}

bool TracksClicks(ControlKind kind) {
  return kind == ControlKind::Edit || kind == ControlKind::Picture ||
         kind == ControlKind::LinkLabel;
}

bool IsStatic(ControlKind kind) {
  return kind == ControlKind::Picture || kind == ControlKind::LinkLabel;
}

// Raster colours (red in the low byte) as the rows of a 32-bit DIB (blue in the low byte).
std::vector<std::uint32_t> DibPixels(const Raster& picture) {
  std::vector<std::uint32_t> pixels;
  pixels.reserve(static_cast<std::size_t>(picture.Width()) *
                 static_cast<std::size_t>(picture.Height()));
  for (int y = 0; y < picture.Height(); ++y) {
    const Colour* row = picture.Row(y);
    for (int x = 0; x < picture.Width(); ++x) {
      const Colour c = row[x];
      pixels.push_back(((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu));
    }
  }
  return pixels;
}

// A CBS_DROPDOWNLIST box takes its closed height from its selection field: make that the
// layout's height.
void FitClosedHeight(HWND combo, int closedHeight) {
  // The height set and the one read back need not be the same number (Wine reads back two
  // more), so the height set is corrected by what the box measures, for a few rounds.
  LRESULT field = ::SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
  if (field <= 0) return;
  for (int round = 0; round < 4; ++round) {
    RECT rect{};
    ::GetWindowRect(combo, &rect);
    const int now = rect.bottom - rect.top;
    if (now == closedHeight) return;
    field = std::max<LRESULT>(1, field + closedHeight - now);
    ::SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
  }
}

// The up-down control aligns itself over the edit box's right border, so the pair ends short of
// the field's place by that border: move the arrows to the place's right edge and widen the edit
// box under them by as much.
void FitArrowsToRightEdge(HWND edit, HWND arrows, int right) {
  RECT arrowsRect{};
  RECT editRect{};
  ::GetWindowRect(arrows, &arrowsRect);
  ::GetWindowRect(edit, &editRect);
  const HWND parent = ::GetParent(edit);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&arrowsRect), 2);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&editRect), 2);
  const int shortBy = right - arrowsRect.right;
  if (shortBy == 0) return;
  ::SetWindowPos(arrows, nullptr, arrowsRect.left + shortBy, arrowsRect.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::SetWindowPos(edit, nullptr, 0, 0, editRect.right - editRect.left + shortBy,
                 editRect.bottom - editRect.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

MainWindowView::MainWindowView(TForm1& form, Win32Application& application, Dialogs& dialogs)
    : FormWindow(form.Definition(), dialogs), form_(form), application_(application) {
  wchar_t separator[8] = {};
  if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) > 1) {
    decimalSeparator_ = separator[0];
  }
  Create(L"TForm1", nullptr);
  linkFont_ = CreateWindowFont(Dpi(), true);
  Build();
  ConnectModels();
  application_.AddDialogWindow(Handle());
}

MainWindowView::~MainWindowView() {
  application_.RemoveDialogWindow(Handle());
  application_.hintHidePauseChanged = nullptr;
  form_.focusChanged = nullptr;
  for (NativeControl& control : controls_) {
    if (control.model != nullptr) control.model->viewChanged = nullptr;
  }
  if (hints_ != nullptr) ::DestroyWindow(hints_);
  // The controls go with the window; the font they use is deleted after it.
  Destroy();
  if (linkFont_ != nullptr) ::DeleteObject(linkFont_);
}

void MainWindowView::Build() {
  controls_.reserve(kForm1Layout.size());
  for (const Form1Control& entry : form_.Controls()) {
    NativeControl control;
    control.view = this;
    control.row = entry.row;
    control.id = ControlIdOf(kForm1Layout, entry.row->name);
    control.model = entry.model;
    control.clickable = entry.clickable;
    control.spin = entry.spin;
    control.clicks = entry.clicks;
    controls_.push_back(control);
  }
  // Creation order is the order of dialog navigation.
  for (const ControlLayout* row : InTabOrder(kForm1Layout)) MakeControl(*Find(row->name));

  hints_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
  if (hints_ != nullptr) {
    ::SendMessageW(hints_, TTM_SETMAXTIPWIDTH, 0, ScaleToDpi(kHintWidth, Dpi()));
    UpdateHintPause();
    // The labels show no hints; every other control shows its model's, if any.
    for (NativeControl& control : controls_) {
      if (control.window == nullptr || control.row->kind == ControlKind::Label) continue;
      AddHint(control.window, control.model->hint);
      if (control.arrows != nullptr) AddHint(control.arrows, control.model->hint);
    }
  }
}

void MainWindowView::MakeControl(NativeControl& control) {
  const ControlLayout& row = *control.row;
  const PixelRect place = ScaledRect(row, Dpi());
  const DWORD tabStop = row.tabIndex >= 0 ? WS_TABSTOP : 0;
  switch (row.kind) {
    case ControlKind::Label:
      control.window =
          AddControl(L"STATIC", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, control.id, place);
      break;
    case ControlKind::Edit:
      control.window = AddControl(L"EDIT", WS_VISIBLE | tabStop | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                                  control.id, place);
      break;
    case ControlKind::Button:
      control.window =
          AddControl(L"BUTTON", WS_VISIBLE | tabStop | BS_PUSHBUTTON, 0, control.id, place);
      break;
    case ControlKind::Picture:
      control.window =
          AddControl(L"STATIC", WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY, 0, control.id, place);
      break;
    case ControlKind::SpinEdit:
      control.window = AddControl(L"EDIT", WS_VISIBLE | tabStop | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                                  control.id, place);
      control.arrows = AddControl(UPDOWN_CLASSW, WS_VISIBLE | UDS_ALIGNRIGHT | UDS_NOTHOUSANDS, 0,
                                  control.id + kArrowsIdOffset, PixelRect{0, 0, 0, 0});
      ::SendMessageW(control.arrows, UDM_SETRANGE32, static_cast<WPARAM>(-kArrowsRange),
                     kArrowsRange);
      ::SendMessageW(control.arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(control.window), 0);
      break;
    case ControlKind::ComboBox:
      control.window = AddControl(L"COMBOBOX", WS_VISIBLE | tabStop | WS_VSCROLL | CBS_DROPDOWNLIST,
                                  0, control.id, place);
      for (const std::string& item : form_.ComboBox1.items) {
        ::SendMessageW(control.window, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(Utf16FromUtf8(item).c_str()));
      }
      break;
    case ControlKind::LinkLabel:
      control.window = AddControl(
          L"STATIC", WS_VISIBLE | tabStop | SS_CENTER | SS_CENTERIMAGE | SS_NOTIFY | SS_NOPREFIX,
          WS_EX_STATICEDGE, control.id, place);
      break;
    case ControlKind::FileDialog:
    case ControlKind::Memo:
      return;
  }
  ::SetWindowSubclass(control.window, &MainWindowView::ControlProc, kControlSubclass,
                      reinterpret_cast<DWORD_PTR>(&control));
  if (control.arrows != nullptr) {
    ::SetWindowSubclass(control.arrows, &MainWindowView::ControlProc, kControlSubclass,
                        reinterpret_cast<DWORD_PTR>(&control));
  }
  Place(control);
}

void MainWindowView::Place(NativeControl& control) {
  if (control.window == nullptr) return;
  const PixelRect place = ScaledRect(*control.row, Dpi());
  const HFONT font = control.row->kind == ControlKind::LinkLabel ? linkFont_ : Font();
  ::SendMessageW(control.window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  const auto move = [&control](int left, int top, int width, int height) {
    ::SetWindowPos(control.window, nullptr, left, top, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  };
  switch (control.row->kind) {
    case ControlKind::Label:
      move(place.left, place.top, LabelWidth(control), place.height);
      break;
    case ControlKind::SpinEdit:
      // The arrows take the right end of the field's place and the edit box keeps the rest.
      move(place.left, place.top, place.width, place.height);
      ::SendMessageW(control.arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(control.window), 0);
      FitArrowsToRightEdge(control.window, control.arrows, place.left + place.width);
      break;
    case ControlKind::ComboBox: {
      // The window's height is the dropped list's; the closed box keeps the layout's height.
      move(place.left, place.top, place.width, place.height);
      FitClosedHeight(control.window, place.height);
      const LRESULT item = ::SendMessageW(control.window, CB_GETITEMHEIGHT, 0, 0);
      const LRESULT count = ::SendMessageW(control.window, CB_GETCOUNT, 0, 0);
      const int dropped = place.height + static_cast<int>(std::max<LRESULT>(item, 1) * count) +
                          ScaleToDpi(2, Dpi());
      move(place.left, place.top, place.width, dropped);
      break;
    }
    default:
      move(place.left, place.top, place.width, place.height);
      break;
  }
}

int MainWindowView::LabelWidth(const NativeControl& control) const {
  // Labels take the width their caption needs, as the window framework's labels size
  // themselves; the definition's width is what the caption took in the original font.
  const int width = ScaledRect(*control.row, Dpi()).width;
  const std::wstring text = Utf16FromUtf8(control.clickable->caption);
  const HDC dc = ::GetDC(control.window);
  if (dc == nullptr) return width;
  const HGDIOBJ old = ::SelectObject(dc, Font());
  SIZE extent{};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  ::SelectObject(dc, old);
  ::ReleaseDC(control.window, dc);
  return std::max(width, static_cast<int>(extent.cx));
}

void MainWindowView::AddHint(HWND window, const std::string& text) {
  std::wstring wide = Utf16FromUtf8(text);
  TTTOOLINFOW tool{};
  tool.cbSize = kToolInfoSize;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(window);
  tool.lpszText = wide.data();
  ::SendMessageW(hints_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void MainWindowView::MirrorHint(HWND window, const std::string& text) {
  if (hints_ == nullptr || window == nullptr) return;
  std::wstring wide = Utf16FromUtf8(text);
  TTTOOLINFOW tool{};
  tool.cbSize = kToolInfoSize;
  tool.hwnd = Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(window);
  tool.lpszText = wide.data();
  ::SendMessageW(hints_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void MainWindowView::UpdateHintPause() {
  if (hints_ == nullptr) return;
  const int pause = application_.HintHidePause();
  // The tooltip keeps its delays as 16-bit numbers; a pause of 0 or less leaves its default.
  const LPARAM delay = pause > 0 ? MAKELPARAM(std::min(pause, 32767), 0) : -1;
  ::SendMessageW(hints_, TTM_SETDELAYTIME, TTDT_AUTOPOP, delay);
}

void MainWindowView::ConnectModels() {
  for (NativeControl& control : controls_) {
    if (control.model == nullptr || control.window == nullptr) continue;
    NativeControl* const target = &control;
    control.model->viewChanged = [this, target] { Mirror(*target); };
    Mirror(control);
  }
  form_.focusChanged = [this] { FocusModelControl(); };
  application_.hintHidePauseChanged = [this] { UpdateHintPause(); };
}

MainWindowView::NativeControl* MainWindowView::Find(std::string_view name) {
  for (NativeControl& control : controls_) {
    if (control.row->name == name) return &control;
  }
  return nullptr;
}

const MainWindowView::NativeControl* MainWindowView::Find(std::string_view name) const {
  for (const NativeControl& control : controls_) {
    if (control.row->name == name) return &control;
  }
  return nullptr;
}

MainWindowView::NativeControl* MainWindowView::FindById(int id) {
  const ControlLayout* row = RowOfControlId(kForm1Layout, id);
  return row != nullptr ? Find(row->name) : nullptr;
}

HWND MainWindowView::Control(std::string_view name) const {
  const NativeControl* control = Find(name);
  return control != nullptr ? control->window : nullptr;
}

HWND MainWindowView::Arrows(std::string_view name) const {
  const NativeControl* control = Find(name);
  return control != nullptr ? control->arrows : nullptr;
}

void MainWindowView::Show(int showCommand) {
  if (form_.Definition().centredAtStart) CentreOnScreen();
  ::ShowWindow(Handle(), showCommand);
  ::UpdateWindow(Handle());
  FocusModelControl();
}

void MainWindowView::Guarded(const std::function<void()>& action) {
  try {
    action();
  } catch (...) {
    dialogs_.ShowErrorReport(CurrentErrorMessage());
  }
}

// Model to view.

void MainWindowView::Mirror(NativeControl& control) {
  const bool wasMirroring = mirroring_;
  mirroring_ = true;
  const ControlBase& model = *control.model;
  switch (control.row->kind) {
    case ControlKind::Edit:
      SetTextIfChanged(control.window, form_.Edit1.Text());
      // Select everything when the model asks for it; the user may move the cursor after.
      if (form_.Edit1.AllSelected()) ::SendMessageW(control.window, EM_SETSEL, 0, -1);
      break;
    case ControlKind::SpinEdit:
      SetTextIfChanged(control.window, control.spin->Text());
      ::EnableWindow(control.arrows, model.Enabled() ? TRUE : FALSE);
      MirrorHint(control.arrows, model.hint);
      break;
    case ControlKind::ComboBox: {
      const int index = form_.ComboBox1.ItemIndex();
      if (::SendMessageW(control.window, CB_GETCURSEL, 0, 0) != index) {
        ::SendMessageW(control.window, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
      }
      break;
    }
    case ControlKind::Picture:
      picturePixels_ = DibPixels(form_.Image1.picture);
      ::InvalidateRect(control.window, nullptr, TRUE);
      break;
    case ControlKind::Label:
      SetTextIfChanged(control.window, control.clickable->caption);
      Place(control);
      break;
    default:
      SetTextIfChanged(control.window, control.clickable->caption);
      break;
  }
  ::EnableWindow(control.window, model.Enabled() ? TRUE : FALSE);
  if (control.row->kind != ControlKind::Label) MirrorHint(control.window, model.hint);
  mirroring_ = wasMirroring;
}

void MainWindowView::FocusModelControl() {
  const HWND target = Control(form_.FocusedControl());
  if (target == nullptr || !::IsWindowVisible(Handle())) return;
  if (::GetFocus() != target) ::SetFocus(target);
}

// View to model.

void MainWindowView::Command(int id, int code) {
  if (mirroring_) return;
  NativeControl* control = FindById(id);
  if (control == nullptr || control->window == nullptr) return;
  switch (control->row->kind) {
    case ControlKind::Edit:
      if (code == EN_CHANGE) {
        const std::string text = Utf8FromUtf16(WindowText(control->window));
        Guarded([this, &text] { form_.Edit1.UserEdit(text); });
      }
      break;
    case ControlKind::SpinEdit:
      if (code == EN_CHANGE) {
        const std::string text = Utf8FromUtf16(WindowText(control->window));
        Guarded([control, &text] { control->spin->UserEdit(text); });
      } else if (code == EN_KILLFOCUS) {
        Guarded([control] { control->spin->UserLeaveField(); });
      }
      break;
    case ControlKind::ComboBox:
      if (code == CBN_SELCHANGE) {
        const auto index = static_cast<int>(::SendMessageW(control->window, CB_GETCURSEL, 0, 0));
        Guarded([this, index] { form_.ComboBox1.UserSelect(index); });
      }
      break;
    case ControlKind::Button:
      if (code == BN_CLICKED) Guarded([control] { control->clickable->UserClick(); });
      break;
    default:
      break;
  }
}

void MainWindowView::StepSpin(NativeControl& control, SpinArrow arrow) {
  Guarded([&control, arrow] {
    if (arrow == SpinArrow::Up) control.spin->UserStepUp();
    if (arrow == SpinArrow::Down) control.spin->UserStepDown();
  });
}

LRESULT MainWindowView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // Menus and accelerators (lParam 0) and dialog navigation's IDOK and IDCANCEL name no
      // control.
      if (lParam != 0) Command(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      // The arrows' own stepping is refused: the model steps and repeats.
      if (header != nullptr && header->code == static_cast<UINT>(UDN_DELTAPOS)) return TRUE;
      break;
    }
    case WM_VSCROLL:
      return 0;
    case WM_CTLCOLORSTATIC: {
      const NativeControl* link = Find("StaticText1");
      if (link != nullptr && reinterpret_cast<HWND>(lParam) == link->window) {
        const auto dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, kLinkColour);
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item != nullptr && static_cast<int>(item->CtlID) == ControlIdOf(kForm1Layout, "Image1")) {
        DrawPicture(*item);
        return TRUE;
      }
      break;
    }
    case WM_SETFOCUS:
      FocusModelControl();
      return 0;
    case WM_CLOSE:
      // The title bar, the system menu and Alt+F4 end the loop without the exit button's step.
      application_.Terminate();
      return 0;
    default:
      break;
  }
  return FormWindow::HandleMessage(message, wParam, lParam);
}

void MainWindowView::Relayout() {
  const HFONT link = CreateWindowFont(Dpi(), true);
  if (link != nullptr) {
    if (linkFont_ != nullptr) ::DeleteObject(linkFont_);
    linkFont_ = link;
  }
  for (NativeControl& control : controls_) Place(control);
  if (hints_ != nullptr)
    ::SendMessageW(hints_, TTM_SETMAXTIPWIDTH, 0, ScaleToDpi(kHintWidth, Dpi()));
}

void MainWindowView::DrawPicture(const DRAWITEMSTRUCT& item) {
  ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
  const Raster& picture = form_.Image1.picture;
  if (picturePixels_.empty() || picture.Width() <= 0 || picture.Height() <= 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = picture.Width();
  info.bmiHeader.biHeight = -picture.Height();  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  // From the top-left corner, at the window's scale.
  ::StretchDIBits(item.hDC, item.rcItem.left, item.rcItem.top, ScaleToDpi(picture.Width(), Dpi()),
                  ScaleToDpi(picture.Height(), Dpi()), 0, 0, picture.Width(), picture.Height(),
                  picturePixels_.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

// The controls' own messages.

LRESULT CALLBACK MainWindowView::ControlProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto* control = reinterpret_cast<NativeControl*>(data);
  if (message == WM_NCDESTROY) {
    ::RemoveWindowSubclass(window, &MainWindowView::ControlProc, kControlSubclass);
    return ::DefSubclassProc(window, message, wParam, lParam);
  }
  try {
    if (window == control->arrows) {
      return control->view->ArrowsMessage(*control, message, wParam, lParam);
    }
    return control->view->ControlMessage(*control, window, message, wParam, lParam);
  } catch (...) {
    control->view->dialogs_.ShowErrorReport(CurrentErrorMessage());
    return 0;
  }
}

LRESULT MainWindowView::ControlMessage(NativeControl& control, HWND window, UINT message,
                                       WPARAM wParam, LPARAM lParam) {
  const ControlKind kind = control.row->kind;
  switch (message) {
    case WM_SETFOCUS: {
      const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
      const std::string name(control.row->name);
      Guarded([this, &name] { form_.SetFocusedControl(name); });
      return result;
    }
    case WM_SETCURSOR:
      if (kind == ControlKind::Picture || kind == ControlKind::LinkLabel) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      if (TracksClicks(kind)) {
        Guarded([&control] { control.clicks->UserPressLeft(); });
        const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
        if (IsStatic(kind)) ::SetCapture(window);
        return result;
      }
      break;
    case WM_LBUTTONUP:
      // A click is a press and a release inside the control, reported after the control's own
      // handling of the release, so a click handler that selects the text has the last word.
      if (TracksClicks(kind)) {
        control.releasing = true;
        const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
        if (IsStatic(kind) && ::GetCapture() == window) ::ReleaseCapture();
        control.releasing = false;
        RECT client{};
        ::GetClientRect(window, &client);
        const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const bool inside = ::PtInRect(&client, at) != FALSE;
        Guarded([&control, inside] { control.clicks->UserReleaseLeft(inside); });
        return result;
      }
      break;
    case WM_CAPTURECHANGED:
      if (IsStatic(kind) && !control.releasing && reinterpret_cast<HWND>(lParam) != window) {
        Guarded([&control] { control.clicks->UserCancelPress(); });
      }
      break;
    case WM_KEYDOWN:
      // The Up and Down keys step a spin field by its increment.
      if (control.spin != nullptr && (wParam == VK_UP || wParam == VK_DOWN)) {
        StepSpin(control, wParam == VK_UP ? SpinArrow::Up : SpinArrow::Down);
        return 0;
      }
      break;
    case WM_CHAR:
      // A spin field takes digits, the signs and the decimal separator; control characters
      // (Backspace, the clipboard keys) pass.
      if (control.spin != nullptr) {
        const auto c = static_cast<wchar_t>(wParam);
        if (c >= L' ' && !SpinEditModel::Typeable(c, decimalSeparator_)) return 0;
      }
      break;
    default:
      break;
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT MainWindowView::ArrowsMessage(NativeControl& control, UINT message, WPARAM wParam,
                                      LPARAM lParam) {
  const HWND arrows = control.arrows;
  const auto arrowAt = [arrows](LPARAM point) {
    RECT client{};
    ::GetClientRect(arrows, &client);
    return ArrowAt(client.right, client.bottom, GET_X_LPARAM(point), GET_Y_LPARAM(point));
  };
  SpinEditModel& model = *control.spin;
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const SpinArrow arrow = arrowAt(lParam);
      Guarded([&model, arrow] { model.UserPressArrow(arrow); });
      // The control draws its pressed arrow; the step it would make is refused (UDN_DELTAPOS).
      const LRESULT result = ::DefSubclassProc(arrows, message, wParam, lParam);
      if (model.PressedArrow() != SpinArrow::None && ::GetCapture() != arrows) {
        ::SetCapture(arrows);
      }
      return result;
    }
    case WM_MOUSEMOVE: {
      const SpinArrow under = arrowAt(lParam);
      Guarded([&model, under] { model.UserMoveOverArrow(under); });
      break;
    }
    case WM_LBUTTONUP: {
      // The control draws the arrow released and gives up the capture before the step, which
      // may apply; giving up the capture so is no cancel.
      const SpinArrow under = arrowAt(lParam);
      control.releasing = true;
      const LRESULT result = ::DefSubclassProc(arrows, message, wParam, lParam);
      if (::GetCapture() == arrows) ::ReleaseCapture();
      control.releasing = false;
      Guarded([&model, under] { model.UserReleaseArrow(under); });
      return result;
    }
    case WM_CAPTURECHANGED:
      if (!control.releasing && reinterpret_cast<HWND>(lParam) != arrows) {
        Guarded([&model] { model.UserCancelArrow(); });
      }
      break;
    default:
      break;
  }
  return ::DefSubclassProc(arrows, message, wParam, lParam);
}

}  // namespace tapisto
