// Tapisto.exe end to end, as a user drives it: started in a Wine virtual desktop, a picture
// path typed into the file field, an offset arrow clicked, styles chosen; then what the program
// wrote is checked where the system keeps it (the registry, "Meine Wallpapers" in the
// documents folder) and the wallpaper the desktop shows is checked on the screen's pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "base/path.h"
#include "desktop/win32/win32_shell.h"
#include "desktop/win32/win32_text.h"
#include "image/bmp.h"
#include "image/colour.h"
#include "image/jpeg_decode.h"
#include "support/temp_dir.h"
#include "ui/layout.h"
#include "ui/win32/view_geometry.h"
#include "ui_win32/window_driver.h"

namespace tapisto::test {
namespace {

const std::string kDesktopKey = "Control Panel\\Desktop";
constexpr int kNebeneinander = 6;
constexpr int kZentriert = 5;

// Four solid quadrants, so that a JPEG copy still shows which quadrant a pixel is in.
constexpr Colour kTopLeft = ComposeRgb(220, 20, 30);
constexpr Colour kTopRight = ComposeRgb(20, 200, 40);
constexpr Colour kBottomLeft = ComposeRgb(30, 40, 210);
constexpr Colour kBottomRight = ComposeRgb(250, 250, 250);
constexpr int kPictureWidth = 64;
constexpr int kPictureHeight = 48;

Raster QuadrantPicture() {
  Raster picture(kPictureWidth, kPictureHeight);
  for (int y = 0; y < kPictureHeight; ++y) {
    for (int x = 0; x < kPictureWidth; ++x) {
      const bool right = x >= kPictureWidth / 2;
      const bool bottom = y >= kPictureHeight / 2;
      picture.SetPixel(
          x, y, bottom ? (right ? kBottomRight : kBottomLeft) : (right ? kTopRight : kTopLeft));
    }
  }
  return picture;
}

Colour QuadrantAt(int x, int y) {
  const int px = x % kPictureWidth;
  const int py = y % kPictureHeight;
  return QuadrantPicture().Pixel(px, py);
}

bool Near(Colour a, Colour b, int tolerance) {
  return std::abs(RedOf(a) - RedOf(b)) <= tolerance &&
         std::abs(GreenOf(a) - GreenOf(b)) <= tolerance &&
         std::abs(BlueOf(a) - BlueOf(b)) <= tolerance;
}

// The screen's pixel, which in a virtual desktop includes the wallpaper Wine draws.
Colour ScreenPixel(int x, int y) {
  const HDC screen = ::GetDC(nullptr);
  const COLORREF c = ::GetPixel(screen, x, y);
  ::ReleaseDC(nullptr, screen);
  // COLORREF has the same layout as our colours: red in the low byte.
  return static_cast<Colour>(c) & 0xFFFFFFu;
}

Colour DesktopBackground() {
  const std::string text = ReadUserString("Control Panel\\Colors", "Background").value_or("");
  int r = 0, g = 0, b = 0;
  std::sscanf(text.c_str(), "%d %d %d", &r, &g, &b);
  return ComposeRgb(r, g, b);
}

std::string ProgramPath() {
  std::string path = TAPISTO_PROGRAM_PATH;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// Tapisto.exe started for one test; it is closed (or, if it hangs, ended) when the test ends.
class RunningTapisto {
 public:
  RunningTapisto() {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring commandLine = L"\"" + Utf16FromUtf8(ProgramPath()) + L"\"";
    started_ = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                nullptr, &startup, &process_) != FALSE;
  }
  ~RunningTapisto() {
    if (!started_) return;
    if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
      if (main_ != nullptr) ::PostMessageW(main_, WM_CLOSE, 0, 0);
      if (::WaitForSingleObject(process_.hProcess, 10000) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.hProcess, 99);
      }
    }
    ::CloseHandle(process_.hThread);
    ::CloseHandle(process_.hProcess);
  }
  RunningTapisto(const RunningTapisto&) = delete;
  RunningTapisto& operator=(const RunningTapisto&) = delete;

  bool Started() const { return started_; }

