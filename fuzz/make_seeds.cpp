// Writes the seed corpora: small valid pictures of the variants each reader supports, made by
// the project's own writers. Usage: make_seeds DIR (creates DIR/bmp, DIR/gif, DIR/png, DIR/jpeg).
#include <cstdio>
#include <filesystem>
#include <string>

#include "image/bmp.h"
#include "image/jpeg_encode.h"
#include "support/picture_files.h"

namespace {
using namespace tapisto;
namespace fs = std::filesystem;

void Put(const fs::path& dir, const std::string& name, const std::vector<std::uint8_t>& bytes) {
  fs::create_directories(dir);
  test::WriteBytes((dir / name).string(), bytes);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds DIR\n");
    return 2;
  }
  const fs::path root(argv[1]);
  const Raster small = test::PatternRaster(7, 5);
  for (PixelFormat f : {PixelFormat::Bit1, PixelFormat::Bit4, PixelFormat::Bit8, PixelFormat::Bit16,
                        PixelFormat::Bit24, PixelFormat::Bit32}) {
    Raster r = small;
    r.SetFormat(f);
    Put(root / "bmp", "format" + std::to_string(static_cast<int>(f)) + ".bmp", EncodeBmp(r));
  }
  Put(root / "jpeg", "colour.jpg", EncodeJpeg(test::PatternRaster(17, 9), 90));
  Put(root / "jpeg", "q100.jpg", EncodeJpeg(small, 100));
  Put(root / "png", "rgba.png", test::MakePng(test::PatternRgba(6, 4, 128)));
  Put(root / "png", "opaque.png", test::MakePng(test::PatternRgba(3, 3)));
  Raster stripes(9, 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 9; ++x) stripes.SetPixel(x, y, ComposeRgb((x % 3) * 100, y * 40, 7));
  Put(root / "gif", "stripes.gif", test::MakeGif(stripes));
  Put(root / "gif", "transparent.gif", test::MakeGif(stripes, true, ComposeRgb(0, 0, 7)));
  std::printf("seeds written to %s\n", root.string().c_str());
  return 0;
}
