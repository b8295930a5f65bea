#include "image/raster.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/error.h"
#include "image/rgba_image.h"

namespace tapisto {
namespace {

constexpr Colour kRed = ComposeRgb(255, 0, 0);
constexpr Colour kBlue = ComposeRgb(0, 0, 255);

// A w x h raster whose pixel (x, y) holds the colour value x + 16 * y + 1.
Raster Numbered(int w, int h) {
  Raster r(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) r.SetPixel(x, y, static_cast<Colour>(x + 16 * y + 1));
  return r;
}

TEST(ComposeRgb, PacksRedLowGreenMiddleBlueHighUsingLowBitsOnly) {
  EXPECT_EQ(ComposeRgb(0, 128, 255), 16744448u);  // FF8000
  EXPECT_EQ(ComposeRgb(256, 0, 0), 0u);
  EXPECT_EQ(ComposeRgb(-1, 0, 0), 255u);
  EXPECT_EQ(RedOf(ComposeRgb(1, 2, 3)), 1);
  EXPECT_EQ(GreenOf(ComposeRgb(1, 2, 3)), 2);
  EXPECT_EQ(BlueOf(ComposeRgb(1, 2, 3)), 3);
}

TEST(Raster, NewIsEmptyWhiteFilledDeviceFormat) {
  Raster r;
  EXPECT_EQ(r.Width(), 0);
  EXPECT_EQ(r.Height(), 0);
  EXPECT_EQ(r.FillColour(), kWhite);
  EXPECT_EQ(r.Format(), PixelFormat::Device);
  r.SetHeight(2);
  r.SetWidth(3);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(r.Pixel(x, y), kWhite);
}

TEST(Raster, ResizeKeepsPixelsTopLeftAndFillsNewAreaWithTheFillColour) {
  Raster r = Numbered(3, 2);
  r.SetFillColour(kRed);
  r.SetWidth(5);
  r.SetHeight(3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      const Colour expected = (x < 3 && y < 2) ? static_cast<Colour>(x + 16 * y + 1) : kRed;
      EXPECT_EQ(r.Pixel(x, y), expected) << x << "," << y;
    }
  }
  // Shrinking cuts off; growing again fills with the fill colour, not the old pixels.
  r.SetWidth(1);
  r.SetHeight(1);
  r.SetFillColour(kBlue);
  r.SetSize(2, 2);
  EXPECT_EQ(r.Pixel(0, 0), 1u);
  EXPECT_EQ(r.Pixel(1, 0), kBlue);
  EXPECT_EQ(r.Pixel(0, 1), kBlue);
}

TEST(Raster, SameSizeChangesNothingAndNegativeSizeIsEmpty) {
  Raster r = Numbered(2, 2);
  r.SetFillColour(kRed);
  r.SetWidth(2);
  EXPECT_EQ(r, Numbered(2, 2));
  r.SetWidth(-5);
  EXPECT_EQ(r.Width(), 0);
  EXPECT_TRUE(r.Empty());
}

TEST(Raster, RefusesSizesOverTheLimits) {
  Raster r;
  EXPECT_THROW(r.SetWidth(32769), RasterError);
  EXPECT_THROW(r.SetSize(32768, 32768), RasterError);  // 2^30 pixels > 2^28
  EXPECT_NO_THROW(r.SetSize(16384, 1));
}

TEST(Raster, FillRectIncludesLeftTopExcludesRightBottomAndClips) {
  Raster r(4, 3, kWhite);
  r.SetFillColour(kRed);
  r.FillRect({1, 1, 3, 2});
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(r.Pixel(x, y), (y == 1 && (x == 1 || x == 2)) ? kRed : kWhite);
  r.FillRect({-10, -10, 1, 100});  // clipped to column 0
  for (int y = 0; y < 3; ++y) EXPECT_EQ(r.Pixel(0, y), kRed);
  EXPECT_EQ(r.Pixel(3, 0), kWhite);
}

TEST(Raster, FillRectWithInvertedEdgesPaintsNothing) {
  Raster r(4, 4, kWhite);
  r.SetFillColour(kRed);
  r.FillRect({3, 0, 1, 4});  // right left of left
  r.FillRect({0, 3, 4, 1});  // bottom above top
  r.FillRect({2, 0, 2, 4});  // empty
  EXPECT_EQ(r, Raster(4, 4, kWhite));
}

TEST(BitBlt, CopiesABlockAndDropsWhatFallsOutsideEitherRaster) {
  const Raster src = Numbered(3, 3);
  struct Case {
    int dx, dy, w, h, sx, sy;
  };
  for (const Case c : {Case{0, 0, 3, 3, 0, 0}, Case{2, 1, 3, 3, 0, 0}, Case{-1, -2, 3, 3, 0, 0},
                       Case{0, 0, 5, 5, -1, -1}, Case{1, 1, 2, 2, 2, 2}, Case{100, 0, 3, 3, 0, 0},
                       Case{0, 0, 0, 0, 0, 0}}) {
    Raster dst(4, 4, kWhite);
    BitBlt(dst, c.dx, c.dy, c.w, c.h, src, c.sx, c.sy);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 4; ++x) {
        const int i = x - c.dx, j = y - c.dy;
        const int u = c.sx + i, v = c.sy + j;
        const bool copied =
            i >= 0 && i < c.w && j >= 0 && j < c.h && u >= 0 && u < 3 && v >= 0 && v < 3;
        EXPECT_EQ(dst.Pixel(x, y), copied ? src.Pixel(u, v) : kWhite)
            << "case dx=" << c.dx << " dy=" << c.dy << " at " << x << "," << y;
      }
    }
  }
}