  // The main window once it is shown.
  HWND Main() {
    if (main_ == nullptr) {
      WaitUntil([this] {
        main_ = FindProcessWindow(process_.dwProcessId, L"TForm1");
        return main_ != nullptr && ::IsWindowVisible(main_);
      });
    }
    return main_;
  }
  HWND LogWindow() const { return FindProcessWindow(process_.dwProcessId, L"TForm2"); }
  HWND Control(std::string_view name) {
    return ::GetDlgItem(Main(), ControlIdOf(kForm1Layout, name));
  }
  HWND Arrows(std::string_view name) {
    return ::GetDlgItem(Main(), ControlIdOf(kForm1Layout, name) + kArrowsIdOffset);
  }

  // Chooses entry `index` of the style list as a selection by the user does: the list's
  // selection, then its notification to the window.
  void ChooseStyle(int index) {
    const HWND combo = Control("ComboBox1");
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::PostMessageW(Main(), WM_COMMAND,
                   MAKEWPARAM(ControlIdOf(kForm1Layout, "ComboBox1"), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
  }

  // The exit code once the program has ended within the deadline; -1 otherwise.
  int ExitCode() {
    if (::WaitForSingleObject(process_.hProcess, kDeadlineMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<int>(code);
  }

 private:
  PROCESS_INFORMATION process_{};
  bool started_ = false;
  HWND main_ = nullptr;
};

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // No wallpaper at start: the file field starts empty and nothing is restored.
    WriteUserString(kDesktopKey, "Wallpaper", "");
    WriteUserString(kDesktopKey, "TileWallpaper", "0");
    WriteUserString(kDesktopKey, "WallpaperStyle", "0");
    picture = dir.File("Bild.bmp");
    WriteBmpFile(QuadrantPicture(), picture);
    const std::string documents = Win32Shell().SpecialFolder(ShellFolder::Documents);
    composed = JoinPath(JoinPath(documents, "Meine Wallpapers"), "0Bild.jpg");
    ::DeleteFileW(Utf16FromUtf8(composed).c_str());
  }

  std::string Desktop(const std::string& name) {
    return ReadUserString(kDesktopKey, name).value_or("<missing>");
  }
  bool DesktopSettingsAre(const std::string& wallpaper, const std::string& tile,
                          const std::string& style) {
    return Desktop("Wallpaper") == wallpaper && Desktop("TileWallpaper") == tile &&
           Desktop("WallpaperStyle") == style;
  }

  TempDir dir;
  std::string picture;
  std::string composed;
};

TEST_F(EndToEndTest, TypedFileClickedOffsetAndChosenStylesReachRegistryFilesAndScreen) {
  RunningTapisto tapisto;
  ASSERT_TRUE(tapisto.Started()) << ProgramPath();
  const HWND main = tapisto.Main();
  ASSERT_NE(main, nullptr) << "the main window did not appear";
  EXPECT_EQ(WindowTextOf(main), "Tapisto Ver. 2.19.9");

  // Typing the path: each character changes the field; the complete path names the file,
  // which is applied with the first style, "normal": a composition in "Meine Wallpapers".
  const HWND edit = tapisto.Control("Edit1");
  ClickAt(edit);
  ASSERT_TRUE(TypeInto(edit, picture)) << "file field: " << WindowTextOf(edit);
  ASSERT_TRUE(WaitUntil([&] { return DesktopSettingsAre(composed, "0", "0"); }))
      << "Wallpaper=" << Desktop("Wallpaper") << " TileWallpaper=" << Desktop("TileWallpaper")
      << " WallpaperStyle=" << Desktop("WallpaperStyle");
  EXPECT_EQ(::SendMessageW(tapisto.Control("ComboBox1"), CB_GETCURSEL, 0, 0), 0);
  const Colour background = DesktopBackground();
  const auto composedShows = [&](int x, int y, Colour expected) {
    try {
      const Raster canvas = ReadJpegFile(composed);
      return canvas.Width() == ::GetSystemMetrics(SM_CXSCREEN) &&
             Near(canvas.Pixel(x, y), expected, 40);
    } catch (const std::exception&) {
      return false;  // not there yet, or being written
    }
  };
  ASSERT_TRUE(WaitUntil([&] { return composedShows(5, 5, kTopLeft); })) << composed;
  EXPECT_TRUE(composedShows(kPictureWidth + 5, 5, background));

  // One click on the X field's up arrow: the step comes with the release, so it applies, and
  // the composition moves the picture 10 pixels to the right.
  ClickAt(tapisto.Arrows("SpinEdit1"), 0.5, 0.25);
  EXPECT_TRUE(WaitUntil([&] { return WindowTextOf(tapisto.Control("SpinEdit1")) == "10"; }))
      << "X field: " << WindowTextOf(tapisto.Control("SpinEdit1"));
  EXPECT_TRUE(WaitUntil([&] { return composedShows(5, 5, background); }))
      << "the composition was not made again at X 10";
  EXPECT_TRUE(composedShows(12, 5, kTopLeft));
  EXPECT_EQ(WindowTextOf(tapisto.Control("SpinEdit2")), "0");

  // "nebeneinander": the desktop's own tiling of the BMP file itself, drawn by Wine.
  tapisto.ChooseStyle(kNebeneinander);
  ASSERT_TRUE(WaitUntil([&] { return DesktopSettingsAre(picture, "1", "0"); }))
      << "Wallpaper=" << Desktop("Wallpaper") << " TileWallpaper=" << Desktop("TileWallpaper");
  // Points of the screen that the main window does not cover.
  for (const auto& [x, y] : {std::pair{8, 8}, {40, 8}, {8, 30}, {40, 30}, {200, 104}, {1000, 20}}) {
    EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(x, y) == QuadrantAt(x, y); }))
        << "screen at " << x << "," << y << ": " << std::hex << ScreenPixel(x, y);
  }

  // The log window (hidden) has a line for each apply the file field and the list started.
  const HWND log = tapisto.LogWindow();
  ASSERT_NE(log, nullptr);
  EXPECT_FALSE(::IsWindowVisible(log));
  const std::string lines = WindowTextOf(::GetDlgItem(log, ControlIdOf(kForm2Layout, "Memo1")));
  EXPECT_EQ(lines, "Edit1.Text: " + picture + "\r\nEdit1.Text: " + picture);

  // "zentriert", then the title bar's close: the desktop keeps the centred picture.
  tapisto.ChooseStyle(kZentriert);
  ASSERT_TRUE(WaitUntil([&] { return DesktopSettingsAre(picture, "0", "0"); }))
      << "TileWallpaper=" << Desktop("TileWallpaper");
  ::PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(tapisto.ExitCode(), 0);
  EXPECT_EQ(Desktop("Wallpaper"), picture);
  const int left = (::GetSystemMetrics(SM_CXSCREEN) - kPictureWidth) / 2;
  const int top = (::GetSystemMetrics(SM_CYSCREEN) - kPictureHeight) / 2;
  for (const auto& [x, y] : {std::pair{4, 4}, {40, 4}, {4, 30}, {40, 30}}) {
    EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(left + x, top + y) == QuadrantAt(x, y); }))
        << "screen at " << left + x << "," << top + y << ": " << std::hex
        << ScreenPixel(left + x, top + y);
  }
  EXPECT_EQ(ScreenPixel(left - 4, top + 4), background);
  EXPECT_EQ(ScreenPixel(8, 8), background);
}

