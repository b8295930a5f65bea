// Compose-and-save of every composing style, source decode included: the latency of one
// offset step in the program.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_pictures.h"
#include "compose/compositions.h"
#include "compose/picture_cache.h"
#include "image/jpeg.h"
#include "support/compose_rig.h"
#include "support/picture_files.h"

namespace tapisto::bench {
namespace {

enum Style { kNormal, kAdd, kMirror, kDuplicate, kDuplicateMirror, kDoubleMirror };
enum Source { kPng400x300, kJpeg2560x1600 };

void Compose(benchmark::State& st) {
  const auto style = static_cast<Style>(st.range(0));
  const auto source = static_cast<Source>(st.range(1));
  test::ComposeRig rig;
  rig.ctx.canvasObserver = nullptr;
  rig.screen.width = static_cast<int>(st.range(2));
  rig.screen.height = static_cast<int>(st.range(3));
  const std::string picture = source == kPng400x300
                                  ? rig.Picture("logo.png", PngBytes(400, 300))
                                  : rig.Picture("foto.jpg", EncodeJpeg(PhotoLike(2560, 1600), 90));
  const std::string base =
      rig.Picture("start.jpg", EncodeJpeg(PhotoLike(rig.screen.width, rig.screen.height), 90));
  rig.controls.x = 100;
  rig.controls.y = 50;
  for (auto _ : st) {
    switch (style) {
      case kNormal:
        SinglePictureWin10(rig.ctx, picture);
        break;
      case kAdd:
        AddPictureWin10(rig.ctx, picture, base);
        break;
      case kMirror:
        SpiegelnWin10(rig.ctx, picture);
        break;
      case kDuplicate:
        TwoLogosWin10(rig.ctx, false, picture);
        break;
      case kDuplicateMirror:
        TwoLogosWin10(rig.ctx, true, picture);
        break;
      case kDoubleMirror:
        HorizontalDrehenUndSpiegelnWin10(rig.ctx, true, picture);
        break;
    }
  }
  if (!rig.dialogs.messages.empty()) st.SkipWithError(rig.dialogs.messages.front().c_str());
}

// One offset step in the program: the picture is decoded once and kept while its file is
// unchanged, so every step composes and saves only.
void OffsetStep(benchmark::State& st) {
  const auto style = static_cast<Style>(st.range(0));
  const auto source = static_cast<Source>(st.range(1));
  test::ComposeRig rig;
  PictureCache cache;
  rig.ctx.canvasObserver = nullptr;
  rig.ctx.pictureCache = &cache;
  rig.screen.width = static_cast<int>(st.range(2));
  rig.screen.height = rig.screen.width * 9 / 16;
  const std::string picture = source == kPng400x300
                                  ? rig.Picture("logo.png", PngBytes(400, 300))
                                  : rig.Picture("foto.jpg", EncodeJpeg(PhotoLike(2560, 1600), 90));
  int x = 0;
  for (auto _ : st) {
    rig.controls.x = (x += 10) % 500;
    if (style == kMirror) {
      SpiegelnWin10(rig.ctx, picture);
    } else {
      SinglePictureWin10(rig.ctx, picture);
    }
  }
}
BENCHMARK(OffsetStep)
    ->ArgsProduct({{kNormal, kMirror}, {kPng400x300, kJpeg2560x1600}, {1920, 3840}})
    ->Unit(benchmark::kMillisecond);

void Args(benchmark::internal::Benchmark* b) {
  for (int style = kNormal; style <= kDoubleMirror; ++style) {
    for (int source : {kPng400x300, kJpeg2560x1600}) {
      // The duplicate styles refuse a picture wider than half the screen.
      if (style >= kDuplicate && source == kJpeg2560x1600) continue;
      for (auto [w, h] : {std::pair{1920, 1080}, std::pair{3840, 2160}}) {
        b->Args({style, source, w, h});
      }
    }
  }
  b->ArgNames({"style", "source", "W", "H"});
}
BENCHMARK(Compose)->Apply(Args)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tapisto::bench

BENCHMARK_MAIN();
