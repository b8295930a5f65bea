#include "image/jpeg_decode.h"
#include "image/jpeg_encode.h"
#include "image/jpeg_plain_strip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include "base/error.h"
#include "image/file_io.h"
#include "support/jpeg_markers.h"
#include "support/temp_dir.h"

namespace tapisto {
namespace {

using namespace tapisto::test;

using Bytes = std::vector<std::uint8_t>;

// ---- fixtures ----

// A smooth picture: red rises to the right, green downwards, blue falls along the diagonal.
Colour GradientAt(int x, int y, int w, int h) {
  const int r = w > 1 ? x * 255 / (w - 1) : 0;
  const int g = h > 1 ? y * 255 / (h - 1) : 0;
  return ComposeRgb(r, g, 255 - (r + g) / 2);
}

Raster Gradient(int w, int h) {
  Raster r(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) r.SetPixel(x, y, GradientAt(x, y, w, h));
  return r;
}

// Largest difference of one channel between the raster and expected(x, y); also fails the test
// when a pixel's pad byte is not 0.
int MaxError(const Raster& r, const std::function<Colour(int, int)>& expected) {
  int worst = 0;
  int padded = 0;
  for (int y = 0; y < r.Height(); ++y) {
    for (int x = 0; x < r.Width(); ++x) {
      const Colour got = r.Pixel(x, y);
      if (got >> 24 != 0) ++padded;
      const Colour want = expected(x, y);
      worst =
          std::max({worst, std::abs(RedOf(got) - RedOf(want)),
                    std::abs(GreenOf(got) - GreenOf(want)), std::abs(BlueOf(got) - BlueOf(want))});
    }
  }
  EXPECT_EQ(padded, 0) << "pixels whose pad byte is not 0";
  return worst;
}

// A JPEG made by libjpeg directly (not by EncodeJpeg), at quality 100 with every component
// at full resolution, so that decoding it must give `sample` back closely.
struct LibjpegFixture {
  const char* name;
  int tolerance;        // per channel, after decoding
  J_COLOR_SPACE input;  // JCS_RGB, JCS_GRAYSCALE or JCS_CMYK
  J_COLOR_SPACE stored;
  bool progressive;
};

Bytes MakeWithLibjpeg(const LibjpegFixture& f, int w, int h,
                      const std::function<std::uint8_t(int x, int y, int c)>& sample) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  const int components = f.input == JCS_GRAYSCALE ? 1 : f.input == JCS_CMYK ? 4 : 3;
  cinfo.image_width = static_cast<JDIMENSION>(w);
  cinfo.image_height = static_cast<JDIMENSION>(h);
  cinfo.input_components = components;
  cinfo.in_color_space = f.input;
  jpeg_set_defaults(&cinfo);
  jpeg_set_colorspace(&cinfo, f.stored);
  for (int c = 0; c < cinfo.num_components; ++c) {
    cinfo.comp_info[c].h_samp_factor = 1;
    cinfo.comp_info[c].v_samp_factor = 1;
  }
  jpeg_set_quality(&cinfo, 100, TRUE);
  if (f.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(w * components));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < components; ++c)
        row[static_cast<std::size_t>(x * components + c)] = sample(x, y, c);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

std::uint8_t GradientSample(int x, int y, int c) {
  const Colour px = GradientAt(x, y, 40, 24);
  return c == 0 ? RedOf(px) : c == 1 ? GreenOf(px) : BlueOf(px);
}

std::uint8_t GreySample(int x, int y, int) {
  return static_cast<std::uint8_t>(x * 4 + y * 3);  // at most 225 over 40 x 24
}

// "type name : message" of the ImageFormatError (or subclass) that decoding throws (the top
// `rows` rows only, when given); "" when the bytes decode.
std::string DecodeError(const Bytes& jpeg, const ImageLimits& limits = {}, int rows = 0) {
  try {
    if (rows > 0) {
      DecodeJpegTop(jpeg, rows, limits);
    } else {
      DecodeJpeg(jpeg, limits);
    }
  } catch (const ImageFormatError& e) {
    return Describe(e);
  }
  return "";
}

bool StartsWith(const std::string& text, const std::string& start) {
  return text.rfind(start, 0) == 0;
}

// ---- round trips ----

TEST(JpegRoundTrip, FlatBlocksComeBackWithinTwoAtQuality100) {
  static constexpr Colour kColours[] = {
      ComposeRgb(255, 0, 0),     ComposeRgb(0, 255, 0),   ComposeRgb(0, 0, 255),
      ComposeRgb(255, 255, 255), ComposeRgb(0, 0, 0),     ComposeRgb(128, 128, 128),
      ComposeRgb(255, 255, 0),   ComposeRgb(0, 255, 255), ComposeRgb(255, 0, 255),
      ComposeRgb(12, 200, 99),   ComposeRgb(240, 130, 7), ComposeRgb(60, 30, 170)};
  const int w = 64, h = 48;
  const auto colourAt = [](int x, int y) { return kColours[(y / 16 * 4 + x / 16) % 12]; };
  Raster source(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) source.SetPixel(x, y, colourAt(x, y));

  const Raster back = DecodeJpeg(EncodeJpeg(source, 100));
  ASSERT_EQ(back.Width(), w);
  ASSERT_EQ(back.Height(), h);
  EXPECT_EQ(back.Format(), PixelFormat::Bit24);
  // Chroma is stored at half resolution and smoothed when it is scaled up, so the one pixel
  // along each block edge takes a little of its neighbour's colour; the rest must be exact to
  // within rounding.
  const int worstInside = MaxError(back, [&](int x, int y) {
    const bool edge = x % 16 == 0 || x % 16 == 15 || y % 16 == 0 || y % 16 == 15;
    return edge ? back.Pixel(x, y) : colourAt(x, y);
  });
  EXPECT_LE(worstInside, 2);
}

TEST(JpegRoundTrip, SizesThatAreNoMultipleOfTheBlockKeepEveryRowInPlace) {
  // Grey keeps chroma flat, so only luma is at work and every pixel must come back closely;
  // a row written to the wrong place or a lost partial block would show at once.
  for (const auto& [w, h] :
       {std::pair{37, 23}, std::pair{1, 1}, std::pair{1, 40}, std::pair{33, 2}}) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    const auto grey = [&](int x, int y) {
      const int v = (x * 200 / std::max(w - 1, 1) + y * 55 / std::max(h - 1, 1));
      return ComposeRgb(v, v, v);
    };
    Raster source(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) source.SetPixel(x, y, grey(x, y));
    const Raster back = DecodeJpeg(EncodeJpeg(source, 100));
    ASSERT_EQ(back.Width(), w);
    ASSERT_EQ(back.Height(), h);
    EXPECT_LE(MaxError(back, grey), 2);
  }
}

