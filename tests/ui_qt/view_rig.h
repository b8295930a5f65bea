// The Linux program's whole world for view tests: the real program entry with the real POSIX
// settings store and files over a scratch home (HOME and XDG_CONFIG_HOME point into it), the
// Qt application object, pump, clock and screen, both window views, and fakes only where the
// program would leave the process: the boxes (recorded, never shown), the shell (launches
// recorded, none made) and the desktop refresh (counted; no live desktop is touched).
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "desktop/posix/hive/posix_settings_store.h"
#include "desktop/posix/os/posix_files.h"
#include "desktop/posix/os/posix_shell.h"
#include "ports/shell.h"
#include "ports/wallpaper_refresh.h"
#include "support/desktop_fakes.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "ui/program.h"
#include "ui/qt/log_window.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_application.h"
#include "ui/qt/qt_ports.h"

namespace tapisto::test {

// The user's folders as the real shell finds them; launches are recorded instead of made.
class RecordingShell final : public Shell {
 public:
  std::string SpecialFolder(ShellFolder folder) override { return real_.SpecialFolder(folder); }
  std::string TempPath() override { return real_.TempPath(); }
  void Open(const std::string& document, const std::string&, const std::string&,
            ShowCommand) override {
    opened.push_back(document);
  }
  std::vector<std::string> opened;

 private:
  PosixShell real_;
};

class CountingRefresh final : public WallpaperRefresh {
 public:
  void Refresh() override { ++count; }
  int count = 0;
};

// The real application object, keeping what the program asked of it.
class WatchedApplication final : public Application {
 public:
  explicit WatchedApplication(Application& real) : real_(real) {}
  void SetTitle(const std::string& title) override { real_.SetTitle(title); }
  std::string Title() const override { return real_.Title(); }
  void Terminate() override {
    terminated = true;
    real_.Terminate();
  }
  void SetMessageHook(MessageHook hook) override { real_.SetMessageHook(std::move(hook)); }
  void SetHintHidePause(int milliseconds) override {
    hintHidePause = milliseconds;
    real_.SetHintHidePause(milliseconds);
  }
  bool terminated = false;
  int hintHidePause = 0;

 private:
  Application& real_;
};

class ViewRig {
 public:
  ViewRig();
  ~ViewRig();
  ViewRig(const ViewRig&) = delete;
  ViewRig& operator=(const ViewRig&) = delete;

  // Replaces the hive with "Control Panel\Desktop" holding these string values (name, text).
  void WriteDesktopHive(const std::vector<std::pair<std::string, std::string>>& values);
  // The program entry's steps, then both views; the main window is shown and exposed.
  void Start();

  // A string value of "Control Panel\Desktop" as the hive file holds it now.
  std::string Desktop(const std::string& name);
  std::string Documents() const { return dir_.File("home/Documents"); }
  std::string WallpaperFolder() const { return Documents() + "/Meine Wallpapers"; }
  // The names of the files in "Meine Wallpapers", sorted.
  std::vector<std::string> WallpaperFiles() const;
  // A BMP picture of w x h written into the scratch folder; returns its path.
  std::string Bmp(const std::string& name, int w, int h) const;

  TForm1& form() { return *program.Form1(); }
  MainWindowView& view() { return *mainView; }
  LogWindowView& logView() { return *logWindowView; }
  // The widget of a layout row as the kind of widget the view made for it.
  template <typename W = QWidget>
  W* control(std::string_view name) {
    W* widget = dynamic_cast<W*>(mainView->Control(name));
    if (widget == nullptr) throw std::logic_error("no such widget: " + std::string(name));
    return widget;
  }

 private:
  TempDir dir_;
  ScopedEnv home_;
  ScopedEnv configHome_;

 public:
  QtApplication application;
  WatchedApplication watched{application};
  QtScreen screen;
  QtMessagePump pump;
  QtClock clock;
  PosixFiles files;
  RecordingDialogs dialogs;
  QtTimers timers{dialogs};
  PosixSettingsStore settings;
  CountingRefresh refresh;
  RecordingShell shell;
  WindowPorts ports{screen, pump, clock, files, dialogs, settings, refresh, shell, watched, timers};
  Program program{ports};
  std::unique_ptr<MainWindowView> mainView;
  std::unique_ptr<LogWindowView> logWindowView;
};

}  // namespace tapisto::test
