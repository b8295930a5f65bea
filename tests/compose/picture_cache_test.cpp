#include "compose/picture_cache.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/error.h"
#include "compose/compositions.h"
#include "image/bmp.h"
#include "picture_kinds.h"
#include "support/picture_files.h"

namespace tapisto::test {
namespace {

namespace fs = std::filesystem;

TEST(PictureCache, KeepsAPictureWhileItsFileIsUnchanged) {
  TempDir dir;
  const std::string path = dir.File("a.png");
  WriteBytes(path, MakePng(PatternRgba(4, 3)));
  PictureCache cache;
  const auto first = cache.Png(path);
  const auto second = cache.Png(path);
  EXPECT_EQ(first.get(), second.get());
  EXPECT_EQ(cache.Hits(), 1);

  // Another size: read afresh.
  WriteBytes(path, MakePng(PatternRgba(5, 3)));
  EXPECT_EQ(cache.Png(path)->width, 5);

  // The same size with a new modification time: read afresh too.
  RgbaImage other = PatternRgba(5, 3);
  other.pixels[0] = {9, 9, 9, 255};
  WriteBytes(path, MakePng(other));
  fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(5));
  EXPECT_EQ(cache.Png(path)->pixels[0], (Rgba{9, 9, 9, 255}));

  // Another file of the same size and modification time moved into its place: read afresh.
  other.pixels[0] = {7, 7, 7, 255};
  const std::string replacement = dir.File("b.png");
  WriteBytes(replacement, MakePng(other));
  fs::last_write_time(replacement, fs::last_write_time(path));
  fs::rename(replacement, path);
  EXPECT_EQ(cache.Png(path)->pixels[0], (Rgba{7, 7, 7, 255}));
}

TEST(PictureCache, AFileThatFailsIsNeverKept) {
  TempDir dir;
  const std::string path = dir.File("a.bmp");
  WriteBytes(path, {'B', 'M', 1});
  PictureCache cache;
  EXPECT_THROW(cache.Bmp(path), ImageFormatError);
  EXPECT_THROW(cache.Bmp(path), ImageFormatError);
  EXPECT_EQ(cache.Hits(), 0);
}

TEST(PictureCache, KeepsTheChosenPictureAndTheBaseSeparately) {
  TempDir dir;
  Raster r = PatternRaster(3, 3);
  r.SetFormat(PixelFormat::Bit24);
  WriteBytes(dir.File("a.bmp"), EncodeBmp(r));
  WriteBytes(dir.File("b.bmp"), EncodeBmp(r));
  WriteBytes(dir.File("c.bmp"), EncodeBmp(r));
  PictureCache cache;
  cache.Bmp(dir.File("a.bmp"));
  cache.Bmp(dir.File("b.bmp"));
  cache.Bmp(dir.File("a.bmp"));
  cache.Bmp(dir.File("b.bmp"));
  EXPECT_EQ(cache.Hits(), 2);
  cache.Bmp(dir.File("c.bmp"));  // pushes out the least recently used, a.bmp
  cache.Bmp(dir.File("b.bmp"));
  EXPECT_EQ(cache.Hits(), 3);
  cache.Bmp(dir.File("a.bmp"));
  EXPECT_EQ(cache.Hits(), 3);
}

TEST(PictureCache, CompositionsWithTheCacheEqualThoseWithout) {
  for (Kind kind : kAllKinds) {
    SCOPED_TRACE(NameOf(kind));
    ComposeRig plain;
    ComposeRig cached;
    PictureCache cache;
    cached.ctx.pictureCache = &cache;
    const KindPicture a = MakeKindPicture(plain, kind, 12, 8);
    const KindPicture b = MakeKindPicture(cached, kind, 12, 8);
    for (int x : {0, 10, -3}) {
      plain.controls.x = cached.controls.x = x;
      SpiegelnWin10(plain.ctx, a.path);
      SpiegelnWin10(cached.ctx, b.path);
      EXPECT_EQ(FirstDifference(cached.LastCanvas(), plain.LastCanvas()), "");
    }
    EXPECT_EQ(cache.Hits(), kind == Kind::Bmp ? 5 : 2);  // a BMP is read twice per mirror
  }
}

}  // namespace
}  // namespace tapisto::test