TEST(JpegRoundTrip, SmoothColourSurvivesAtQuality100) {
  const Raster source = Gradient(50, 30);
  const Raster back = DecodeJpeg(EncodeJpeg(source, 100));
  // Colour conversion, rounding and the smoothed half-resolution chroma add up to a few steps.
  EXPECT_LE(MaxError(back, [&](int x, int y) { return source.Pixel(x, y); }), 6);
}

// ---- decoding files made by libjpeg itself ----

TEST(JpegDecode, FilesMadeByLibjpegDecodeToTheirPixels) {
  const LibjpegFixture fixtures[] = {
      // Going through YCbCr and back costs a few steps of rounding; RGB and grey do not.
      {"baseline YCbCr", 4, JCS_RGB, JCS_YCbCr, false},
      {"baseline stored as RGB", 2, JCS_RGB, JCS_RGB, false},
      {"baseline greyscale", 2, JCS_GRAYSCALE, JCS_GRAYSCALE, false},
      {"progressive YCbCr", 4, JCS_RGB, JCS_YCbCr, true},
      {"progressive greyscale", 2, JCS_GRAYSCALE, JCS_GRAYSCALE, true},
  };
  for (const LibjpegFixture& f : fixtures) {
    SCOPED_TRACE(f.name);
    const bool grey = f.input == JCS_GRAYSCALE;
    const auto sample = grey ? GreySample : GradientSample;
    const Bytes jpeg = MakeWithLibjpeg(f, 40, 24, sample);
    ASSERT_EQ(HasMarker(jpeg, 0xC2), f.progressive);  // the fixture is what it claims

    const Raster r = DecodeJpeg(jpeg);
    ASSERT_EQ(r.Width(), 40);
    ASSERT_EQ(r.Height(), 24);
    EXPECT_EQ(r.Format(), PixelFormat::Bit24);
    EXPECT_LE(MaxError(r,
                       [&](int x, int y) {
                         return grey
                                    ? ComposeRgb(sample(x, y, 0), sample(x, y, 0), sample(x, y, 0))
                                    : ComposeRgb(sample(x, y, 0), sample(x, y, 1), sample(x, y, 2));
                       }),
              f.tolerance);
  }
}

TEST(JpegDecode, RefusesCmykAndYcck) {
  for (const LibjpegFixture& f :
       {LibjpegFixture{"CMYK", 0, JCS_CMYK, JCS_CMYK, false},
        LibjpegFixture{"YCCK", 0, JCS_CMYK, JCS_YCCK, false},
        LibjpegFixture{"progressive CMYK", 0, JCS_CMYK, JCS_CMYK, true}}) {
    SCOPED_TRACE(f.name);
    const Bytes jpeg = MakeWithLibjpeg(
        f, 16, 16, [](int x, int y, int c) { return static_cast<std::uint8_t>(x * 10 + y * c); });
    EXPECT_EQ(DecodeError(jpeg), "ImageFormatError : JPEG: CMYK pictures are not supported");
  }
}

TEST(JpegDecode, RefusesBytesThatAreNoJpeg) {
  const struct {
    const char* name;
    Bytes bytes;
    const char* message;
  } cases[] = {
      {"nothing", {}, "JPEG: Empty input file"},
      {"PNG signature",
       {0x89, 'P', 'N', 'G', 13, 10, 26, 10},
       "JPEG: Not a JPEG file: starts with 0x89 0x50"},
      {"SOI alone, then end", {0xFF, 0xD8, 0xFF, 0xD9}, "JPEG: JPEG datastream contains no image"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DecodeError(c.bytes), std::string("ImageFormatError : ") + c.message);
  }
}

