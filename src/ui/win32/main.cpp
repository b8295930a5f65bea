// Tapisto on Windows: the program entry over the Win32 view. The windows' models run as on every
// system; the view gives them the application object, the boxes and the message pump, and the
// Win32 backends give them the settings (the registry), the files, the shell, the screen, the
// clock and the wallpaper refresh.
#include "desktop/win32/win32_files.h"
#include "desktop/win32/win32_settings_store.h"
#include "desktop/win32/win32_shell.h"
#include "desktop/win32/win32_system.h"
#include "desktop/win32/windows_api.h"
#include "ui/program.h"
#include "ui/win32/log_window.h"
#include "ui/win32/main_window.h"
#include "ui/win32/win32_application.h"
#include "ui/win32/win32_dialogs.h"
#include "ui/window_support.h"
// After <windows.h>, which it needs.
#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);

  tapisto::Win32Application application;
  tapisto::Win32MessagePump pump(application);
  tapisto::Win32Screen screen;
  tapisto::Win32Clock clock;
  tapisto::Win32Files files;
  tapisto::Win32Dialogs dialogs(application);
  tapisto::Win32Timers timers(dialogs);
  tapisto::Win32SettingsStore settings;
  tapisto::Win32Refresh refresh;
  tapisto::Win32Shell shell;
  const tapisto::WindowPorts ports{screen,   pump,    clock, files,       dialogs,
                                   settings, refresh, shell, application, timers};
  tapisto::Program program(ports);
  int result = 0;
  try {
    program.Start();
    tapisto::MainWindowView mainWindow(*program.Form1(), application, dialogs);
    tapisto::LogWindowView logWindow(*program.Form2(), mainWindow.Handle(), application, dialogs);
    dialogs.SetOwner(mainWindow.Handle());
    mainWindow.Show(showCommand);
    result = application.Run();
    dialogs.SetOwner(nullptr);
  } catch (...) {
    // Only a failure outside every handler gets here (no memory for the windows, say).
    dialogs.ShowErrorReport(tapisto::CurrentErrorMessage());
    result = 1;
  }
  program.Finish();
  return result;
}