TEST(BitBltMirrored, CopiesWhatBitBltCopiesFromTheMirrorImage) {
  const Raster src = Numbered(7, 5);
  Raster mirror(7, 5);
  CopyRect(mirror, {6, 0, -1, 5}, src, {0, 0, 7, 5});
  struct Case {
    int dx, dy, w, h;
  };
  const Case cases[] = {{0, 0, 7, 5},
                        {2, 1, 7, 5},
                        {-3, -2, 7, 5},
                        {4, 3, 7, 5},
                        {1, 1, 3, 2},
                        {0, 0, 10, 9},
                        {9, 0, 7, 5},
                        {-7, 0, 7, 5},
                        {0, 0, 0, 5},
                        {-2, 4, 12, 1},
                        {INT32_MAX, INT32_MIN, 7, 5},
                        {INT32_MIN, 2, INT32_MAX, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.dx) + "," + std::to_string(c.dy) + " " + std::to_string(c.w) +
                 "x" + std::to_string(c.h));
    Raster expected(9, 6, kRed);
    BitBlt(expected, c.dx, c.dy, c.w, c.h, mirror, 0, 0);
    Raster got(9, 6, kRed);
    BitBltMirrored(got, c.dx, c.dy, c.w, c.h, src);
    EXPECT_TRUE(got == expected);
  }
  // Rows long enough to be copied several pixels at a time, with every length of remainder.
  const Raster wide = Numbered(23, 2);
  Raster wideMirror(23, 2);
  CopyRect(wideMirror, {22, 0, -1, 2}, wide, {0, 0, 23, 2});
  for (int dx = -9; dx <= 9; ++dx) {
    for (const int w : {4, 5, 8, 13, 23}) {
      SCOPED_TRACE("wide at " + std::to_string(dx) + ", " + std::to_string(w) + " wide");
      Raster expected(25, 2, kRed);
      BitBlt(expected, dx, 0, w, 2, wideMirror, 0, 0);
      Raster got(25, 2, kRed);
      BitBltMirrored(got, dx, 0, w, 2, wide);
      EXPECT_TRUE(got == expected);
    }
  }
}

TEST(BitBlt, FarOffsetsDoNotOverflow) {
  Raster dst(2, 2, kWhite);
  const Raster src = Numbered(2, 2);
  BitBlt(dst, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX, src, INT32_MIN, 0);
  EXPECT_EQ(dst, Raster(2, 2, kWhite));
}

TEST(CopyRect, ReversedEdgesMirrorWithoutAShiftOfOnePixel) {
  const Raster src = Numbered(3, 2);
  Raster lr(3, 2, kWhite);
  CopyRect(lr, {2, 0, -1, 2}, src, {0, 0, 3, 2});
  Raster ud(3, 2, kWhite);
  CopyRect(ud, {0, 1, 3, -1}, src, {0, 0, 3, 2});
  Raster both(3, 2, kWhite);
  CopyRect(both, {2, 1, -1, -1}, src, {0, 0, 3, 2});
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(lr.Pixel(x, y), src.Pixel(2 - x, y));
      EXPECT_EQ(ud.Pixel(x, y), src.Pixel(x, 1 - y));
      EXPECT_EQ(both.Pixel(x, y), src.Pixel(2 - x, 1 - y));
    }
  }
}