// Three kinds of file of w x h pixels, by name: a baseline 4:2:0 one of ours (rows share their
// chroma with the next), a progressive one and a greyscale one at full resolution.
std::vector<std::pair<const char*, Bytes>> ThreeKinds(int w, int h) {
  return {{"baseline", EncodeJpeg(Gradient(w, h), 90)},
          {"progressive", MakeWithLibjpeg({"", 0, JCS_RGB, JCS_YCbCr, true}, w, h, GradientSample)},
          {"greyscale",
           MakeWithLibjpeg({"", 0, JCS_GRAYSCALE, JCS_GRAYSCALE, false}, w, h, GreySample)}};
}

// ---- damaged input ----

TEST(JpegDecode, DataEndingEarlyIsAnErrorAtEveryCut) {
  for (const auto& [name, whole] : ThreeKinds(24, 16)) {
    SCOPED_TRACE(name);
    ASSERT_NO_THROW(DecodeJpeg(whole));
    const std::size_t scan = FirstScan(whole);
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
      const Bytes part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
      const std::string message = DecodeError(part);
      ASSERT_NE(message, "") << "cut at " << cut << " of " << whole.size() << " decoded";
      // Only the top row wanted: the cut file is still read to its end, and refused alike.
      ASSERT_EQ(DecodeError(part, {}, 1), message) << "cut at " << cut;
      // Once the header has been read, the only thing wrong is the missing rest. The last two
      // cuts lose only (part of) the end marker, and are refused all the same.
      if (cut > scan) {
        ASSERT_EQ(message, "ImageFormatError : JPEG data ends early") << "cut at " << cut;
      }
    }
  }
}

TEST(JpegDecode, TheTopRowsAreThoseOfTheWholePicture) {
  // Fewer, all and more rows than the picture's 37 wanted.
  for (const auto& [name, jpeg] : ThreeKinds(24, 37)) {
    const Raster whole = DecodeJpeg(jpeg);
    for (int rows : {-4, 0, 1, 2, 15, 16, 17, 36, 37, 50}) {
      SCOPED_TRACE(std::string(name) + ", " + std::to_string(rows) + " rows");
      Raster top = whole;
      top.SetHeight(std::clamp(rows, 1, 37));
      EXPECT_TRUE(DecodeJpegTop(jpeg, rows) == top);
    }
  }
}

TEST(JpegDecode, BytesAfterTheEndMarkerAreIgnored) {
  const Raster source = Gradient(20, 20);
  Bytes jpeg = EncodeJpeg(source, 95);
  const Raster plain = DecodeJpeg(jpeg);
  jpeg.insert(jpeg.end(), {0x00, 0x12, 0xFF, 0xD8, 0xFF, 0xFF, 0x00});
  EXPECT_EQ(DecodeJpeg(jpeg), plain);
}

TEST(JpegDecode, RandomByteFlipsNeverCrash) {
  // Every damaged variant either decodes to a well-formed raster or is refused with an
  // ImageFormatError; anything else (another exception, a crash, a sanitizer report) fails.
  const Bytes baseline = EncodeJpeg(Gradient(32, 24), 80);
  const Bytes progressive =
      MakeWithLibjpeg({"", 0, JCS_RGB, JCS_YCbCr, true}, 32, 24, GradientSample);
  std::mt19937 random(20240611);
  int refused = 0;
  int decoded = 0;
  for (const Bytes* whole : {&baseline, &progressive}) {
    for (int round = 0; round < 1500; ++round) {
      Bytes damaged = *whole;
      const int flips = 1 + static_cast<int>(random() % 4);
      for (int i = 0; i < flips; ++i) {
        const std::size_t at = random() % damaged.size();
        damaged[at] = static_cast<std::uint8_t>(damaged[at] ^ (1u << (random() % 8)));
      }
      try {
        const Raster r = DecodeJpeg(damaged);
        ASSERT_GT(r.Width(), 0);
        ASSERT_GT(r.Height(), 0);
        ASSERT_EQ(r.Format(), PixelFormat::Bit24);
        ++decoded;
      } catch (const ImageFormatError&) {
        ++refused;
      }
    }
  }
  // Both outcomes occur, so the flips reach the header as well as the picture data.
  EXPECT_GT(refused, 0);
  EXPECT_GT(decoded, 0);
}

// The JPEG with the frame size in its SOF0 segment replaced.
Bytes WithFrameSize(Bytes jpeg, int w, int h) {
  const std::vector<Segment> frames = SegmentsOf(jpeg, 0xC0);
  EXPECT_EQ(frames.size(), 1u);
  const std::size_t at = frames.at(0).offset + 5;  // FF C0, length, precision
  jpeg[at] = static_cast<std::uint8_t>(h >> 8);
  jpeg[at + 1] = static_cast<std::uint8_t>(h);
  jpeg[at + 2] = static_cast<std::uint8_t>(w >> 8);
  jpeg[at + 3] = static_cast<std::uint8_t>(w);
  return jpeg;
}

