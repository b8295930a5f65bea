// Decoding each picture format, and the quality-100 JPEG encode every composition ends with.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench_pictures.h"
#include "image/bmp.h"
#include "image/gif.h"
#include "image/jpeg_decode.h"
#include "image/jpeg_encode.h"
#include "image/png.h"
#include "image/raster.h"

namespace tapisto::bench {
namespace {

void EncodeJpegQ100(benchmark::State& st) {
  const Raster canvas = PhotoLike(static_cast<int>(st.range(0)), static_cast<int>(st.range(1)));
  for (auto _ : st) benchmark::DoNotOptimize(EncodeJpeg(canvas, 100));
  st.SetItemsProcessed(st.iterations() * st.range(0) * st.range(1));
}
BENCHMARK(EncodeJpegQ100)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

void DecodeJpegPhoto(benchmark::State& st) {
  const auto bytes =
      EncodeJpeg(PhotoLike(static_cast<int>(st.range(0)), static_cast<int>(st.range(1))), 90);
  for (auto _ : st) benchmark::DoNotOptimize(DecodeJpeg(bytes));
}
BENCHMARK(DecodeJpegPhoto)->Args({1920, 1080})->Args({2560, 1600})->Unit(benchmark::kMillisecond);

void DecodeBmp24(benchmark::State& st) {
  Raster picture = PhotoLike(static_cast<int>(st.range(0)), static_cast<int>(st.range(1)));
  picture.SetFormat(PixelFormat::Bit24);
  const auto bytes = EncodeBmp(picture);
  for (auto _ : st) benchmark::DoNotOptimize(DecodeBmp(bytes));
}
BENCHMARK(DecodeBmp24)->Args({1920, 1080})->Unit(benchmark::kMillisecond);

void DecodePngRgba(benchmark::State& st) {
  const auto bytes = PngBytes(static_cast<int>(st.range(0)), static_cast<int>(st.range(1)));
  for (auto _ : st) benchmark::DoNotOptimize(DecodePng(bytes));
}
BENCHMARK(DecodePngRgba)->Args({400, 300})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

void DecodeGif8(benchmark::State& st) {
  const auto bytes = GifBytes(static_cast<int>(st.range(0)), static_cast<int>(st.range(1)));
  for (auto _ : st) benchmark::DoNotOptimize(DecodeGif(bytes).ToRaster());
}
BENCHMARK(DecodeGif8)->Args({400, 300})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tapisto::bench

BENCHMARK_MAIN();
