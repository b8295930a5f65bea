// Tapisto on Linux: the program entry over Qt. The windows' models run as on every system; Qt
// gives them the application object, the boxes, the message pump, the screen and the clock,
// and the POSIX backends give them the settings, the files, the shell and the desktop refresh.
#include <QApplication>
#include <memory>

#include "base/version.h"
#include "desktop/posix/handover/posix_refresh.h"
#include "desktop/posix/handover/running_desktop.h"
#include "desktop/posix/hive/posix_settings_store.h"
#include "desktop/posix/os/posix_files.h"
#include "desktop/posix/os/posix_shell.h"
#include "ui/program.h"
#include "ui/qt/application_icon.h"
#include "ui/qt/log_window.h"
#include "ui/qt/main_window.h"
#include "ui/qt/once_drawn.h"
#include "ui/qt/qt_application.h"
#include "ui/qt/qt_dialogs.h"
#include "ui/qt/qt_ports.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/view_metrics.h"
#include "ui/window_support.h"

int main(int argc, char** argv) {
  QApplication qtApplication(argc, argv);
  // The desktop entry's name lets Wayland desktops match the windows to the menu entry.
  QGuiApplication::setDesktopFileName(tapisto::ToQString(tapisto::kApplicationId));
  tapisto::QtApplication application(qtApplication);
  tapisto::QtScreen screen;
  tapisto::QtMessagePump pump;
  tapisto::QtClock clock;
  tapisto::PosixFiles files;
  tapisto::QtDialogs dialogs(application);
  tapisto::QtTimers timers(dialogs);
  // A first start seeds the settings file from what the running desktop shows, and every
  // refresh hands the settings written to the running desktop.
  tapisto::PosixSettingsStore settings(tapisto::PosixSettingsStore::DefaultHivePath(),
                                       tapisto::SeedFromRunningDesktop);
  tapisto::RunningDesktop desktop;
  tapisto::PosixRefresh refresh(settings, &desktop);
  tapisto::PosixShell shell;
  const tapisto::WindowPorts ports{screen,   pump,    clock, files,       dialogs,
                                   settings, refresh, shell, application, timers};
  tapisto::Program program(ports);
  // A desktop that cannot be reached is said in the log and blocks nothing.
  refresh.SetReport(
      [&program](const std::string& line) { tapisto::AppendLogLine(program.Log(), line); });
  int result = 0;
  try {
    program.Start();
    // Qt lays out a new line edit's text in the application font before the font it inherits
    // from its window: with the window's font as the application font until the window is
    // drawn, the start looks up one font instead of two. The message boxes and the file dialog
    // then have the application's own font again.
    const QFont applicationFont = QApplication::font();
    QApplication::setFont(
        tapisto::WindowFont(tapisto::ScaleFactor(QGuiApplication::primaryScreen())));
    tapisto::MainWindowView mainWindow(*program.Form1(), dialogs);
    dialogs.SetOwner(&mainWindow);
    mainWindow.show();
    // The window icon and the log window, which starts hidden, once the main window shows:
    // the start waits for neither. Lines logged before are in the log's model.
    std::unique_ptr<tapisto::LogWindowView> logWindow;
    tapisto::RunOnceDrawn(mainWindow, [&] {
      QApplication::setFont(applicationFont);
      QApplication::setWindowIcon(tapisto::ApplicationIcon());
      logWindow = std::make_unique<tapisto::LogWindowView>(*program.Form2(), dialogs);
    });
    result = QApplication::exec();
    dialogs.SetOwner(nullptr);
  } catch (...) {
    // Only a failure outside every handler gets here (no memory for the windows, say).
    dialogs.ShowErrorReport(tapisto::CurrentErrorMessage());
    result = 1;
  }
  program.Finish();
  return result;
}