TEST(JpegDecode, SizesOverTheLimitsAreRefusedNamingTheLimit) {
  const Bytes small = EncodeJpeg(Gradient(24, 16), 90);
  ImageLimits narrow;
  narrow.maxWidth = 20;
  ImageLimits low;
  low.maxHeight = 10;
  ImageLimits few;
  few.maxPixels = 300;
  const struct {
    const char* name;
    Bytes jpeg;
    ImageLimits limits;
    std::string message;
  } cases[] = {
      {"65000 x 65000",
       WithFrameSize(small, 65000, 65000),
       {},
       "JPEG: width 65000 exceeds the limit of 32768"},
      {"tall",
       WithFrameSize(small, 16, 40000),
       {},
       "JPEG: height 40000 exceeds the limit of 32768"},
      {"width limit", small, narrow, "JPEG: width 24 exceeds the limit of 20"},
      {"height limit", small, low, "JPEG: height 16 exceeds the limit of 10"},
      {"pixel limit", small, few, "JPEG: 384 pixels exceed the limit of 300"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DecodeError(c.jpeg, c.limits), "ImageTooLargeError : " + c.message);
  }
}

TEST(JpegDecode, ZeroFrameSizeIsAFormatError) {
  const Bytes jpeg = WithFrameSize(EncodeJpeg(Gradient(8, 8), 90), 8, 0);
  EXPECT_TRUE(StartsWith(DecodeError(jpeg), "ImageFormatError : JPEG: ")) << DecodeError(jpeg);
}

TEST(JpegDecode, EndlessProgressiveScansAreRefused) {
  const Bytes good = MakeWithLibjpeg({"", 0, JCS_RGB, JCS_YCbCr, true}, 16, 16, GradientSample);
  // The last scan runs from the last SOS marker (never found inside entropy-coded data, where
  // every 0xFF is followed by 0x00) to the end marker.
  std::size_t lastScan = 0;
  for (std::size_t i = 0; i + 1 < good.size(); ++i)
    if (good[i] == 0xFF && good[i + 1] == 0xDA) lastScan = i;
  const Bytes scan(good.begin() + static_cast<std::ptrdiff_t>(lastScan), good.end() - 2);
  const auto repeated = [&](int times) {
    Bytes out(good.begin(), good.end() - 2);
    for (int i = 0; i < times; ++i) out.insert(out.end(), scan.begin(), scan.end());
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
  };
  // Repeated scans are only a warning to libjpeg; a few are decoded, hundreds are refused.
  EXPECT_NO_THROW(DecodeJpeg(repeated(5)));
  EXPECT_TRUE(StartsWith(DecodeError(repeated(600)),
                         "ImageFormatError : JPEG: the file has more than 500 scans"));
}

