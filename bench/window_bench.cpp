// One offset step end to end in the window model: the user steps the X field (SpinEdit1), its
// change handler composes the picture, saves the JPEG, writes the desktop settings (the real
// settings store of the system, on a hive file in a scratch folder) and refreshes the desktop
// (counted, never handed on). The screen is a fixed-size fake and the message pump runs
// nothing.
//
// Memory is reported beside the time, against the size of one canvas (W x H x 4 bytes):
//   pixels_peak_held  the highest pixel memory held from the system (in use plus kept for
//                     reuse) during the steps, including the decoded source
//   pixels_peak_used  the highest pixel memory in use at once
//   rss_peak_growth   the process's peak resident size during the steps over its resident size
//                     before the first step (Linux only; it includes libjpeg's buffers and the
//                     bytes of the saved file, which are not pixel memory)
// all in canvases; `source` is the decoded picture in canvases, for comparison.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "bench_pictures.h"
#include "image/jpeg_encode.h"
#include "image/pixel_memory.h"
#include "support/picture_files.h"
#include "window_rig.h"

namespace tapisto::bench {
namespace {

enum Source { kPng400x300, kJpeg2560x1600 };
enum Style { kNormal = 0, kMirror = 8 };  // entries of the style list

// A figure of /proc/self/status in kB ("VmRSS", "VmHWM"); 0 where there is none.
double StatusKb(const std::string& name) {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == name + ":") {
      double kb = 0;
      status >> kb;
      return kb;
    }
    status.ignore(1 << 10, '\n');
  }
  return 0;
}

// Starts the peak resident size afresh from the present one; false where the system cannot.
bool ResetPeakResidentSize() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

void OffsetStepInWindow(benchmark::State& st) {
  const auto style = static_cast<Style>(st.range(0));
  const auto source = static_cast<Source>(st.range(1));
  const int w = static_cast<int>(st.range(2));
  const int h = w * 9 / 16;
  test::WindowRig rig(w, h);
  std::string picture;
  int pw = 400;
  int ph = 300;
  if (source == kPng400x300) {
    picture = rig.dir.File("logo.png");
    test::WriteBytes(picture, PngBytes(pw, ph));
  } else {
    pw = 2560;
    ph = 1600;
    picture = rig.dir.File("foto.jpg");
    WriteJpegFile(PhotoLike(pw, ph), 90, picture);
  }
  rig.WriteHive({test::RegString("Wallpaper", picture)});
  rig.Start();
  TForm1& form = rig.form();

  const double canvas = double(w) * h * 4;
  // No blocks kept from making the picture or from an earlier run: the figures count only
  // what the steps hold.
  pixel_memory::ReleaseKept();
  const double rssBefore = StatusKb("VmRSS");
  const bool rssPeak = ResetPeakResidentSize();
  pixel_memory::ResetPeaks();
  // The first apply decodes the picture; "spiegeln" is selected first, which applies too.
  if (style == kMirror) form.ComboBox1.UserSelect(kMirror);
  form.SpinEdit1.UserStepUp();
  const int refreshesBefore = rig.refresh.count;
  bool up = false;  // the field is at 10 now
  for (auto _ : st) {
    // Down and up again: the field stays between 0 and 10, inside its range.
    if (up) {
      form.SpinEdit1.UserStepUp();
    } else {
      form.SpinEdit1.UserStepDown();
    }
    up = !up;
  }
  const pixel_memory::Usage usage = pixel_memory::CurrentUsage();
  if (rig.refresh.count - refreshesBefore != static_cast<int>(st.iterations()) ||
      !rig.dialogs.messages.empty()) {
    st.SkipWithError("a step did not apply the wallpaper once");
    return;
  }
  st.counters["pixels_peak_held"] = double(usage.peakHeld) / canvas;
  st.counters["pixels_peak_used"] = double(usage.peakInUse) / canvas;
  if (rssPeak) st.counters["rss_peak_growth"] = (StatusKb("VmHWM") - rssBefore) * 1024 / canvas;
  st.counters["source"] = double(pw) * ph * 4 / canvas;
}
BENCHMARK(OffsetStepInWindow)
    ->ArgsProduct({{kNormal, kMirror}, {kPng400x300, kJpeg2560x1600}, {1920, 3840}})
    ->ArgNames({"style", "source", "W"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tapisto::bench

BENCHMARK_MAIN();
