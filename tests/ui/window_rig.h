// The main and log windows' whole world for tests: the system's real settings store (see
// SettingsRig) and files backend, a scratch folder with HOME and XDG_CONFIG_HOME pointing into
// it, fakes for the screen, pump, clock, dialogs, shell, refresh and application, and the
// program entry. Paths it gives are in the system's own form.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/path.h"
#include "desktop/native_files.h"
#include "ports/application.h"
#include "ports/shell.h"
#include "ports/timers.h"
#include "ports/wallpaper_refresh.h"
#include "support/desktop_fakes.h"
#include "support/fakes.h"
#include "support/hooked_files.h"
#include "support/settings_rig.h"
#include "support/temp_dir.h"
#include "ui/program.h"

namespace tapisto::test {

// Timers on the fake clock: Elapse moves the clock on and runs every tick that falls due on
// the way, in time order, as the message loop would.
class FakeTimers final : public Timers {
 public:
  explicit FakeTimers(FakeClock& clock) : clock_(clock) {}

  std::unique_ptr<Timer> CreateTimer(std::function<void()> tick) override {
    auto timer = std::make_unique<FakeTimer>(clock_);
    timer->state->tick = std::move(tick);
    timers_.push_back(timer->state);
    return timer;
  }

  void Elapse(std::uint32_t ms) {
    const std::uint64_t end = static_cast<std::uint64_t>(clock_.now) + ms;
    for (;;) {
      std::shared_ptr<State> next;
      for (const std::weak_ptr<State>& weak : timers_) {
        const auto state = weak.lock();
        if (state && state->running && state->due <= end && (!next || state->due < next->due)) {
          next = state;
        }
      }
      if (!next) break;
      // A tick's handler may have let time pass already.
      clock_.now = std::max(clock_.now, static_cast<std::uint32_t>(next->due));
      next->due += next->interval;
      next->tick();
    }
    clock_.now = std::max(clock_.now, static_cast<std::uint32_t>(end));
  }

 private:
  struct State {
    std::function<void()> tick;
    bool running = false;
    std::uint64_t due = 0;
    std::uint32_t interval = 0;
  };
  struct FakeTimer final : Timer {
    explicit FakeTimer(FakeClock& c) : clock(c) {}
    void Start(std::uint32_t intervalMs) override {
      state->running = true;
      state->interval = intervalMs;
      state->due = static_cast<std::uint64_t>(clock.now) + intervalMs;
    }
    void Stop() override { state->running = false; }
    FakeClock& clock;
    std::shared_ptr<State> state = std::make_shared<State>();
  };

  FakeClock& clock_;
  std::vector<std::weak_ptr<State>> timers_;
};

class FakeApplication final : public Application {
 public:
  void SetTitle(const std::string& text) override { title = text; }
  std::string Title() const override { return title; }
  void Terminate() override { ++terminateCalls; }
  void SetMessageHook(MessageHook installed) override { hook = std::move(installed); }
  void SetHintHidePause(int milliseconds) override { hintHidePause = milliseconds; }
  // A queued message as the loop hands it to the hook before dispatching it.
  void Queue(QueuedMessage message) const {
    if (hook) hook(message);
  }

  std::string title;
  int terminateCalls = 0;
  MessageHook hook;
  int hintHidePause = 0;
};

// The shell's folders inside the scratch folder; every launch is recorded, none is made.
class RecordingShell final : public Shell {
 public:
  struct Launch {
    std::string document, parameters, folder;
    ShowCommand show;
  };
  std::string SpecialFolder(ShellFolder folder) override {
    return folder == ShellFolder::Documents ? personal : appData;
  }
  std::string TempPath() override { return temp; }
  void Open(const std::string& document, const std::string& parameters, const std::string& folder,
            ShowCommand show) override {
    launches.push_back({document, parameters, folder, show});
    if (openFails) throw Error("no program for " + document);
  }

  std::string personal, appData, temp;
  bool openFails = false;
  std::vector<Launch> launches;
};

class CountingRefresh final : public WallpaperRefresh {
 public:
  void Refresh() override {
    ++count;
    if (onRefresh) onRefresh();
  }
  int count = 0;
  std::function<void()> onRefresh;
};

// The whole content of a file; "" when it cannot be read.
std::string ReadText(const std::string& path);

struct WindowRig {
  explicit WindowRig(int screenWidth = 200, int screenHeight = 150);

  TempDir dir;
  ScopedEnv home;
  ScopedEnv configHome;
  FakeScreen screen;
  FakeClock clock;
  ScriptedPump pump{clock};
  FakeTimers timers{clock};
  HookedFiles files;  // the system's, with a hook for faults
  RecordingDialogs dialogs;
  SettingsRig settings{dir.File("config/tapisto/HKCU.reg")};
  CountingRefresh refresh;
  RecordingShell shell;
  FakeApplication app;
  WindowPorts ports{screen,           pump,    clock, files, dialogs,
                    settings.Store(), refresh, shell, app,   timers};
  Program program{ports};

  // `relative` ("a/b") inside the scratch folder, with the system's separators.
  std::string Path(const std::string& relative) const;
  std::string Documents() const { return Path("home/Documents"); }
  std::string AppData() const { return Path("config"); }
  std::string Temp() const { return Path("tmp"); }
  std::string Themes() const { return Path("config/Microsoft/Windows/Themes"); }
  std::string WallpaperFolder() const { return JoinPath(Documents(), "Meine Wallpapers"); }
  std::string Output(const std::string& name) const { return JoinPath(WallpaperFolder(), name); }
  // A folder as the program keeps it: with its separator at the end.
  static std::string WithSeparator(const std::string& folder) {
    return folder + SeparatorOf(kNativePathFlavour);
  }

  // Writes the settings: "Control Panel\Colors" with "Background" and "Control
  // Panel\Desktop" with the given value lines (RegString lines, or dword:/hex: lines).
  void WriteHive(const std::vector<std::string>& desktopLines,
                 const std::string& background = "10 20 30") {
    settings.Write(desktopLines, background);
  }
  // Everything the settings hold now; equal texts mean nothing was written in between.
  std::string HiveText() { return settings.Snapshot(); }
  // From now on the settings can no longer be read or written.
  void BreakSettings() { settings.Break(); }
  // A string value of "Control Panel\Desktop" as the store reads it now; "<missing>" when the
  // value does not exist.
  std::string Desktop(const std::string& name);

  // Picture files in the scratch folder; each returns its path.
  std::string Bmp(const std::string& name, int w, int h) const;
  std::string Png(const std::string& name, int w, int h) const;
  std::string Jpeg(const std::string& name, int w, int h) const;
  std::string Gif(const std::string& name, int w, int h) const;
  std::string Bytes(const std::string& name, const std::string& content) const;

  // The program entry's steps before the message loop.
  void Start() { program.Start(); }
  TForm1& form() { return *program.Form1(); }
  const std::vector<std::string>& Log() { return program.Log().Lines(); }

  // Runs `event` during the n-th message pump from now (1: the next one).
  void AtPump(int n, std::function<void()> event);
};

}  // namespace tapisto::test