TEST(JpegDecode, CrasherFilesGiveTheirSpecificError) {
  const std::string folder = std::string(TAPISTO_TEST_DATA) + "/crashers/";
  const struct {
    const char* file;
    const char* error;
  } cases[] = {
      {"jpeg-cut-in-scan.jpg", "ImageFormatError : JPEG data ends early"},
      {"jpeg-huge-frame.jpg", "ImageTooLargeError : JPEG: width 65000 exceeds the limit of 32768"},
      {"jpeg-bad-huffman.jpg", "ImageFormatError : JPEG: Bogus Huffman table definition"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(DecodeError(ReadWholeFile(folder + c.file, 1 << 20)), c.error);
  }
}

// ---- encoding ----

TEST(JpegEncode, OutputIsBaselineColourWithHalfResolutionChroma) {
  const Bytes jpeg = EncodeJpeg(Gradient(300, 200), 100);
  ASSERT_GE(jpeg.size(), 4u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
  EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
  EXPECT_EQ(jpeg[jpeg.size() - 1], 0xD9);

  std::vector<std::uint8_t> frames;
  int scans = 0;
  for (const Segment& s : HeaderSegments(jpeg)) {
    if (IsFrameMarker(s.marker)) frames.push_back(s.marker);
    if (s.marker == 0xDA) ++scans;
  }
  EXPECT_EQ(frames, std::vector<std::uint8_t>{0xC0});  // SOF0 only: baseline, not progressive
  EXPECT_FALSE(HasMarker(jpeg, 0xC2));
  EXPECT_EQ(scans, 1);

  const Bytes sof = SegmentsOf(jpeg, 0xC0).at(0).body;
  ASSERT_EQ(sof.size(), 6u + 3 * 3);
  EXPECT_EQ(sof[0], 8);                  // sample precision
  EXPECT_EQ(sof[1] << 8 | sof[2], 200);  // height
  EXPECT_EQ(sof[3] << 8 | sof[4], 300);  // width
  EXPECT_EQ(sof[5], 3);                  // components: colour, never greyscale
  EXPECT_EQ(sof[6 + 1], 0x22);           // Y at full resolution over 2 x 2 blocks
  EXPECT_EQ(sof[9 + 1], 0x11);           // Cb and Cr at half resolution both ways
  EXPECT_EQ(sof[12 + 1], 0x11);
  EXPECT_EQ(SegmentsOf(jpeg, 0xE0).size(), 1u);  // JFIF
}

TEST(JpegEncode, GreyPicturesAreStillWrittenInColour) {
  const Bytes jpeg = EncodeJpeg(Raster(16, 16, ComposeRgb(90, 90, 90)), 100);
  EXPECT_EQ(SegmentsOf(jpeg, 0xC0).at(0).body.at(5), 3);
}

TEST(JpegEncode, QuantisationTablesFollowTheQuality) {
  const Raster source = Gradient(16, 16);
  const auto all = [](const std::vector<int>& t, int v) {
    return t.size() == 64 && std::all_of(t.begin(), t.end(), [v](int e) { return e == v; });
  };
  const auto tables100 = QuantTables(EncodeJpeg(source, 100));
  ASSERT_EQ(tables100.size(), 2u);
  EXPECT_TRUE(all(tables100[0], 1));
  EXPECT_TRUE(all(tables100[1], 1));

  // At 50 the tables are the standard ones unscaled; their DC entries are 16 and 17.
  const auto tables50 = QuantTables(EncodeJpeg(source, 50));
  ASSERT_EQ(tables50.size(), 2u);
  EXPECT_EQ(tables50[0].at(0), 16);
  EXPECT_EQ(tables50[1].at(0), 17);

  // At 1 every entry would exceed 255; forced baseline keeps them 8-bit, at 255.
  const auto tables1 = QuantTables(EncodeJpeg(source, 1));
  ASSERT_EQ(tables1.size(), 2u);
  EXPECT_TRUE(all(tables1[0], 255));
  EXPECT_TRUE(all(tables1[1], 255));

  // Qualities outside 1 to 100 are clamped.
  EXPECT_EQ(EncodeJpeg(source, 0), EncodeJpeg(source, 1));
  EXPECT_EQ(EncodeJpeg(source, -40), EncodeJpeg(source, 1));
  EXPECT_EQ(EncodeJpeg(source, 101), EncodeJpeg(source, 100));
  EXPECT_NE(EncodeJpeg(source, 99), EncodeJpeg(source, 100));
}

TEST(JpegEncode, UsesTheStandardHuffmanTables) {
  // Tables optimised for this flat picture would hold only a few symbols; the standard ones
  // hold 12 (DC) and 162 (AC).
  const Bytes jpeg = EncodeJpeg(Raster(32, 32, ComposeRgb(10, 20, 30)), 100);
  std::vector<std::pair<int, int>> tables;  // (class and id, symbol count)
  for (const Segment& s : SegmentsOf(jpeg, 0xC4)) {
    std::size_t p = 0;
    while (p + 17 <= s.body.size()) {
      int count = 0;
      for (int i = 1; i <= 16; ++i) count += s.body[p + static_cast<std::size_t>(i)];
      tables.emplace_back(s.body[p], count);
      p += 17 + static_cast<std::size_t>(count);
    }
  }
  std::sort(tables.begin(), tables.end());
  EXPECT_EQ(tables,
            (std::vector<std::pair<int, int>>{{0x00, 12}, {0x01, 12}, {0x10, 162}, {0x11, 162}}));
}

TEST(JpegEncode, IgnoresThePadByteOfEachPixel) {
  const Raster clean = Gradient(20, 12);
  Raster padded = clean;
  for (int y = 0; y < padded.Height(); ++y)
    for (int x = 0; x < padded.Width(); ++x)
      padded.Row(y)[x] |= static_cast<Colour>(0xA5 + x) << 24;
  EXPECT_EQ(EncodeJpeg(padded, 100), EncodeJpeg(clean, 100));
}

TEST(JpegEncode, EmptyRasterGivesNoBytes) {
  EXPECT_TRUE(EncodeJpeg(Raster(), 100).empty());
  EXPECT_TRUE(EncodeJpeg(Raster(0, 7), 100).empty());
  EXPECT_TRUE(EncodeJpeg(Raster(7, 0), 100).empty());
}

// ---- big pictures: strips joined by restart markers ----

// Detail everywhere, so that every part of the picture costs the encoder real work; another
// `seed` gives other detail.
Raster Busy(int w, int h, int seed = 0) {
  Raster r(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      r.SetPixel(x, y,
                 GradientAt(x, y, w, h) ^ static_cast<Colour>(((x * 7) ^ (y * (13 + seed))) & 31));
  return r;
}

// What libjpeg itself writes for the whole raster in one pass, every setting its default but
// the quality (100) and the restart interval (0: none).
Bytes LibjpegOnePass(const Raster& r, unsigned restartInterval) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(r.Width());
  cinfo.image_height = static_cast<JDIMENSION>(r.Height());
  cinfo.input_components = 4;
  cinfo.in_color_space = JCS_EXT_RGBX;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 100, TRUE);
  cinfo.restart_interval = restartInterval;
  jpeg_start_compress(&cinfo, TRUE);
  for (int y = 0; y < r.Height(); ++y) {
    JSAMPROW row = const_cast<JSAMPROW>(reinterpret_cast<const JSAMPLE*>(r.Row(y)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

// The interval of the stream's DRI segment; 0 when it has none.
unsigned RestartInterval(const Bytes& jpeg) {
  const auto dri = SegmentsOf(jpeg, 0xDD);
  if (dri.empty()) return 0;
  EXPECT_EQ(dri[0].body.size(), 2u);
  return static_cast<unsigned>(dri[0].body.at(0) << 8 | dri[0].body.at(1));
}

// The markers in the entropy-coded data after the first scan header, in order (stuffed 0xFF 0x00
// pairs are data, not markers).
std::vector<std::uint8_t> MarkersAfterScanHeader(const Bytes& jpeg) {
  const Segment sos = SegmentsOf(jpeg, 0xDA).at(0);
  std::vector<std::uint8_t> markers;
  for (std::size_t p = sos.offset + 2 + 2 + sos.body.size(); p + 1 < jpeg.size(); ++p) {
    if (jpeg[p] == 0xFF && jpeg[p + 1] != 0x00) markers.push_back(jpeg[++p]);
  }
  return markers;
}

TEST(JpegEncode, BigPicturesAreWrittenInStripsThatJoinIntoTheOnePassStream) {
  struct Case {
    int w, h;
    bool strips;  // whether the picture is tall enough to be cut
  };
  const Case cases[] = {
      {1920, 1080, true}, {1000, 777, true}, {333, 1300, true}, {3000, 300, true},
      {64, 256, true},    {64, 255, true},   {64, 240, false},  {17, 4100, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
    const Raster picture = Busy(c.w, c.h);
    const Bytes ours = EncodeJpeg(picture, 100);
    const unsigned interval = RestartInterval(ours);
    const unsigned mcusPerRow = static_cast<unsigned>((c.w + 15) / 16);
    const unsigned mcus = mcusPerRow * static_cast<unsigned>((c.h + 15) / 16);
    if (c.strips) {
      ASSERT_GT(interval, 0u);
      EXPECT_EQ(interval % mcusPerRow, 0u) << "strips are whole rows of MCUs";
      EXPECT_LT(interval, mcus);
    } else {
      EXPECT_EQ(interval, 0u);
    }

    // Byte for byte what libjpeg writes in one pass with the same restart interval: one
    // baseline frame of the full height, one scan, RST0 ... RST7 in turn, then EOI.
    EXPECT_TRUE(ours == LibjpegOnePass(picture, interval));
    const std::vector<std::uint8_t> markers = MarkersAfterScanHeader(ours);
    const std::size_t restarts = interval == 0 ? 0 : (mcus + interval - 1) / interval - 1;
    ASSERT_EQ(markers.size(), restarts + 1);
    for (std::size_t i = 0; i < restarts; ++i) EXPECT_EQ(markers[i], 0xD0 + i % 8) << i;
    EXPECT_EQ(markers.back(), 0xD9);

    // And exactly the pixels of the file libjpeg writes without restart markers.
    const Raster decoded = DecodeJpeg(ours);
    EXPECT_TRUE(decoded == DecodeJpeg(LibjpegOnePass(picture, 0)));
    EXPECT_EQ(decoded.Width(), c.w);
    EXPECT_EQ(decoded.Height(), c.h);
  }
}

TEST(JpegEncode, NoiseThatTakesMoreThanAByteAPixelComesOutWhole) {
  // The encoder's buffer starts at a byte per pixel; noise at quality 100 needs more, so the
  // buffer grows while libjpeg writes, in one piece and in strips.
  std::mt19937 random(7);
  for (auto [w, h] : {std::pair{300, 200}, std::pair{640, 600}}) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    Raster noise(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) noise.SetPixel(x, y, static_cast<Colour>(random()));
    const Bytes ours = EncodeJpeg(noise, 100);
    ASSERT_GT(ours.size(), static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    EXPECT_TRUE(ours == LibjpegOnePass(noise, RestartInterval(ours)));
  }
}

TEST(JpegEncode, TheSameRasterAlwaysGivesTheSameBytes) {
  // Strips finish in whatever order the threads run them; the file must not show it.
  const Raster picture = Busy(640, 2000);
  const Bytes first = EncodeJpeg(picture, 100);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(EncodeJpeg(picture, 100) == first) << "run " << i;
}

// Paints the rows of `from`; bands from row `knownFrom` down are known to show `known` (a
// picture placed at the top-left corner, or one colour). Counts how often each row is painted.
class CopyingPainter final : public BandPainter {
 public:
  explicit CopyingPainter(const Raster& from, int knownFrom = INT_MAX, StripContent known = {})
      : from_(from),
        knownFrom_(knownFrom),
        known_(std::move(known)),
        paints_(static_cast<std::size_t>(from.Height())) {}

  int Width() const override { return from_.Width(); }
  int Height() const override { return from_.Height(); }
  std::optional<StripContent> ContentOf(RowBand band) const override {
    if (band.top < knownFrom_) return std::nullopt;
    StripContent content = known_;
    content.y = -band.top;
    return content;
  }
  void PaintRows(RowBand band, Raster& target, int targetTop) const override {
    EXPECT_LE(0, band.top);
    EXPECT_LE(band.top, band.bottom);
    EXPECT_LE(band.bottom, from_.Height());
    EXPECT_LE(band.bottom - targetTop, target.Height());
    BitBlt(target, 0, band.top - targetTop, from_.Width(), band.bottom - band.top, from_, 0,
           band.top);
    for (int y = band.top; y < band.bottom; ++y) ++paints_[static_cast<std::size_t>(y)];
  }
  const Raster& Painted() override { return from_; }
  // Rows in [top, bottom) painted other than `times` times.
  int RowsNotPainted(int times, int top, int bottom) const {
    int wrong = 0;
    for (int y = top; y < bottom; ++y) wrong += paints_[static_cast<std::size_t>(y)] != times;
    return wrong;
  }

 private:
  const Raster& from_;
  int knownFrom_;
  StripContent known_;
  mutable std::vector<std::atomic<int>> paints_;
};

TEST(JpegEncode, APainterPaintsEveryRowOnceJustBeforeItIsEncoded) {
  // One strip and many: the bytes are those of the painted picture, and every row is painted
  // exactly once.
  for (auto [w, h] : {std::pair{70, 90}, std::pair{1000, 777}, std::pair{17, 4100}}) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    const Raster picture = Busy(w, h);
    CopyingPainter painter(picture);
    EXPECT_TRUE(EncodeJpeg(painter, 100, nullptr) == EncodeJpeg(picture, 100));
    EXPECT_EQ(painter.RowsNotPainted(1, 0, h), 0);
  }
}

TEST(JpegEncode, WhatAPainterThrowsReachesTheCallerOnceTheThreadsAreDone) {
  // Throws while painting one row: in the only strip, and in one of many strips compressed on
  // other threads.
  class FailingPainter final : public BandPainter {
   public:
    FailingPainter(int w, int h, int row) : w_(w), h_(h), row_(row) {}
    int Width() const override { return w_; }
    int Height() const override { return h_; }
    std::optional<StripContent> ContentOf(RowBand) const override { return std::nullopt; }
    void PaintRows(RowBand band, Raster&, int) const override {
      if (band.top <= row_ && row_ < band.bottom) throw RasterError("row " + std::to_string(row_));
    }
    const Raster& Painted() override { throw RasterError("not painted whole"); }

   private:
    int w_;
    int h_;
    int row_;
  };
  for (auto [w, h, row] : {std::tuple{70, 90, 40}, std::tuple{1000, 777, 500}}) {
    FailingPainter painter(w, h, row);
    try {
      EncodeJpeg(painter, 100, nullptr);
      ADD_FAILURE() << "nothing thrown for " << w << " x " << h;
    } catch (const RasterError& e) {
      EXPECT_EQ(std::string(e.what()), "row " + std::to_string(row));
    }
  }
}

TEST(JpegEncode, KnownStripsAreCompressedOnceAndPlainOnesNeverPainted) {
  // 1000 x 777 is cut into strips of 128 rows; those from row 384 on lie below row 300, from
  // where the picture is plain, or known to be the rows of a kept picture.
  const int w = 1000;
  const int h = 777;
  const int knownFrom = 384;
  const auto plainFrom300 = [&](Colour colour) {
    Raster picture = Busy(w, h);
    for (int y = 300; y < h; ++y)
      for (int x = 0; x < w; ++x) picture.SetPixel(x, y, colour);
    return picture;
  };
  StripCache kept;
  for (const Colour colour : {ComposeRgb(13, 171, 77), ComposeRgb(201, 9, 99)}) {
    SCOPED_TRACE(colour);
    const Raster picture = plainFrom300(colour);
    const Bytes expected = EncodeJpeg(picture, 100);
    for (int round = 0; round < 2; ++round) {
      SCOPED_TRACE("round " + std::to_string(round));
      CopyingPainter painter(picture, knownFrom, PlainStrip(colour));
      EXPECT_TRUE(EncodeJpeg(painter, 100, &kept) == expected);
      EXPECT_EQ(painter.RowsNotPainted(1, 0, knownFrom), 0);
      // The first round compresses the plain strips from one row of their colour, later
      // rounds take their kept bytes: neither paints them.
      EXPECT_EQ(painter.RowsNotPainted(0, knownFrom, h), 0);
    }
  }
  // Strips of a kept picture are painted and compressed the first time only. Another picture
  // never gets them, even one made where the first lay once it is gone.
  for (int seed = 0; seed < 2; ++seed) {
    SCOPED_TRACE("picture " + std::to_string(seed));
    auto picture = std::make_shared<const Raster>(Busy(w, h, seed));
    const Bytes expected = EncodeJpeg(*picture, 100);
    for (int round = 0; round < 2; ++round) {
      SCOPED_TRACE("round " + std::to_string(round));
      StripContent shown;
      shown.picture = picture;
      CopyingPainter painter(*picture, knownFrom, shown);
      EXPECT_TRUE(EncodeJpeg(painter, 100, &kept) == expected);
      EXPECT_EQ(painter.RowsNotPainted(round == 0 ? 1 : 0, knownFrom, h), 0);
    }
  }
}

// LengthenPlainJpeg of a whole stream made by libjpeg, to `rows`.
Bytes Lengthened(const Bytes& shortJpeg, int width, int rows) {
  const Segment scan = SegmentsOf(shortJpeg, 0xDA).at(0);
  return jpeg_detail::LengthenPlainJpeg(shortJpeg, SegmentsOf(shortJpeg, 0xC0).at(0).offset + 5,
                                        scan.offset + 4 + scan.body.size(), width, rows);
}

TEST(JpegEncode, PlainPicturesLengthenedFromAFewRowsAreTheBytesOfTheWhole) {
  // Colours whose first MCU takes few and many bits (grey 128 has a luminance DC of zero),
  // sizes of one strip and of many, of one MCU across and of many, ending in part of an MCU.
  const Colour colours[] = {ComposeRgb(0, 0, 0),       ComposeRgb(255, 255, 255),
                            ComposeRgb(128, 128, 128), ComposeRgb(255, 0, 0),
                            ComposeRgb(0, 0, 255),     ComposeRgb(13, 171, 77)};
  const std::pair<int, int> sizes[] = {{1, 300},    {17, 4100},   {100, 90},
                                       {1000, 777}, {1920, 1080}, {3840, 300}};
  for (const auto& [w, h] : sizes) {
    for (const Colour colour : colours) {
      SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h) + ", colour " +
                   std::to_string(colour));
      const Raster plain(w, h, colour);
      for (const int quality : {100, 75, 1}) {
        CopyingPainter painter(plain, 0, PlainStrip(colour));
        EXPECT_TRUE(EncodeJpeg(painter, quality, nullptr) == EncodeJpeg(plain, quality))
            << "quality " << quality;
      }
      // The lengthening itself, on what libjpeg writes for a few rows and for all of them.
      const int rows = jpeg_detail::PlainRowsToCompress(w, h);
      ASSERT_LT(rows, h);
      EXPECT_TRUE(Lengthened(LibjpegOnePass(Raster(w, rows, colour), 0), w, h) ==
                  LibjpegOnePass(plain, 0));
    }
  }
  // Bytes that do not repeat as a plain picture's must are refused.
  EXPECT_TRUE(Lengthened(LibjpegOnePass(Busy(64, 32), 0), 64, 320).empty());
}

// ---- files ----

TEST(JpegFile, WriteThenReadGivesTheDecodedPicture) {
  test::TempDir dir;
  const Raster source = Gradient(33, 17);
  const std::string path = dir.File("picture.jpg");
  WriteJpegFile(source, 100, path);
  EXPECT_EQ(ReadWholeFile(path, 1 << 20), EncodeJpeg(source, 100));
  EXPECT_EQ(ReadJpegFile(path), DecodeJpeg(EncodeJpeg(source, 100)));
}

TEST(JpegFile, EmptyRasterWritesAnEmptyFile) {
  test::TempDir dir;
  const std::string path = dir.File("empty.jpg");
  WriteJpegFile(Gradient(8, 8), 100, path);  // an earlier file is replaced
  WriteJpegFile(Raster(), 100, path);
  EXPECT_EQ(std::filesystem::file_size(dir.path() / "empty.jpg"), 0u);
  EXPECT_THROW(ReadJpegFile(path), ImageFormatError);
}

TEST(JpegFile, ReadFailuresHaveTheirOwnErrors) {
  test::TempDir dir;
  EXPECT_THROW(ReadJpegFile(dir.File("missing.jpg")), FileReadError);
  const std::string path = dir.File("big.jpg");
  WriteJpegFile(Gradient(64, 64), 100, path);
  ImageLimits limits;
  limits.maxInputBytes = 100;
  EXPECT_THROW(ReadJpegFile(path, limits), ImageTooLargeError);
}

// A file far too short for the picture its header claims is refused before its pixels are
// allocated; the smallest files an encoder makes at the size limits (one flat colour) decode.
TEST(JpegDecode, AFileTooShortForItsPictureIsRefusedAndTheSmallestValidOnesDecode) {
  const Bytes damaged = WithFrameSize(EncodeJpeg(Gradient(24, 16), 90), 16000, 16000);
  ASSERT_LT(damaged.size(), 1000u);
  EXPECT_TRUE(StartsWith(DecodeError(damaged),
                         "ImageFormatError : JPEG: 16000 x 16000 pixels take at least "))
      << DecodeError(damaged);
  for (const auto& [w, h] : {std::pair{32768, 8}, std::pair{8, 32768}, std::pair{2048, 2048}}) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    const Bytes smallest = EncodeJpeg(Raster(w, h, ComposeRgb(90, 90, 90)), 1);
    const Raster decoded = DecodeJpeg(smallest);
    EXPECT_EQ(decoded.Width(), w);
    EXPECT_EQ(decoded.Height(), h);
  }
}

}  // namespace
}  // namespace tapisto
