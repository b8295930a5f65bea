// The Windows view over the real window model: its native controls sit at the layout's places
// and follow a change of DPI, mirror the models both ways, hand every queued message to the
// hook before its window sees it, step the spin fields on release, and show the program's
// boxes and hints as it asks. Runs on a virtual X server (the window tests' wrapper).
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "desktop/win32/win32_files.h"
#include "desktop/win32/win32_text.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "ui/program.h"
#include "ui/win32/log_window.h"
#include "ui/win32/main_window.h"
#include "ui/win32/resource_ids.h"
#include "ui/win32/win32_application.h"
#include "ui/win32/win32_dialogs.h"
// After <windows.h>, which they need.
#include <commctrl.h>
#include <windowsx.h>

namespace tapisto::test {
namespace {

// A settings hive without keys: start-up reads nothing and applying writes nothing.
class NoSettings final : public SettingsStore {
 public:
  std::unique_ptr<SettingsKey> OpenKey(const std::string&) override { return nullptr; }
};

class NoRefresh final : public WallpaperRefresh {
 public:
  void Refresh() override { ++count; }
  int count = 0;
};

class FolderShell final : public Shell {
 public:
  explicit FolderShell(std::string folder) : folder_(std::move(folder)) {}
  std::string SpecialFolder(ShellFolder) override { return folder_; }
  std::string TempPath() override { return folder_ + "\\"; }
  void Open(const std::string&, const std::string&, const std::string&, ShowCommand) override {}

