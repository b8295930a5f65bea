// Compose-and-save of every composing style, source decode included: the latency of one
// offset step in the program.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include "bench_pictures.h"
#include "compose/compositions.h"
#include "compose/picture_cache.h"
#include "image/jpeg_encode.h"
#include "image/png.h"
#include "support/compose_rig.h"
#include "support/picture_files.h"

namespace tapisto::bench {
namespace {

// ---- the floor: the least work one compose-and-save can do ----
//
// Plain code straight on libjpeg-turbo, sharing nothing with the program: fill a screen-sized
// buffer, place the picture at (100, 50), encode at quality 100 with the library's defaults
// (4:2:0, standard Huffman tables) to memory. Every ratio against it is measured in the same
// run.

using Pixels = std::vector<std::uint32_t>;  // R | G << 8 | B << 16, rows without padding

std::vector<std::uint8_t> FloorEncode(const Pixels& canvas, int w, int h) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(w);
  cinfo.image_height = static_cast<JDIMENSION>(h);
  cinfo.input_components = 4;
  cinfo.in_color_space = JCS_EXT_RGBX;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 100, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(reinterpret_cast<const JSAMPLE*>(
        canvas.data() +
        static_cast<std::size_t>(cinfo.next_scanline) * static_cast<std::size_t>(w)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<std::uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

void FloorDecode(const std::vector<std::uint8_t>& jpeg, Pixels& pixels, int& w, int& h) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_EXT_RGBX;
  jpeg_start_decompress(&cinfo);
  w = static_cast<int>(cinfo.output_width);
  h = static_cast<int>(cinfo.output_height);
  pixels.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row =
        reinterpret_cast<JSAMPROW>(pixels.data() + static_cast<std::size_t>(cinfo.output_scanline) *
                                                       static_cast<std::size_t>(w));
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
}

constexpr std::uint32_t kFloorBackground = 10 | 20 << 8 | 30 << 16;
constexpr int kFloorX = 100;
constexpr int kFloorY = 50;

// Fill, place a pre-decoded 400 x 300 RGBA picture (blended by its alpha), encode.
void Floor(benchmark::State& st) {
  const int w = static_cast<int>(st.range(0));
  const int h = w * 9 / 16;
  const RgbaImage picture = DecodePng(PngBytes(400, 300));
  Pixels canvas(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  for (auto _ : st) {
    std::fill(canvas.begin(), canvas.end(), kFloorBackground);
    for (int y = 0; y < picture.height; ++y) {
      std::uint32_t* row = canvas.data() +
                           static_cast<std::size_t>(y + kFloorY) * static_cast<std::size_t>(w) +
                           kFloorX;
      for (int x = 0; x < picture.width; ++x) {
        const Rgba p = picture.At(x, y);
        const std::uint32_t d = row[x];
        const auto mix = [a = p.a](std::uint32_t s, std::uint32_t b) {
          return (s * a + b * (255u - a) + 127u) / 255u;
        };
        row[x] = mix(p.r, d & 0xFFu) | mix(p.g, (d >> 8) & 0xFFu) << 8 |
                 mix(p.b, (d >> 16) & 0xFFu) << 16;
      }
    }
    benchmark::DoNotOptimize(FloorEncode(canvas, w, h));
  }
}
BENCHMARK(Floor)->Arg(1920)->Arg(3840)->Unit(benchmark::kMillisecond);

// Fill, decode a 2560 x 1600 JPEG, copy the part of it that lies on the screen, encode.
void FloorWithDecode(benchmark::State& st) {
  const int w = static_cast<int>(st.range(0));
  const int h = w * 9 / 16;
  const std::vector<std::uint8_t> jpeg = EncodeJpeg(PhotoLike(2560, 1600), 90);
  Pixels canvas(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  Pixels picture;
  for (auto _ : st) {
    std::fill(canvas.begin(), canvas.end(), kFloorBackground);
    int pw = 0;
    int ph = 0;
    FloorDecode(jpeg, picture, pw, ph);
    const int cw = std::min(pw, w - kFloorX);
    for (int y = 0; y < std::min(ph, h - kFloorY); ++y) {
      const std::uint32_t* from =
          picture.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(pw);
      std::copy(from, from + cw,
                canvas.data() +
                    static_cast<std::size_t>(y + kFloorY) * static_cast<std::size_t>(w) + kFloorX);
    }
    benchmark::DoNotOptimize(FloorEncode(canvas, w, h));
  }
}
BENCHMARK(FloorWithDecode)->Arg(1920)->Arg(3840)->Unit(benchmark::kMillisecond);

// ---- the program's compositions ----

enum Style { kNormal, kAdd, kMirror, kDuplicate, kDuplicateMirror, kDoubleMirror };
enum Source { kPng400x300, kJpeg2560x1600 };

// Every composition and size; `freshBackground`: a background colour of its own at every run,
// so the encoder never has the bytes of a plain strip at hand from an earlier run.
void ComposeWith(benchmark::State& st, bool freshBackground) {
  const auto style = static_cast<Style>(st.range(0));
  const auto source = static_cast<Source>(st.range(1));
  test::ComposeRig rig;
  StripCache keptStrips;  // as the program keeps them from one save to the next
  rig.ctx.canvasObserver = nullptr;
  rig.ctx.keptStrips = &keptStrips;
  rig.screen.width = static_cast<int>(st.range(2));
  rig.screen.height = static_cast<int>(st.range(3));
  const std::string picture = source == kPng400x300
                                  ? rig.Picture("logo.png", PngBytes(400, 300))
                                  : rig.Picture("foto.jpg", EncodeJpeg(PhotoLike(2560, 1600), 90));
  const std::string base =
      rig.Picture("start.jpg", EncodeJpeg(PhotoLike(rig.screen.width, rig.screen.height), 90));
  rig.controls.x = 100;
  rig.controls.y = 50;
  int run = 0;
  for (auto _ : st) {
    if (freshBackground) rig.state.BackgroundBlue = std::to_string(++run % 256);
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

void Compose(benchmark::State& st) {
  ComposeWith(st, false);
}

void ComposeNothingKept(benchmark::State& st) {
  ComposeWith(st, true);
}

// One offset step in the program: the picture (and the start wallpaper of "addieren") is
// decoded once and kept while its file is unchanged, so every step composes and saves only.
void OffsetStep(benchmark::State& st) {
  const auto style = static_cast<Style>(st.range(0));
  const auto source = static_cast<Source>(st.range(1));
  test::ComposeRig rig;
  PictureCache cache;
  StripCache keptStrips;
  rig.ctx.canvasObserver = nullptr;
  rig.ctx.pictureCache = &cache;
  rig.ctx.keptStrips = &keptStrips;
  rig.screen.width = static_cast<int>(st.range(2));
  rig.screen.height = rig.screen.width * 9 / 16;
  const std::string picture = source == kPng400x300
                                  ? rig.Picture("logo.png", PngBytes(400, 300))
                                  : rig.Picture("foto.jpg", EncodeJpeg(PhotoLike(2560, 1600), 90));
  const std::string base =
      rig.Picture("start.jpg", EncodeJpeg(PhotoLike(rig.screen.width, rig.screen.height), 90));
  int x = 0;
  for (auto _ : st) {
    rig.controls.x = (x += 10) % 500;
    if (style == kMirror) {
      SpiegelnWin10(rig.ctx, picture);
    } else if (style == kAdd) {
      AddPictureWin10(rig.ctx, picture, base);
    } else {
      SinglePictureWin10(rig.ctx, picture);
    }
  }
}
BENCHMARK(OffsetStep)
    ->ArgsProduct({{kNormal, kAdd, kMirror}, {kPng400x300, kJpeg2560x1600}, {1920, 3840}})
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
BENCHMARK(ComposeNothingKept)->Apply(Args)->Unit(benchmark::kMillisecond);

// The work of one `tapisto-tool compose` run in process: the picture file named by the
// environment variable TAPISTO_BENCH_PICTURE composed at 100, 50 (the duplicate styles at
// 0, 50, as bench/process.sh runs the tool) and saved, nothing kept from one run to the next,
// as a fresh process keeps nothing. Registered only when the variable is set.
void ComposeFile(benchmark::State& st, const std::string& file) {
  const auto style = static_cast<Style>(st.range(0));
  test::ComposeRig rig;
  rig.ctx.canvasObserver = nullptr;
  rig.screen.width = static_cast<int>(st.range(1));
  rig.screen.height = rig.screen.width * 9 / 16;
  std::ifstream in(file, std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  const std::string picture = rig.Picture("bild" + file.substr(file.rfind('.')), bytes);
  rig.controls.x = style >= kDuplicate ? 0 : 100;
  rig.controls.y = 50;
  for (auto _ : st) {
    switch (style) {
      case kMirror:
        SpiegelnWin10(rig.ctx, picture);
        break;
      case kDuplicate:
      case kDuplicateMirror:
        TwoLogosWin10(rig.ctx, style == kDuplicateMirror, picture);
        break;
      case kDoubleMirror:
        HorizontalDrehenUndSpiegelnWin10(rig.ctx, true, picture);
        break;
      default:
        SinglePictureWin10(rig.ctx, picture);
        break;
    }
  }
  if (!rig.dialogs.messages.empty()) st.SkipWithError(rig.dialogs.messages.front().c_str());
}

void RegisterComposeFile() {
  const char* file = std::getenv("TAPISTO_BENCH_PICTURE");
  if (file == nullptr || *file == '\0') return;
  benchmark::RegisterBenchmark("ComposeFile", ComposeFile, std::string(file))
      ->ArgsProduct({{kNormal, kMirror, kDuplicate, kDuplicateMirror, kDoubleMirror}, {1920, 3840}})
      ->ArgNames({"style", "W"})
      ->Unit(benchmark::kMillisecond);
}

}  // namespace
}  // namespace tapisto::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  tapisto::bench::RegisterComposeFile();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