TEST(CopyRect, PlainRectanglesCopyAndStretchWithTheNearestPixel) {
  const Raster src = Numbered(2, 1);
  Raster same(2, 1, kWhite);
  CopyRect(same, {0, 0, 2, 1}, src, {0, 0, 2, 1});
  EXPECT_EQ(same, src);

  Raster wide(4, 2, kWhite);
  CopyRect(wide, {0, 0, 4, 2}, src, {0, 0, 2, 1});
  for (int y = 0; y < 2; ++y) {
    EXPECT_EQ(wide.Pixel(0, y), src.Pixel(0, 0));
    EXPECT_EQ(wide.Pixel(1, y), src.Pixel(0, 0));
    EXPECT_EQ(wide.Pixel(2, y), src.Pixel(1, 0));
    EXPECT_EQ(wide.Pixel(3, y), src.Pixel(1, 0));
  }
}

TEST(CopyRect, SameSizedCopiesClipOnBothRastersInEveryDirection) {
  const Raster src = Numbered(5, 4);
  struct Case {
    Rect dst, source;
  };
  // Rectangles of 5 x 4 (mirrored or not) partly outside the destination, the source, or both.
  const Case cases[] = {
      {{-2, 1, 3, 5}, {0, 0, 5, 4}},  {{4, -1, -1, 3}, {0, 0, 5, 4}},
      {{1, 2, 6, -2}, {-1, 1, 4, 5}}, {{3, 3, -2, -1}, {2, -1, 7, 3}},
      {{0, 0, 5, 4}, {-3, -3, 2, 1}}, {{6, 0, 1, 4}, {1, 0, 6, 4}},
  };
  for (const Case& c : cases) {
    Raster dst(6, 5, kWhite);
    CopyRect(dst, c.dst, src, c.source);
    const bool mx = c.dst.right < c.dst.left, my = c.dst.bottom < c.dst.top;
    const int x0 = mx ? c.dst.right + 1 : c.dst.left, y0 = my ? c.dst.bottom + 1 : c.dst.top;
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 6; ++x) {
        const int i = x - x0, j = y - y0;
        Colour expected = kWhite;
        if (i >= 0 && i < 5 && j >= 0 && j < 4) {
          const int u = c.source.left + (mx ? 4 - i : i), v = c.source.top + (my ? 3 - j : j);
          if (u >= 0 && u < 5 && v >= 0 && v < 4) expected = src.Pixel(u, v);
        }
        EXPECT_EQ(dst.Pixel(x, y), expected) << "case " << (&c - cases) << " at " << x << "," << y;
      }
    }
  }
}

TEST(CopyRect, ClipsAtTheDestinationEdges) {
  const Raster src = Numbered(3, 1);
  Raster dst(2, 1, kWhite);
  CopyRect(dst, {-1, 0, 2, 1}, src, {0, 0, 3, 1});
  EXPECT_EQ(dst.Pixel(0, 0), src.Pixel(1, 0));
  EXPECT_EQ(dst.Pixel(1, 0), src.Pixel(2, 0));
}

TEST(DrawRgba, OpaqueReplacesTransparentKeepsPartialBlends) {
  Raster dst(3, 1, ComposeRgb(0, 0, 200));
  RgbaImage img{3, 1, {{255, 0, 0, 255}, {255, 0, 0, 0}, {255, 100, 0, 128}}};
  DrawRgba(dst, img, 0, 0);
  EXPECT_EQ(dst.Pixel(0, 0), ComposeRgb(255, 0, 0));
  EXPECT_EQ(dst.Pixel(1, 0), ComposeRgb(0, 0, 200));
  // 255*128/255 = 128; 100*128/255 = 50.2; 200*127/255 = 99.6
  EXPECT_EQ(dst.Pixel(2, 0), ComposeRgb(128, 50, 100));
}