 private:
  std::string folder_;
};

std::string TextOf(HWND window) {
  wchar_t text[512] = {};
  ::GetWindowTextW(window, text, 512);
  return Utf8FromUtf16(text);
}

// Where `control` is in its parent's client area.
PixelRect PlaceOf(HWND control) {
  RECT rect{};
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

PixelSize ClientSizeOf(HWND window) {
  RECT rect{};
  ::GetClientRect(window, &rect);
  return {rect.right, rect.bottom};
}

// Both windows over the real model, with the real application, pump and files; the main window
// shown.
struct ViewRig {
  TempDir dir;
  FakeScreen screen{1024, 768};
  FakeClock clock;
  Win32Application application;
  Win32MessagePump pump{application};
  Win32Files files;
  RecordingDialogs dialogs;
  Win32Timers timers{dialogs};
  NoSettings settings;
  NoRefresh refresh;
  FolderShell shell{dir.path().string()};
  WindowPorts ports{screen,   pump,    clock, files,       dialogs,
                    settings, refresh, shell, application, timers};
  Program program{ports};
  std::unique_ptr<MainWindowView> main;
  std::unique_ptr<LogWindowView> log;

  ViewRig() {
    program.Start();
    main = std::make_unique<MainWindowView>(Form(), application, dialogs);
    log = std::make_unique<LogWindowView>(*program.Form2(), main->Handle(), application, dialogs);
    main->Show(SW_SHOWNORMAL);
    pump.ProcessMessages();
  }
  TForm1& Form() { return *program.Form1(); }
  HWND Control(std::string_view name) const { return main->Control(name); }
};

void ExpectControlsAtTheirPlaces(const ViewRig& rig, int dpi) {
  EXPECT_EQ(ClientSizeOf(rig.main->Handle()), ScaledClientSize(kForm1Window, dpi));
  for (const ControlLayout& row : kForm1Layout) {
    if (row.kind == ControlKind::FileDialog) continue;
    const PixelRect expected = ScaledRect(row, dpi);
    const HWND control = rig.Control(row.name);
    ASSERT_NE(control, nullptr) << row.name;
    PixelRect place = PlaceOf(control);
    if (row.kind == ControlKind::SpinEdit) {
      // The edit box and the arrows at its right end share the field's place.
      const PixelRect arrows = PlaceOf(rig.main->Arrows(row.name));
      EXPECT_EQ(arrows.top, expected.top) << row.name;
      EXPECT_EQ(arrows.left + arrows.width, expected.left + expected.width) << row.name;
      place.width = arrows.left + arrows.width - place.left;
    }
    if (row.kind == ControlKind::Label) {
      // Labels grow to their caption's width, never shrink below the layout's.
      EXPECT_GE(place.width, expected.width) << row.name;
      place.width = expected.width;
    }
    EXPECT_EQ(place, expected) << row.name << " at " << dpi << " dpi: " << place.left << ","
                               << place.top << " " << place.width << "x" << place.height;
  }
}

// Both windows show the program's icon resource (this test program holds Tapisto.exe's): the
// big one at the system's icon size, the small one at its small icon size.
TEST(Win32MainWindow, BothWindowsShowTheProgramsIconBigAndSmall) {
  ViewRig rig;
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  struct Case {
    int classIndex;
    int widthMetric;
    int heightMetric;
  };
  for (const HWND window : {rig.main->Handle(), rig.log->Handle()}) {
    for (const Case c :
         {Case{GCLP_HICON, SM_CXICON, SM_CYICON}, Case{GCLP_HICONSM, SM_CXSMICON, SM_CYSMICON}}) {
      const auto shown = reinterpret_cast<HICON>(::GetClassLongPtrW(window, c.classIndex));
      // A shared icon: loading the same resource at the same size gives the same handle.
      const HANDLE own = ::LoadImageW(instance, MAKEINTRESOURCEW(TAPISTO_ICON_ID), IMAGE_ICON,
                                      ::GetSystemMetrics(c.widthMetric),
                                      ::GetSystemMetrics(c.heightMetric), LR_SHARED);
      ASSERT_NE(own, nullptr);
      EXPECT_EQ(shown, static_cast<HICON>(own)) << c.classIndex;
      EXPECT_NE(shown, ::LoadIconW(nullptr, IDI_APPLICATION)) << c.classIndex;
    }
  }
}

TEST(Win32MainWindow, PutsEveryControlAtItsPlaceAndTheWindowInTheMiddle) {
  ViewRig rig;
  ASSERT_EQ(rig.main->Dpi(), 96);
  ExpectControlsAtTheirPlaces(rig, 96);
  EXPECT_EQ(TextOf(rig.main->Handle()), "Tapisto Ver. 2.19.9");
  const LONG_PTR style = ::GetWindowLongPtrW(rig.main->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  RECT window{};
  ::GetWindowRect(rig.main->Handle(), &window);
  EXPECT_NEAR((window.left + window.right) / 2, ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR((window.top + window.bottom) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 1);
  // The captions and the twelve styles, nothing chosen.
  EXPECT_EQ(TextOf(rig.Control("Button2")), "&Zurücksetzen");
  EXPECT_EQ(TextOf(rig.Control("Label1")), "Desktop-Hintergrundbilddatei:");
  EXPECT_EQ(TextOf(rig.Control("StaticText1")), "tapisto.example");
  const HWND combo = rig.Control("ComboBox1");
  ASSERT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 12);
  for (int i = 0; i < 12; ++i) {
    wchar_t item[64] = {};
    ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(Utf8FromUtf16(item), rig.Form().ComboBox1.items[static_cast<std::size_t>(i)]);
  }
  EXPECT_EQ(::SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  // The log window exists, hidden, at its own size.
  EXPECT_EQ(TextOf(rig.log->Handle()), "Log");
  EXPECT_FALSE(::IsWindowVisible(rig.log->Handle()));
  EXPECT_EQ(ClientSizeOf(rig.log->Handle()), ScaledClientSize(kForm2Window, 96));
  EXPECT_EQ(PlaceOf(rig.log->Memo()), ScaledRect(LayoutOf(kForm2Layout, "Memo1"), 96));
}

TEST(Win32MainWindow, LaysItselfOutAgainWhenMovedToAMonitorOfAnotherDpi) {
  ViewRig rig;
  RECT suggested{10, 20, 600, 400};
  ::SendMessageW(rig.main->Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
  ASSERT_EQ(rig.main->Dpi(), 144);
  ExpectControlsAtTheirPlaces(rig, 144);
  RECT window{};
  ::GetWindowRect(rig.main->Handle(), &window);
  EXPECT_EQ(window.left, 10);
  EXPECT_EQ(window.top, 20);
  LOGFONTW font{};
  ::GetObjectW(rig.main->Font(), sizeof(font), &font);
  EXPECT_EQ(font.lfHeight, -17);  // 11 pixels at 96 dpi
  EXPECT_EQ(std::wstring(font.lfFaceName), L"Tahoma");
}

TEST(Win32MainWindow, ShowsWhatTheModelsSay) {
  ViewRig rig;
  TForm1& form = rig.Form();
  int styleHandlerRuns = 0;
  form.ComboBox1.AttachChange([&] { ++styleHandlerRuns; });
  form.Edit1.DetachChange();
  form.Edit1.SetText("C:\\Bilder\\Sommer.jpg");
  EXPECT_EQ(TextOf(rig.Control("Edit1")), "C:\\Bilder\\Sommer.jpg");
  form.Edit1.SelectAll();
  DWORD start = 1, end = 0;
  ::SendMessageW(rig.Control("Edit1"), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 20u);
  form.SpinEdit1.DetachChange();
  form.SpinEdit1.SetValue(-30);
  EXPECT_EQ(TextOf(rig.Control("SpinEdit1")), "-30");
  form.SpinEdit2.SetEnabled(false);
  EXPECT_FALSE(::IsWindowEnabled(rig.Control("SpinEdit2")));
  EXPECT_FALSE(::IsWindowEnabled(rig.main->Arrows("SpinEdit2")));
  form.SpinEdit2.SetEnabled(true);
  EXPECT_TRUE(::IsWindowEnabled(rig.main->Arrows("SpinEdit2")));
  form.ComboBox1.SetItemIndex(8);
  EXPECT_EQ(::SendMessageW(rig.Control("ComboBox1"), CB_GETCURSEL, 0, 0), 8);
  EXPECT_EQ(styleHandlerRuns, 0) << "a selection by the program runs no handler";
  form.SetFocusedControl("Button2");
  EXPECT_EQ(::GetFocus(), rig.Control("Button2"));
}

TEST(Win32MainWindow, HandsWhatTheUserDoesToTheModels) {
  ViewRig rig;
  TForm1& form = rig.Form();
  std::vector<std::string> seen;
  form.Edit1.AttachChange([&] { seen.push_back("Edit1=" + form.Edit1.Text()); });
  form.SpinEdit2.AttachChange([&] { seen.push_back("SpinEdit2=" + form.SpinEdit2.Text()); });
  form.ComboBox1.AttachChange([&] { seen.push_back("ComboBox1=" + form.ComboBox1.Text()); });
  form.Button1.onClick = [&] { seen.push_back("Button1"); };

  ::SetWindowTextW(rig.Control("Edit1"), L"C:\\Größe.png");
  ::SetWindowTextW(rig.Control("SpinEdit2"), L"-25");
  const HWND combo = rig.Control("ComboBox1");
  ::SendMessageW(combo, CB_SETCURSEL, 6, 0);
  ::SendMessageW(rig.main->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
  ::SendMessageW(rig.Control("Button1"), BM_CLICK, 0, 0);
  rig.pump.ProcessMessages();
  EXPECT_EQ(seen, (std::vector<std::string>{"Edit1=C:\\Größe.png", "SpinEdit2=-25",
                                            "ComboBox1=nebeneinander", "Button1"}));
  // The keyboard focus reaches the model too.
  ::SetFocus(combo);
  EXPECT_EQ(form.FocusedControl(), "ComboBox1");
}

TEST(Win32MainWindow, SpinFieldsTakeOnlyNumberKeysAndStepWithUpAndDown) {
  ViewRig rig;
  TForm1& form = rig.Form();
  form.SpinEdit1.DetachChange();
  const HWND field = rig.Control("SpinEdit1");
  ::SetFocus(field);
  ::SendMessageW(field, EM_SETSEL, 0, -1);
  for (const wchar_t c : std::wstring(L"-4x2a")) ::SendMessageW(field, WM_CHAR, c, 0);
  EXPECT_EQ(form.SpinEdit1.Text(), "-42");
  ::SendMessageW(field, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(form.SpinEdit1.Text(), "-32");
  ::SendMessageW(field, WM_KEYDOWN, VK_DOWN, 0);
  ::SendMessageW(field, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(form.SpinEdit1.Text(), "-52");
  EXPECT_EQ(TextOf(field), "-52");
}

// The messages the hook saw and the windows got, in order.
struct MessageLog {
  std::vector<std::string> entries;
  static LRESULT CALLBACK Spy(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR data) {
    auto* log = reinterpret_cast<MessageLog*>(data);
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP || message == WM_APP + 1) {
      log->entries.push_back("window " + std::to_string(message));
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
  }
};

TEST(Win32Application, TheHookSeesEveryQueuedMessageBeforeItsWindowInPumpAndLoop) {
  ViewRig rig;
  MessageLog log;
  rig.application.SetMessageHook([&log](QueuedMessage message) {
    if (message == QueuedMessage::LeftButtonDown) log.entries.push_back("hook down");
    if (message == QueuedMessage::LeftButtonUp) log.entries.push_back("hook up");
  });
  const HWND button = rig.Control("Button1");
  ::SetWindowSubclass(button, &MessageLog::Spy, 7, reinterpret_cast<DWORD_PTR>(&log));
  ::SetWindowSubclass(rig.main->Handle(), &MessageLog::Spy, 7, reinterpret_cast<DWORD_PTR>(&log));
  int clicks = 0;
  rig.Form().Button1.onClick = [&] { ++clicks; };
  const std::vector<std::string> expected{"hook down", "window 513", "hook up", "window 514",
                                          "window 32769"};

  ::PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ::PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ::PostMessageW(rig.main->Handle(), WM_APP + 1, 0, 0);
  rig.pump.ProcessMessages();
  EXPECT_EQ(log.entries, expected);
  EXPECT_EQ(clicks, 1);

  log.entries.clear();
  ::PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ::PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ::PostMessageW(rig.main->Handle(), WM_APP + 1, 0, 0);
  ::PostQuitMessage(3);
  EXPECT_EQ(rig.application.Run(), 3);
  EXPECT_EQ(log.entries, expected);
  EXPECT_EQ(clicks, 2);
  ::RemoveWindowSubclass(button, &MessageLog::Spy, 7);
  ::RemoveWindowSubclass(rig.main->Handle(), &MessageLog::Spy, 7);
}

TEST(Win32Application, OnlyTheLeftButtonsOwnPressAndReleaseAreTold) {
  EXPECT_EQ(QueuedMessageOf(WM_LBUTTONDOWN), QueuedMessage::LeftButtonDown);
  EXPECT_EQ(QueuedMessageOf(WM_LBUTTONUP), QueuedMessage::LeftButtonUp);
  for (const UINT other :
       {UINT{WM_LBUTTONDBLCLK}, UINT{WM_RBUTTONDOWN}, UINT{WM_MOUSEMOVE}, UINT{WM_APP + 1}}) {
    EXPECT_EQ(QueuedMessageOf(other), QueuedMessage::Other) << other;
  }
}

TEST(Win32Application, ClosingTheMainWindowEndsTheLoopWithoutTheExitButtonsStep) {
  ViewRig rig;
  ::PostMessageW(rig.main->Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(rig.application.Run(), 0);
  EXPECT_EQ(rig.refresh.count, 0) << "the exit button would have removed the wallpaper";
  EXPECT_TRUE(rig.application.QuitReceived());
}

TEST(Win32MainWindow, SpinArrowsStepOnReleaseOverTheArrowAfterTheHookClearedTheButton) {
  ViewRig rig;
  TForm1& form = rig.Form();
  std::vector<std::string> steps;
  form.SpinEdit1.AttachChange([&] {
    steps.push_back(form.SpinEdit1.Text() +
                    (form.State().MouseButtonDown ? " button down" : " button up"));
  });
  const HWND arrows = rig.main->Arrows("SpinEdit1");
  RECT client{};
  ::GetClientRect(arrows, &client);
  const LPARAM up = MAKELPARAM(client.right / 2, client.bottom / 4);
  const LPARAM down = MAKELPARAM(client.right / 2, client.bottom * 3 / 4);
  const LPARAM outside = MAKELPARAM(client.right / 2, static_cast<WORD>(-8));
  const auto press = [&](LPARAM at, LPARAM releasedAt) {
    ::PostMessageW(arrows, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(arrows, WM_LBUTTONUP, 0, releasedAt);
    rig.pump.ProcessMessages();
  };

  press(up, up);
  press(down, down);
  press(down, down);
  EXPECT_EQ(steps, (std::vector<std::string>{"10 button up", "0 button up", "-10 button up"}));
  steps.clear();
  press(up, down);
  press(down, outside);
  EXPECT_TRUE(steps.empty()) << steps.front();
  EXPECT_EQ(TextOf(rig.Control("SpinEdit1")), "-10");
  EXPECT_FALSE(form.State().MouseButtonDown);
}

TEST(Win32MainWindow, AHeldSpinArrowRepeatsThroughTheThreadTimersUntilReleased) {
  ViewRig rig;
  TForm1& form = rig.Form();
  form.SpinEdit1.DetachChange();
  const HWND arrows = rig.main->Arrows("SpinEdit1");
  RECT client{};
  ::GetClientRect(arrows, &client);
  const LPARAM up = MAKELPARAM(client.right / 2, client.bottom / 4);
  ::PostMessageW(arrows, WM_LBUTTONDOWN, MK_LBUTTON, up);
  const DWORD start = ::GetTickCount();
  while (form.SpinEdit1.Value() < 20 && ::GetTickCount() - start < 5000) {
    rig.pump.WaitForMessages(50);
    rig.pump.ProcessMessages();
  }
  EXPECT_GE(form.SpinEdit1.Value(), 20);
  EXPECT_EQ(form.SpinEdit1.PressedArrow(), SpinArrow::Up);
  const int held = form.SpinEdit1.Value();
  // Posted messages come before a timer's: the release is next, and it steps once more.
  ::PostMessageW(arrows, WM_LBUTTONUP, 0, up);
  rig.pump.ProcessMessages();
  EXPECT_EQ(form.SpinEdit1.Value(), held + 10);
  EXPECT_EQ(form.SpinEdit1.PressedArrow(), SpinArrow::None);
  ::Sleep(300);
  rig.pump.ProcessMessages();
  EXPECT_EQ(form.SpinEdit1.Value(), held + 10) << "the repeat stopped with the release";
}

TEST(Win32MainWindow, HintsShowTheModelsTextsAndStayForTheHintPause) {
  ViewRig rig;
  const HWND hints = rig.main->Hints();
  ASSERT_NE(hints, nullptr);
  EXPECT_EQ(::SendMessageW(hints, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 10000);
  const auto hintOf = [&](HWND control) {
    wchar_t text[256] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = offsetof(TTTOOLINFOW, lParam) + sizeof(LPARAM);
    tool.hwnd = rig.main->Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text;
    ::SendMessageW(hints, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    return Utf8FromUtf16(text);
  };
  EXPECT_EQ(hintOf(rig.Control("Button1")), "Datei auswählen");
  EXPECT_EQ(hintOf(rig.Control("ComboBox1")), "Einige Funktionen sind erst ab Windows 10 wirksam");
  EXPECT_EQ(hintOf(rig.main->Arrows("SpinEdit2")), std::string(kSpinHint));
  EXPECT_EQ(hintOf(rig.Control("Image1")), std::string(kDonationHint));
  EXPECT_EQ(hintOf(rig.Control("StaticText1")), "https://tapisto.example");
  EXPECT_EQ(hintOf(rig.Control("Label1")), "") << "labels show no hints";
  rig.Form().Button1.hint = "anders";
  rig.Form().Button1.SetEnabled(true);  // a change the view is told of
  EXPECT_EQ(hintOf(rig.Control("Button1")), "anders");
  rig.application.SetHintHidePause(2500);
  EXPECT_EQ(::SendMessageW(hints, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 2500);
}

TEST(Win32LogWindow, ShowsEveryLineAndHidesWhenClosed) {
  ViewRig rig;
  LogLines& log = rig.program.Log();
  AppendLogLine(log, "OpenDialog.FileName: C:\\Bilder\\Bild.png");
  AppendLogLine(log, std::string(64, '-'));
  EXPECT_EQ(TextOf(rig.log->Memo()),
            "OpenDialog.FileName: C:\\Bilder\\Bild.png\r\n" + std::string(64, '-'));
  TForm2& form = *rig.program.Form2();
  form.Show();
  EXPECT_TRUE(::IsWindowVisible(rig.log->Handle()));
  ::SendMessageW(rig.log->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(::IsWindowVisible(rig.log->Handle()));
  EXPECT_FALSE(form.Visible());
  EXPECT_TRUE(::IsWindow(rig.log->Handle())) << "closing only hides it";
  form.Show();
  ::SendMessageW(rig.log->CloseButton(), BM_CLICK, 0, 0);
  EXPECT_FALSE(::IsWindowVisible(rig.log->Handle()));
  AppendLogLine(log, "Edit1.Text: x");
  EXPECT_EQ(static_cast<int>(::SendMessageW(rig.log->Memo(), EM_GETLINECOUNT, 0, 0)), 3);
}

// Answers the next box captioned `caption` of this process by its button `answer`, and keeps
// the texts of its buttons and of its message.
struct BoxAnswerer {
  BoxAnswerer(std::wstring boxCaption, int answer)
      : caption(std::move(boxCaption)), worker([this, answer] {
          for (int i = 0; i < 600 && !done; ++i) {
            const HWND box = ::FindWindowW(L"#32770", caption.c_str());
            if (box != nullptr && ::IsWindowVisible(box)) {
              yes = DlgText(box, IDYES);
              no = DlgText(box, IDNO);
              ok = DlgText(box, IDOK);
              text = DlgText(box, 0xFFFF);  // the message's static
              ::PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
              done = true;
              return;
            }
            ::Sleep(50);
          }
        }) {}
  ~BoxAnswerer() {
    done = true;
    Finish();
  }
  // Waits until the box was answered (or the answerer gave up).
  void Finish() {
    if (worker.joinable()) worker.join();
  }
  static std::string DlgText(HWND box, int id) {
    wchar_t buffer[256] = {};
    ::GetDlgItemTextW(box, id, buffer, 256);
    return Utf8FromUtf16(buffer);
  }
  std::wstring caption;
  std::atomic<bool> done{false};
  std::string yes, no, ok, text;
  std::thread worker;
};

TEST(Win32Dialogs, AskWithJaAndNeinAndTellWithTheApplicationTitle) {
  ViewRig rig;
  Win32Dialogs dialogs(rig.application);
  dialogs.SetOwner(rig.main->Handle());
  {
    BoxAnswerer answerer(L"Bestätigen", IDNO);
    EXPECT_FALSE(dialogs.Confirm("Die Datei ist in Benutzung. Warten?"));
    answerer.Finish();
    EXPECT_EQ(answerer.yes, "&Ja");
    EXPECT_EQ(answerer.no, "&Nein");
    EXPECT_EQ(answerer.text, "Die Datei ist in Benutzung. Warten?");
    answerer.worker = std::thread();
  }
  {
    BoxAnswerer answerer(L"Bestätigen", IDYES);
    EXPECT_TRUE(dialogs.Confirm("Warten?"));
    answerer.Finish();
  }
  {
    BoxAnswerer answerer(L"Tapisto", IDOK);
    dialogs.ShowMessage("Kann nicht in die Registry schreiben.");
    answerer.Finish();
    EXPECT_EQ(answerer.text, "Kann nicht in die Registry schreiben.");
    EXPECT_EQ(answerer.ok, "OK") << "a plain box keeps its own button";
    answerer.worker = std::thread();
  }
}

// The visible dialog box of this process, or null.
HWND VisibleDialogOfThisProcess() {
  struct Search {
    HWND found = nullptr;
  } search;
  ::EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        wchar_t className[16] = {};
        ::GetClassNameW(window, className, 16);
        if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window) &&
            std::wstring_view(className) == L"#32770") {
          reinterpret_cast<Search*>(data)->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST(Win32Dialogs, TheFileDialogOffersTheFilterAndStartsInTheFolderGiven) {
  ViewRig rig;
  Win32Dialogs dialogs(rig.application);
  dialogs.SetOwner(rig.main->Handle());
  const std::string folder = rig.dir.path().string();
  const std::string chosen = folder + "\\Bild.png";
  ::CloseHandle(::CreateFileW(Utf16FromUtf8(chosen).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string filterShown;
  std::thread chooser([&] {
    for (int i = 0; i < 600; ++i) {
      const HWND dialog = VisibleDialogOfThisProcess();
      if (dialog != nullptr) {
        wchar_t item[128] = {};
        ::SendMessageW(::GetDlgItem(dialog, 0x470), CB_GETLBTEXT, 0,
                       reinterpret_cast<LPARAM>(item));  // the file types
        filterShown = Utf8FromUtf16(item);
        // A name without a folder is looked for in the folder the dialog shows.
        ::SetDlgItemTextW(dialog, 0x47C, L"Bild.png");  // the file name
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return;
      }
      ::Sleep(50);
    }
  });
  const std::optional<std::string> answer =
      dialogs.ChooseFile(std::string(kOpenDialogFilter), folder + "\\");
  chooser.join();
  EXPECT_EQ(filterShown, "Grafik-Dateien (*.bmp, *.gif, *.jpg, *.png)");
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer, chosen);
}

}  // namespace
}  // namespace tapisto::test
