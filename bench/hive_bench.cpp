// Applying a picture on a settings hive of many values, as tapisto-tool apply and the window do
// it: a new store (a new process parses the file once), the start-up reads, then the writes of
// the apply. The goals: 40,000 values in under 50 ms, a 13 MB hive in under 1 s, and a cost
// that grows linearly with the file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "desktop/apply.h"
#include "desktop/desktop_context.h"
#include "desktop/posix/hive/posix_settings_store.h"
#include "desktop/posix/os/posix_files.h"
#include "desktop/posix/os/posix_shell.h"
#include "desktop/start_wallpaper.h"
#include "support/desktop_fakes.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace tapisto::bench {
namespace {

// The running desktop is not asked: the hive alone is measured.
class NoRefresh final : public WallpaperRefresh {
 public:
  void Refresh() override {}
};

// A hive whose desktop key holds `values` string values besides the ones apply writes, each
// line `lineBytes` long; returns the file's size.
std::size_t WriteLargeHive(const std::string& path, std::int64_t values, std::size_t lineBytes) {
  std::string text =
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"Wallpaper\"=\"\"\n"
      "\"TileWallpaper\"=\"0\"\n\"WallpaperStyle\"=\"0\"\n";
  for (std::int64_t i = 0; i < values; ++i) {
    std::string line = "\"Wert " + std::to_string(i) + "\"=\"";
    line.resize(std::max(line.size() + 1, lineBytes - 2), 'x');
    text += line + "\"\n";
  }
  text += "\n[HKEY_CURRENT_USER\\Control Panel\\Colors]\n\"Background\"=\"0 0 0\"\n";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  return text.size();
}

void ApplyOn(benchmark::State& st, std::int64_t values, std::size_t lineBytes) {
  test::TempDir dir;
  const std::string hive = dir.File("HKCU.reg");
  const std::size_t bytes = WriteLargeHive(hive, values, lineBytes);
  const std::string picture = dir.File("Mond.jpg");
  std::fclose(std::fopen(picture.c_str(), "wb"));
  int step = 0;
  for (auto _ : st) {
    WallpaperState state;
    test::FakeScreen screen{1920, 1080};
    test::FakeClock clock;
    test::ScriptedPump pump{clock};
    PosixFiles files;
    test::RecordingDialogs dialogs;
    test::RecordingDesktopControls controls;
    CompositionContext compose{state, screen, pump, clock, files, dialogs, controls};
    PosixSettingsStore store(hive);
    NoRefresh refresh;
    PosixShell shell;
    LogLines log;
    DesktopContext d{compose, store, refresh, shell, log, controls};
    GetWallpaperSystem(d, state.CurrentWallpaper, state.TileWallpaper, state.WallpaperStyle,
                       state.OriginX, state.OriginY);
    // Another style each time, so every write changes the file.
    controls.styleText = ++step % 2 == 0 ? "zentriert" : "nebeneinander";
    controls.fileField = picture;
    SetWallpaperSystem(d, picture);
    if (!dialogs.messages.empty()) st.SkipWithError(dialogs.messages.front().c_str());
  }
  st.counters["file MB"] = static_cast<double>(bytes) / 1e6;
  st.SetBytesProcessed(st.iterations() * static_cast<std::int64_t>(bytes));
}

// The curve: 1k, 10k, 40k (the goal) and 100k values of about 30 bytes a line.
void ApplyValues(benchmark::State& st) {
  ApplyOn(st, st.range(0), 30);
}
BENCHMARK(ApplyValues)
    ->ArgName("values")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(40000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

// A 13 MB hive: 130,000 values of 100 bytes a line.
void Apply13MB(benchmark::State& st) {
  ApplyOn(st, 130000, 100);
}
BENCHMARK(Apply13MB)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tapisto::bench

BENCHMARK_MAIN();