TEST(DrawRgba, EveryAlphaBlendsRoundedToNearestOverEveryPixel) {
  // Every alpha over varied pixels, at offsets that clip on each side and leave odd and even
  // runs: each pixel is round((s * a + d * (255 - a)) / 255), or the pixel as it was where the
  // image is transparent.
  RgbaImage img{37, 9, {}};
  for (int i = 0; i < img.width * img.height; ++i) {
    img.pixels.push_back({static_cast<std::uint8_t>(i * 7), static_cast<std::uint8_t>(i * 13 + 5),
                          static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i % 256)});
  }
  const auto under = [](unsigned x, unsigned y) {
    return static_cast<Colour>(x * 40503u + y * 2654435761u) & 0x00FFFFFFu;
  };
  for (const auto& [x, y] : {std::pair{0, 0}, {-3, 2}, {4, -1}, {10, 0}}) {
    Raster dst(40, 10);
    for (int v = 0; v < 10; ++v)
      for (int u = 0; u < 40; ++u)
        dst.SetPixel(u, v, under(static_cast<unsigned>(u), static_cast<unsigned>(v)));
    DrawRgba(dst, img, x, y);
    for (int v = 0; v < 10; ++v) {
      for (int u = 0; u < 40; ++u) {
        Colour expected = under(static_cast<unsigned>(u), static_cast<unsigned>(v));
        if (u - x >= 0 && u - x < img.width && v - y >= 0 && v - y < img.height) {
          const Rgba p = img.At(u - x, v - y);
          const auto blend = [&](int s, int d) {
            return (2 * (s * p.a + d * (255 - p.a)) + 255) / 510;
          };
          if (p.a != 0) {
            expected = ComposeRgb(blend(p.r, RedOf(expected)), blend(p.g, GreenOf(expected)),
                                  blend(p.b, BlueOf(expected)));
          }
        }
        ASSERT_EQ(dst.Pixel(u, v), expected)
            << "drawn at " << x << "," << y << ": " << u << "," << v;
      }
    }
  }
}

TEST(DrawRgba, DrawsAtAnOffsetAndClips) {
  Raster dst(2, 2, kWhite);
  RgbaImage img{2, 2, {{1, 1, 1, 255}, {2, 2, 2, 255}, {3, 3, 3, 255}, {4, 4, 4, 255}}};
  DrawRgba(dst, img, 1, -1);
  EXPECT_EQ(dst.Pixel(0, 0), kWhite);
  EXPECT_EQ(dst.Pixel(1, 0), ComposeRgb(3, 3, 3));
  EXPECT_EQ(dst.Pixel(0, 1), kWhite);
  EXPECT_EQ(dst.Pixel(1, 1), kWhite);
  DrawRgba(dst, img, INT32_MIN, INT32_MAX);  // nothing lands, nothing overflows
  EXPECT_EQ(dst.Pixel(0, 1), kWhite);
}

TEST(DrawRgba, MirroredDrawsWhatTheMirroredImageDrawsAtEveryOffset) {
  // A 3 x 2 image with every kind of alpha, and the same image reversed by hand.
  const RgbaImage img{3,
                      2,
                      {{10, 20, 30, 255},
                       {40, 50, 60, 0},
                       {70, 80, 90, 100},
                       {1, 2, 3, 200},
                       {4, 5, 6, 255},
                       {7, 8, 9, 1}}};
  RgbaImage reversed = img;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) reversed.pixels[std::size_t(y * 3 + x)] = img.At(2 - x, y);
  const int offsets[][2] = {{0, 0}, {-1, 0}, {-2, 1}, {2, -1}, {3, 2}, {4, 0}, {-3, 0}};
  for (const auto& [x, y] : offsets) {
    SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
    Raster mirrored(4, 3, ComposeRgb(0, 0, 200));
    Raster expected(4, 3, ComposeRgb(0, 0, 200));
    DrawRgbaMirrored(mirrored, img, x, y);
    DrawRgba(expected, reversed, x, y);
    EXPECT_EQ(mirrored, expected);
  }
  // The image's right-hand column lands at the left edge of where it is drawn.
  Raster dst(3, 2, kWhite);
  DrawRgbaMirrored(dst, img, 0, 0);
  EXPECT_EQ(dst.Pixel(1, 1), ComposeRgb(4, 5, 6));
  EXPECT_EQ(dst.Pixel(2, 0), ComposeRgb(10, 20, 30));
  EXPECT_EQ(dst.Pixel(1, 0), kWhite);
  DrawRgbaMirrored(dst, img, INT32_MIN, INT32_MAX);  // nothing lands, nothing overflows
  DrawRgbaMirrored(dst, RgbaImage{0, 2, {}}, 0, 0);  // an empty image draws nothing
  EXPECT_EQ(dst.Pixel(1, 0), kWhite);
}