TEST_F(EndToEndTest, ExitButtonWithEmptyFileFieldRemovesTheWallpaperAndEnds) {
  WriteUserString(kDesktopKey, "Wallpaper", picture);
  RunningTapisto tapisto;
  ASSERT_TRUE(tapisto.Started()) << ProgramPath();
  ASSERT_NE(tapisto.Main(), nullptr) << "the main window did not appear";
  const HWND edit = tapisto.Control("Edit1");
  // Start-up shows the current wallpaper; a click selects it all and Backspace empties the
  // field, which removes the wallpaper at once.
  ASSERT_TRUE(WaitUntil([&] { return WindowTextOf(edit) == picture; }));
  ClickAt(edit);
  TypeText("\b");
  ASSERT_TRUE(WaitUntil([&] { return WindowTextOf(edit).empty(); }))
      << "file field: " << WindowTextOf(edit);
  EXPECT_TRUE(WaitUntil([&] { return Desktop("Wallpaper").empty(); }));
  WriteUserString(kDesktopKey, "Wallpaper", picture);
  // "B&eenden" with the field empty removes the wallpaper again, then ends the program.
  ClickAt(tapisto.Control("Button3"));
  EXPECT_EQ(tapisto.ExitCode(), 0);
  EXPECT_EQ(Desktop("Wallpaper"), "");
}

}  // namespace
}  // namespace tapisto::test