TEST(PixelMemory, ALargeRastersBlockIsReusedForTheNextRasterOfItsSize) {
  // Other tests may have filled the pool to its limit: counts are taken after the release.
  const Colour* first = nullptr;
  {
    Raster canvas(1024, 768, kRed);
    first = canvas.Row(0);
  }
  const std::size_t kept = pixel_memory::KeptBlocks();
  EXPECT_GE(kept, 1u);
  Raster again(1024, 768, kBlue);
  EXPECT_EQ(again.Row(0), first);            // the same block, its pages already in memory
  EXPECT_EQ(again.Pixel(1023, 767), kBlue);  // and painted anew
  EXPECT_EQ(pixel_memory::KeptBlocks(), kept - 1);
}

TEST(PixelMemory, BlocksAroundTheHugePageSizeHoldEveryByteTheyWereAskedFor) {
  constexpr std::size_t kTwoMiB = std::size_t{2} << 20;
  // Sizes just under, at and over whole huge pages, and one between two of them: each block
  // must be writable to its last byte and keep what was written until it is given back.
  for (const std::size_t bytes : {kTwoMiB - 4, kTwoMiB, kTwoMiB + 4, 5 * kTwoMiB / 2 + 12}) {
    SCOPED_TRACE(bytes);
    auto* first = static_cast<unsigned char*>(pixel_memory::Acquire(bytes));
    auto* second = static_cast<unsigned char*>(pixel_memory::Acquire(bytes));
    ASSERT_NE(first, second);
    std::memset(first, 0x5A, bytes);
    std::memset(second, 0xA5, bytes);
    EXPECT_EQ(first[0], 0x5A);
    EXPECT_EQ(first[bytes - 1], 0x5A);
    // Giving one back leaves the other whole.
    pixel_memory::Release(first, bytes);
    EXPECT_EQ(second[0], 0xA5);
    EXPECT_EQ(second[bytes - 1], 0xA5);
    pixel_memory::Release(second, bytes);
  }
}

TEST(PixelMemory, UsageCountsBlocksInUseAndKeptAndTheirPeaks) {
  // Tests of a suite run one after another: nothing else acquires pixels meanwhile.
  pixel_memory::ReleaseKept();
  EXPECT_EQ(pixel_memory::KeptBytes(), 0u);
  const pixel_memory::Usage before = pixel_memory::CurrentUsage();
  EXPECT_EQ(before.held, before.inUse);  // nothing kept
  pixel_memory::ResetPeaks();
  constexpr std::size_t kBig = std::size_t{3} << 20;  // kept for reuse when released
  constexpr std::size_t kSmall = 1000;                // from the heap, never kept
  void* big = pixel_memory::Acquire(kBig);
  void* small = pixel_memory::Acquire(kSmall);
  pixel_memory::Usage u = pixel_memory::CurrentUsage();
  EXPECT_EQ(u.inUse, before.inUse + kBig + kSmall);
  EXPECT_EQ(u.held, before.held + kBig + kSmall);
  pixel_memory::Release(small, kSmall);
  pixel_memory::Release(big, kBig);
  u = pixel_memory::CurrentUsage();
  EXPECT_EQ(u.inUse, before.inUse);
  EXPECT_EQ(u.held, before.held + kBig);  // the big block is kept
  EXPECT_EQ(u.peakInUse, before.inUse + kBig + kSmall);
  EXPECT_EQ(u.peakHeld, before.held + kBig + kSmall);
  // Taking the kept block again raises what is in use, not what is held.
  pixel_memory::ResetPeaks();
  big = pixel_memory::Acquire(kBig);
  u = pixel_memory::CurrentUsage();
  EXPECT_EQ(u.held, before.held + kBig);
  EXPECT_EQ(u.peakHeld, before.held + kBig);
  EXPECT_EQ(u.peakInUse, before.inUse + kBig);
  pixel_memory::Release(big, kBig);
  pixel_memory::ReleaseKept();
  u = pixel_memory::CurrentUsage();
  EXPECT_EQ(u.held, before.held);
  EXPECT_EQ(pixel_memory::KeptBlocks(), 0u);
  EXPECT_EQ(u.peakHeld, before.held + kBig);  // peaks stay until the next reset
}

}  // namespace
}  // namespace tapisto
