// Tests of the PNG reader. The files are built here by a small writer (any colour type and
// depth, a chosen filter per row, Adam7 passes, IDAT split at any size, extra chunks), so each
// test knows the pixels the reader must give.
#include "image/png.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/error.h"
#include "image/file_io.h"
#include "support/temp_dir.h"

namespace tapisto {
namespace {

using Bytes = std::vector<std::uint8_t>;

void PutU32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

// A chunk with its length and CRC; `crcDelta` damages the CRC.
void AppendChunk(Bytes& out, const char* type, const Bytes& data, std::uint32_t crcDelta = 0) {
  PutU32(out, static_cast<std::uint32_t>(data.size()));
  Bytes typed(type, type + 4);
  typed.insert(typed.end(), data.begin(), data.end());
  out.insert(out.end(), typed.begin(), typed.end());
  PutU32(out, static_cast<std::uint32_t>(crc32(0L, typed.data(), static_cast<uInt>(typed.size()))) +
                  crcDelta);
}

Bytes Ihdr(std::uint32_t w, std::uint32_t h, int depth, int colourType, int interlace = 0,
           int compression = 0, int filter = 0) {
  Bytes d;
  PutU32(d, w);
  PutU32(d, h);
  for (int v : {depth, colourType, compression, filter, interlace}) {
    d.push_back(static_cast<std::uint8_t>(v));
  }
  return d;
}

Bytes Signature() {
  return {137, 80, 78, 71, 13, 10, 26, 10};
}

Bytes Deflate(const Bytes& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes out(size);
  EXPECT_EQ(compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9), Z_OK);
  out.resize(size);
  return out;
}

int ChannelsOf(int colourType) {
  switch (colourType) {
    case 2:
      return 3;
    case 4:
      return 2;
    case 6:
      return 4;
    default:
      return 1;
  }
}

struct Picture {
  std::uint32_t width = 1, height = 1;
  int depth = 8, colourType = 0;
  bool interlaced = false;
  std::vector<std::uint16_t> samples;       // channels per pixel, rows top-down
  Bytes palette;                            // RGB triples
  Bytes trns;                               // tRNS payload, none when empty
  std::vector<std::uint8_t> filters = {0};  // used in turn, one per row of every pass
  std::size_t idatSize = 1u << 30;          // the compressed data is cut into chunks this size
  bool extraChunks = false;                 // ancillary chunks around the image data
};

std::uint8_t PaethOf(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return static_cast<std::uint8_t>(pa <= pb && pa <= pc ? a : (pb <= pc ? b : c));
}

// The scanlines with their filter bytes, pass after pass.
Bytes FilteredData(const Picture& pic) {
  static const int kPasses[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                    {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  const int single[1][4] = {{0, 0, 1, 1}};
  const int channels = ChannelsOf(pic.colourType);
  const auto bpp = static_cast<std::size_t>(std::max(1, channels * pic.depth / 8));
  Bytes out;
  std::size_t rowCount = 0;
  for (int pass = 0; pass < (pic.interlaced ? 7 : 1); ++pass) {
    const int* s = pic.interlaced ? kPasses[pass] : single[0];
    Bytes prev;
    for (std::uint32_t y = static_cast<std::uint32_t>(s[1]); y < pic.height;
         y += static_cast<std::uint32_t>(s[3])) {
      std::vector<std::uint16_t> line;
      for (std::uint32_t x = static_cast<std::uint32_t>(s[0]); x < pic.width;
           x += static_cast<std::uint32_t>(s[2])) {
        for (int c = 0; c < channels; ++c) {
          line.push_back(pic.samples[(y * pic.width + x) * static_cast<std::uint32_t>(channels) +
                                     static_cast<std::uint32_t>(c)]);
        }
      }
      if (line.empty()) break;
      Bytes row((line.size() * static_cast<std::size_t>(pic.depth) + 7) / 8);
      for (std::size_t i = 0; i < line.size(); ++i) {
        if (pic.depth == 16) {
          row[2 * i] = static_cast<std::uint8_t>(line[i] >> 8);
          row[2 * i + 1] = static_cast<std::uint8_t>(line[i]);
        } else {
          const std::size_t bit = i * static_cast<std::size_t>(pic.depth);
          row[bit / 8] |= static_cast<std::uint8_t>(line[i] << (8 - pic.depth - int(bit % 8)));
        }
      }
      if (prev.empty()) prev.assign(row.size(), 0);
      const std::uint8_t filter = pic.filters[rowCount++ % pic.filters.size()];
      out.push_back(filter);
      for (std::size_t i = 0; i < row.size(); ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
        const int predictor = filter == 1   ? a
                              : filter == 2 ? b
                              : filter == 3 ? (a + b) / 2
                              : filter == 4 ? PaethOf(a, b, c)
                                            : 0;
        out.push_back(static_cast<std::uint8_t>(row[i] - predictor));
      }
      prev = row;
    }
  }
  return out;
}

Bytes Encode(const Picture& pic) {
  Bytes file = Signature();
  AppendChunk(file, "IHDR",
              Ihdr(pic.width, pic.height, pic.depth, pic.colourType, pic.interlaced ? 1 : 0));
  if (pic.extraChunks) {
    AppendChunk(file, "gAMA", {0, 0, 0xB1, 0x8F});
    AppendChunk(file, "tEXt", {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'h', 'i'});
    AppendChunk(file, "prVt", {1, 2, 3}, 1);  // a damaged CRC that nobody checks
  }
  if (!pic.palette.empty()) AppendChunk(file, "PLTE", pic.palette);
  if (!pic.trns.empty()) AppendChunk(file, "tRNS", pic.trns);
  const Bytes z = Deflate(FilteredData(pic));
  for (std::size_t at = 0; at < z.size(); at += pic.idatSize) {
    AppendChunk(
        file, "IDAT",
        Bytes(z.begin() + static_cast<std::ptrdiff_t>(at),
              z.begin() + static_cast<std::ptrdiff_t>(std::min(z.size(), at + pic.idatSize))));
    if (pic.extraChunks) AppendChunk(file, "IDAT", {});
  }
  if (pic.extraChunks) AppendChunk(file, "tIME", {7, 232, 1, 2, 3, 4, 5});
  AppendChunk(file, "IEND", {});
  return file;
}

// Samples spread over the whole range of `depth`, from a fixed seed.
Picture Noise(std::uint32_t w, std::uint32_t h, int depth, int colourType, std::uint32_t seed) {
  Picture pic;
  pic.width = w;
  pic.height = h;
  pic.depth = depth;
  pic.colourType = colourType;
  const std::uint32_t maxValue = (1u << depth) - 1;
  std::uint32_t state = seed * 2654435761u + 1;
  pic.samples.resize(w * h * static_cast<std::uint32_t>(ChannelsOf(colourType)));
  for (auto& s : pic.samples) {
    state = state * 1664525u + 1013904223u;
    s = static_cast<std::uint16_t>((state >> 8) % (maxValue + 1));
  }
  if (colourType == 3) {
    for (std::uint32_t i = 0; i <= maxValue; ++i) {
      for (std::uint32_t c = 0; c < 3; ++c)
        pic.palette.push_back(static_cast<std::uint8_t>(i * 37 + c * 91));
    }
  }
  return pic;
}

// The pixels a reader must give: samples scaled with v * 255 / (2^depth - 1) (16 bit: high
// byte), tRNS compared at full precision.
std::vector<Rgba> Expected(const Picture& pic) {
  const std::uint32_t maxValue = (1u << pic.depth) - 1;
  auto scale = [&](std::uint32_t v) {
    return static_cast<std::uint8_t>(pic.depth == 16 ? v >> 8 : v * 255 / maxValue);
  };
  auto key = [&](std::size_t i) {
    return static_cast<std::uint32_t>(pic.trns[2 * i] << 8 | pic.trns[2 * i + 1]);
  };
  const std::size_t channels = static_cast<std::size_t>(ChannelsOf(pic.colourType));
  std::vector<Rgba> out;
  for (std::size_t p = 0; p < std::size_t{pic.width} * pic.height; ++p) {
    const std::uint16_t* s = &pic.samples[p * channels];
    Rgba px;
    switch (pic.colourType) {
      case 0:
        px = {scale(s[0]), scale(s[0]), scale(s[0]),
              std::uint8_t(!pic.trns.empty() && s[0] == key(0) ? 0 : 255)};
        break;
      case 2:
        px = {scale(s[0]), scale(s[1]), scale(s[2]),
              std::uint8_t(!pic.trns.empty() && s[0] == key(0) && s[1] == key(1) && s[2] == key(2)
                               ? 0
                               : 255)};
        break;
      case 3:
        px = {pic.palette[3u * s[0]], pic.palette[3u * s[0] + 1], pic.palette[3u * s[0] + 2],
              s[0] < pic.trns.size() ? pic.trns[s[0]] : std::uint8_t{255}};
        break;
      case 4:
        px = {scale(s[0]), scale(s[0]), scale(s[0]), scale(s[1])};
        break;
      default:
        px = {scale(s[0]), scale(s[1]), scale(s[2]), scale(s[3])};
    }
    out.push_back(px);
  }
  return out;
}

void ExpectPixels(const Picture& pic, const std::string& what) {
  const RgbaImage image = DecodePng(Encode(pic));
  ASSERT_EQ(image.width, static_cast<int>(pic.width)) << what;
  ASSERT_EQ(image.height, static_cast<int>(pic.height)) << what;
  const std::vector<Rgba> expected = Expected(pic);
  ASSERT_EQ(image.pixels.size(), expected.size()) << what;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Rgba& a = image.pixels[i];
    const Rgba& e = expected[i];
    ASSERT_EQ(a, e) << what << " pixel " << i << ": got " << int(a.r) << "," << int(a.g) << ","
                    << int(a.b) << "," << int(a.a) << " want " << int(e.r) << "," << int(e.g) << ","
                    << int(e.b) << "," << int(e.a);
  }
}

// The message of the ImageFormatError that decoding `file` throws ("" when it decodes).
std::string FormatError(const Bytes& file, const ImageLimits& limits = {}) {
  try {
    DecodePng(file, limits);
  } catch (const ImageFormatError& e) {
    return e.what();
  }
  return "";
}

struct Kind {
  int colourType, depth;
};
constexpr Kind kKinds[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                           {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};

std::string Name(const Kind& k, const char* extra = "") {
  return "type " + std::to_string(k.colourType) + " depth " + std::to_string(k.depth) + extra;
}

TEST(PngDecode, EveryColourTypeAndDepthWithEveryFilter) {
  for (const Kind& k : kKinds) {
    for (std::uint8_t filter = 0; filter <= 4; ++filter) {
      Picture pic = Noise(13, 5, k.depth, k.colourType, filter + 1u);
      pic.filters = {filter};
      ExpectPixels(pic, Name(k) + " filter " + std::to_string(filter));
    }
    // All five filters in one picture, so each filter meets rows filtered differently.
    Picture mixed = Noise(29, 11, k.depth, k.colourType, 99);
    mixed.filters = {4, 0, 3, 1, 2, 4, 3};
    ExpectPixels(mixed, Name(k, " mixed filters"));
  }
}

TEST(PngDecode, Adam7ForEveryKindAndSeveralSizes) {
  const std::pair<std::uint32_t, std::uint32_t> sizes[] = {{1, 1}, {3, 3}, {9, 7},  {2, 1},
                                                           {1, 9}, {8, 8}, {17, 13}};
  for (const Kind& k : kKinds) {
    for (const auto& [w, h] : sizes) {
      Picture pic = Noise(w, h, k.depth, k.colourType, w * 31 + h);
      pic.interlaced = true;
      pic.filters = {1, 4, 2, 3, 0};
      ExpectPixels(pic, Name(k) + " adam7 " + std::to_string(w) + "x" + std::to_string(h));
    }
  }
}

TEST(PngDecode, SubByteSamplesScaleToFullRangeAndSixteenBitKeepsHighByte) {
  struct Case {
    int depth;
    std::vector<std::uint16_t> samples;
    std::vector<std::uint8_t> grey;
  };
  const Case cases[] = {
      {1, {0, 1}, {0, 255}},
      {2, {0, 1, 2, 3}, {0, 85, 170, 255}},
      {4, {0, 1, 7, 15}, {0, 17, 119, 255}},
      {16, {0x00FF, 0x1280, 0xFFFF, 0x8000}, {0x00, 0x12, 0xFF, 0x80}},
  };
  for (const Case& c : cases) {
    Picture pic;
    pic.width = static_cast<std::uint32_t>(c.samples.size());
    pic.depth = c.depth;
    pic.samples = c.samples;
    const RgbaImage image = DecodePng(Encode(pic));
    for (std::size_t i = 0; i < c.grey.size(); ++i) {
      EXPECT_EQ(image.pixels[i], (Rgba{c.grey[i], c.grey[i], c.grey[i], 255}))
          << "depth " << c.depth << " sample " << i;
    }
  }
}

TEST(PngDecode, HandFilteredRowsUseTheBytesOfThePixelOnTheLeft) {
  // RGB 8 bit, 2 x 2: row 0 Sub, row 1 Paeth, worked out by hand.
  // Pixels: (10,20,30) (15,25,40) / (12,22,31) (20,30,50).
  const Bytes raw = {1, 10, 20, 30, 5, 5, 10,   // Sub: second pixel minus first
                     4, 2,  2,  1,  5, 5, 10};  // Paeth: up for the first, 5,5,10 from left
  Bytes file = Signature();
  AppendChunk(file, "IHDR", Ihdr(2, 2, 8, 2));
  AppendChunk(file, "IDAT", Deflate(raw));
  AppendChunk(file, "IEND", {});
  const RgbaImage image = DecodePng(file);
  EXPECT_EQ(image.At(0, 0), (Rgba{10, 20, 30, 255}));
  EXPECT_EQ(image.At(1, 0), (Rgba{15, 25, 40, 255}));
  EXPECT_EQ(image.At(0, 1), (Rgba{12, 22, 31, 255}));
  // Paeth for (20,30,50): left (12,22,31), up (15,25,40), up-left (10,20,30) -> p = 17,27,41,
  // nearest is up (15,25,40), so the stored bytes are 5,5,10.
  EXPECT_EQ(image.At(1, 1), (Rgba{20, 30, 50, 255}));

  // 2-bit grey, 8 pixels in 2 bytes, Sub: the left neighbour is the previous byte, not the
  // previous pixel. Bytes 0x1B, 0xE4 are stored as 0x1B, 0xE4 - 0x1B = 0xC9.
  Bytes sub = Signature();
  AppendChunk(sub, "IHDR", Ihdr(8, 1, 2, 0));
  AppendChunk(sub, "IDAT", Deflate({1, 0x1B, 0xC9}));
  AppendChunk(sub, "IEND", {});
  const RgbaImage grey = DecodePng(sub);
  const std::uint8_t want[8] = {0, 85, 170, 255, 255, 170, 85, 0};
  for (int x = 0; x < 8; ++x) EXPECT_EQ(grey.At(x, 0).r, want[x]) << x;
}

TEST(PngTransparency, EachKindOfTrnsChunk) {
  // Grey 16 bit: the key matches the full sample, so 0x1234 is clear but 0x12FF (also 0x12
  // after reduction) stays opaque.
  Picture grey16;
  grey16.width = 3;
  grey16.depth = 16;
  grey16.samples = {0x1234, 0x12FF, 0x0000};
  grey16.trns = {0x12, 0x34};
  ExpectPixels(grey16, "grey 16");
  EXPECT_EQ(DecodePng(Encode(grey16)).pixels[1].a, 255);
  EXPECT_EQ(DecodePng(Encode(grey16)).pixels[0].a, 0);

  Picture grey2 = Noise(11, 3, 2, 0, 5);
  grey2.trns = {0, 2};
  ExpectPixels(grey2, "grey 2");

  Picture rgb16;
  rgb16.width = 3;
  rgb16.depth = 16;
  rgb16.colourType = 2;
  rgb16.samples = {0x0102, 0x0304, 0x0506, 0x0102, 0x0304, 0x0507, 0x0102, 0x0304, 0x0506};
  rgb16.trns = {1, 2, 3, 4, 5, 6};
  const RgbaImage rgb = DecodePng(Encode(rgb16));
  EXPECT_EQ(rgb.pixels[0], (Rgba{1, 3, 5, 0}));
  EXPECT_EQ(rgb.pixels[1], (Rgba{1, 3, 5, 255}));
  EXPECT_EQ(rgb.pixels[2], (Rgba{1, 3, 5, 0}));

  Picture rgb8 = Noise(7, 7, 8, 2, 8);
  rgb8.samples[3] = 9, rgb8.samples[4] = 8, rgb8.samples[5] = 7;
  rgb8.trns = {0, 9, 0, 8, 0, 7};
  ExpectPixels(rgb8, "rgb 8");

  // Palette: alpha per entry, entries past the tRNS data stay opaque.
  Picture pal = Noise(16, 4, 4, 3, 12);
  pal.trns = {0, 128, 255, 7};
  pal.interlaced = true;
  ExpectPixels(pal, "palette 4");
}

TEST(PngTransparency, MalformedOrMisplacedTrnsIsIgnored) {
  struct Case {
    const char* what;
    Picture pic;
    Bytes trns;
  };
  Case cases[] = {
      {"grey with 4 bytes", Noise(4, 4, 8, 0, 1), {0, 1, 0, 2}},
      {"rgb with 2 bytes", Noise(4, 4, 8, 2, 1), {0, 1}},
      {"more entries than the palette", Noise(4, 4, 1, 3, 1), {0, 0, 0}},
      {"grey+alpha", Noise(4, 4, 8, 4, 1), {0, 0}},
  };
  for (Case& c : cases) {
    c.pic.trns = c.trns;
    const Bytes file = Encode(c.pic);
    c.pic.trns.clear();
    const RgbaImage image = DecodePng(file);
    EXPECT_EQ(image.pixels, Expected(c.pic)) << c.what;
  }
  // After the image data it comes too late to count.
  Picture pic;
  pic.samples = {7};
  Bytes file = Encode(pic);
  file.resize(file.size() - 12);
  AppendChunk(file, "tRNS", {0, 7});
  AppendChunk(file, "IEND", {});
  EXPECT_EQ(DecodePng(file).pixels[0], (Rgba{7, 7, 7, 255}));
}

TEST(PngChunks, ImageDataSplitAcrossManyIdatChunksAndAncillaryChunksSkipped) {
  for (const std::size_t size : {std::size_t{1}, std::size_t{2}, std::size_t{7}, std::size_t{64}}) {
    Picture pic = Noise(21, 9, 8, 6, static_cast<std::uint32_t>(size));
    pic.filters = {0, 1, 2, 3, 4};
    pic.idatSize = size;
    pic.extraChunks = size != 64;
    ExpectPixels(pic, "idat size " + std::to_string(size));
    pic.interlaced = true;
    ExpectPixels(pic, "adam7 idat size " + std::to_string(size));
  }
}

TEST(PngDecode, PicturesOfManyLongRowsWithEveryFilterAcrossTheRowsAbove) {
  // Rows of 6,000 to 16,000 bytes: far more inflated data than is held at a time, with row
  // counts that do and do not divide evenly.
  struct Case {
    std::uint32_t w, h;
    int depth, colourType;
    std::size_t idatSize;
  };
  const Case cases[] = {
      {2000, 37, 8, 6, 1u << 30}, {2000, 16, 8, 2, 4096}, {1000, 21, 16, 6, 100000}};
  for (const Case& c : cases) {
    Picture pic = Noise(c.w, c.h, c.depth, c.colourType, c.w + c.h);
    pic.filters = {4, 2, 3, 1, 0, 4, 4, 2};
    pic.idatSize = c.idatSize;
    ExpectPixels(pic, std::to_string(c.w) + " x " + std::to_string(c.h));
  }
}

TEST(PngChunks, DataAfterIendAndExcessImageDataAreIgnored) {
  Picture pic = Noise(5, 4, 8, 2, 3);
  Bytes file = Encode(pic);
  file.insert(file.end(), {0xDE, 0xAD, 0xBE, 0xEF, 1, 2, 3});
  EXPECT_EQ(DecodePng(file).pixels, Expected(pic));

  // Image data followed by 8 MB of zeros (a small stream that inflates far beyond the
  // picture): only the expected rows are used.
  Bytes raw = FilteredData(pic);
  raw.resize(raw.size() + (8u << 20), 0);
  Bytes bomb = Signature();
  AppendChunk(bomb, "IHDR", Ihdr(5, 4, 8, 2));
  AppendChunk(bomb, "IDAT", Deflate(raw));
  AppendChunk(bomb, "IEND", {});
  EXPECT_LT(bomb.size(), 64u << 10);
  EXPECT_EQ(DecodePng(bomb).pixels, Expected(pic));
}

TEST(PngDamaged, TruncationAtEveryOffsetIsAFormatError) {
  Picture palette = Noise(6, 5, 2, 3, 4);
  palette.trns = {10, 20};
  palette.interlaced = true;
  palette.idatSize = 9;
  Picture rgba16 = Noise(3, 4, 16, 6, 5);
  rgba16.filters = {4, 3};
  rgba16.extraChunks = true;
  const Picture grey1 = Noise(17, 3, 1, 0, 6);
  for (const Picture* pic : std::vector<const Picture*>{&palette, &rgba16, &grey1}) {
    const Bytes file = Encode(*pic);
    ASSERT_EQ(DecodePng(file).pixels, Expected(*pic));
    for (std::size_t n = 0; n < file.size(); ++n) {
      const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
      EXPECT_NE(FormatError(cut), "") << "cut at " << n << " of " << file.size();
    }
  }
}

// A grey 8-bit 4 x 2 picture from its parts; the IDAT data is `raw` deflated.
Bytes Build(const Bytes& ihdr, const Bytes& raw, std::uint32_t idatCrcDelta = 0) {
  Bytes file = Signature();
  AppendChunk(file, "IHDR", ihdr);
  AppendChunk(file, "IDAT", Deflate(raw), idatCrcDelta);
  AppendChunk(file, "IEND", {});
  return file;
}

const Bytes kGreyRaw = {0, 1, 2, 3, 4, 0, 5, 6, 7, 8};

TEST(PngDamaged, CrcErrorsInCriticalChunks) {
  const Bytes ihdr = Ihdr(4, 2, 8, 0);
  EXPECT_EQ(FormatError(Build(ihdr, kGreyRaw)), "");
  EXPECT_NE(FormatError(Build(ihdr, kGreyRaw, 1)).find("CRC error in the IDAT chunk"),
            std::string::npos);
  Bytes badIhdr = Build(ihdr, kGreyRaw);
  badIhdr[8 + 8 + 13] ^= 0x40;  // first byte of the IHDR CRC
  EXPECT_NE(FormatError(badIhdr).find("CRC error in the IHDR chunk"), std::string::npos);
  Bytes badIend = Build(ihdr, kGreyRaw);
  badIend.back() ^= 1;
  EXPECT_NE(FormatError(badIend).find("CRC error in the IEND chunk"), std::string::npos);
  Picture pal = Noise(3, 3, 8, 3, 1);
  pal.palette.resize(30);
  Bytes badPlte = Encode(pal);
  badPlte[33 + 8 + 30] ^= 0x80;  // PLTE's CRC
  EXPECT_NE(FormatError(badPlte).find("CRC error in the PLTE chunk"), std::string::npos);
}

TEST(PngDamaged, InvalidHeaders) {
  struct Case {
    Bytes ihdr;
    const char* message;
  };
  const Case cases[] = {
      {Ihdr(4, 2, 3, 0), "bit depth 3 is not allowed for colour type 0"},
      {Ihdr(4, 2, 4, 2), "bit depth 4 is not allowed for colour type 2"},
      {Ihdr(4, 2, 16, 3), "bit depth 16 is not allowed for colour type 3"},
      {Ihdr(4, 2, 1, 4), "bit depth 1 is not allowed for colour type 4"},
      {Ihdr(4, 2, 2, 6), "bit depth 2 is not allowed for colour type 6"},
      {Ihdr(4, 2, 8, 1), "unknown colour type 1"},
      {Ihdr(4, 2, 8, 5), "unknown colour type 5"},
      {Ihdr(4, 2, 8, 7), "unknown colour type 7"},
      {Ihdr(4, 2, 8, 0, 0, 1), "unknown compression method 1"},
      {Ihdr(4, 2, 8, 0, 0, 0, 1), "unknown filter method 1"},
      {Ihdr(4, 2, 8, 0, 2), "unknown interlace method 2"},
      {Bytes(12, 1), "IHDR has 12 bytes, not 13"},
      {Ihdr(0, 2, 8, 0), "invalid picture size 0 x 2"},
  };
  for (const Case& c : cases) {
    EXPECT_NE(FormatError(Build(c.ihdr, kGreyRaw)).find(c.message), std::string::npos)
        << c.message << " / got: " << FormatError(Build(c.ihdr, kGreyRaw));
  }
}

TEST(PngDamaged, OversizedPicturesAreRefusedBeforeAnyAllocation) {
  const Bytes tall = Build(Ihdr(1, 0x80000000u, 8, 0), kGreyRaw);
  try {
    DecodePng(tall);
    FAIL() << "a 1 x 2^31 picture was accepted";
  } catch (const ImageTooLargeError& e) {
    EXPECT_NE(std::string(e.what()).find("limit of 32768"), std::string::npos) << e.what();
  }
  // With limits that would allow it, the format's own bound of 2^31-1 still refuses it.
  ImageLimits loose;
  loose.maxHeight = loose.maxPixels = std::int64_t{1} << 40;
  EXPECT_NE(FormatError(tall, loose).find("beyond 2^31-1"), std::string::npos);
  // A tighter pixel limit is honoured too.
  ImageLimits tight;
  tight.maxPixels = 7;
  EXPECT_THROW(DecodePng(Build(Ihdr(4, 2, 8, 0), kGreyRaw), tight), ImageTooLargeError);
}

TEST(PngDamaged, StructuralErrorsNameTheFault) {
  const Bytes ihdr = Ihdr(4, 2, 8, 0);
  auto withChunkBefore = [&](const char* type, const Bytes& data) {
    Bytes file = Signature();
    AppendChunk(file, "IHDR", ihdr);
    AppendChunk(file, type, data);
    AppendChunk(file, "IDAT", Deflate(kGreyRaw));
    AppendChunk(file, "IEND", {});
    return file;
  };
  Bytes absurd = Signature();
  AppendChunk(absurd, "IHDR", ihdr);
  PutU32(absurd, 0xFFFFFFF0u);
  absurd.insert(absurd.end(), {'I', 'D', 'A', 'T', 0, 0, 0, 0});
  Bytes longer = Signature();
  AppendChunk(longer, "IHDR", ihdr);
  PutU32(longer, 0x7FFFFFFFu);
  longer.insert(longer.end(), {'I', 'D', 'A', 'T', 0, 0, 0, 0});
  Bytes noIdat = Signature();
  AppendChunk(noIdat, "IHDR", ihdr);
  AppendChunk(noIdat, "IEND", {});
  Bytes idatFirst = Signature();
  AppendChunk(idatFirst, "IDAT", Deflate(kGreyRaw));
  Bytes notPng = Build(ihdr, kGreyRaw);
  notPng[1] = 'p';
  Bytes paletteAfterData = Encode(Noise(2, 2, 8, 2, 1));
  paletteAfterData.resize(paletteAfterData.size() - 12);
  AppendChunk(paletteAfterData, "PLTE", {1, 2, 3});
  AppendChunk(paletteAfterData, "IEND", {});
  Bytes iendData = Build(ihdr, kGreyRaw);
  iendData.resize(iendData.size() - 12);
  AppendChunk(iendData, "IEND", {0});
  // A preset dictionary (FDICT set, check bits corrected): PNG has no dictionary to give.
  Bytes withDictionary = Deflate(kGreyRaw);
  withDictionary[1] = static_cast<std::uint8_t>(0x20 + 31 - (withDictionary[0] * 256 + 0x20) % 31);
  Bytes dictionary = Signature();
  AppendChunk(dictionary, "IHDR", ihdr);
  AppendChunk(dictionary, "IDAT", withDictionary);
  AppendChunk(dictionary, "IEND", {});
  Bytes adler = Signature();
  AppendChunk(adler, "IHDR", ihdr);
  Bytes z = Deflate(kGreyRaw);
  z.back() ^= 1;  // the low byte of the Adler-32 at the end of the stream
  AppendChunk(adler, "IDAT", z);
  AppendChunk(adler, "IEND", {});
  // The same, with the stream's end spread over chunks of one byte.
  Bytes adlerAcross = Signature();
  AppendChunk(adlerAcross, "IHDR", ihdr);
  for (const std::uint8_t b : z) AppendChunk(adlerAcross, "IDAT", {b});
  AppendChunk(adlerAcross, "IEND", {});

  struct Case {
    const char* what;
    Bytes file;
    const char* message;
  };
  const Case cases[] = {
      {"absurd length", absurd, "chunk length 4294967280 over 2^31-1"},
      {"length beyond the file", longer, "file ends inside the IDAT chunk"},
      {"no IDAT", noIdat, "no IDAT chunk"},
      {"IDAT first", idatFirst, "the first chunk is IDAT, not IHDR"},
      {"no signature", notPng, "not a PNG file"},
      {"second IHDR", withChunkBefore("IHDR", ihdr), "more than one IHDR chunk"},
      {"unknown critical", withChunkBefore("CRIT", {1}), "unknown critical chunk CRIT"},
      {"bad chunk type", withChunkBefore("IH1R", {}), "invalid chunk type"},
      {"palette in grey", withChunkBefore("PLTE", {1, 2, 3}), "PLTE chunk in a greyscale"},
      {"PLTE after IDAT", paletteAfterData, "PLTE chunk after the image data"},
      {"IEND with data", iendData, "IEND chunk with data"},
      {"bad filter", Build(ihdr, {0, 1, 2, 3, 4, 5, 5, 6, 7, 8}), "unknown row filter type 5"},
      {"short data", Build(ihdr, {0, 1, 2, 3, 4, 0, 5, 6, 7}), "too little image data"},
      {"zlib header", dictionary, "damaged image data"},
      {"adler-32", adler, "damaged image data (incorrect data check)"},
      {"adler-32 across chunks", adlerAcross, "damaged image data (incorrect data check)"},
  };
  for (const Case& c : cases) {
    const std::string message = FormatError(c.file);
    EXPECT_NE(message.find(c.message), std::string::npos) << c.what << " / got: " << message;
  }
}

TEST(PngDamaged, PaletteFaults) {
  Picture pic = Noise(5, 3, 4, 3, 2);
  pic.palette.resize(3 * 4);  // indices up to 15, only 4 entries
  pic.samples.assign(pic.samples.size(), 3);
  ExpectPixels(pic, "indices inside a short palette");
  pic.samples[7] = 4;
  EXPECT_NE(FormatError(Encode(pic)).find("palette index 4 beyond the 4 palette entries"),
            std::string::npos);
  pic.palette.clear();
  EXPECT_NE(FormatError(Encode(pic)).find("no PLTE chunk"), std::string::npos);
  pic.palette = {1, 2, 3, 4};
  EXPECT_NE(FormatError(Encode(pic)).find("PLTE chunk of 4 bytes"), std::string::npos);
}

TEST(PngDamaged, RowFaultsAreReportedAfterTheChunksInTheirOrder) {
  // A 2 x 3 palette picture with one entry: its rows as `raw`, the file ending as `tail` says.
  enum Tail { kWhole, kBadIendCrc, kNoIend };
  auto file = [](const Bytes& raw, Tail tail) {
    Bytes out = Signature();
    AppendChunk(out, "IHDR", Ihdr(2, 3, 8, 3));
    AppendChunk(out, "PLTE", {9, 8, 7});
    AppendChunk(out, "IDAT", Deflate(raw));
    if (tail != kNoIend) AppendChunk(out, "IEND", {}, tail == kBadIendCrc ? 1 : 0);
    return out;
  };
  const Bytes badIndexThenBadFilter = {0, 0, 5, 0, 0, 0, 7, 0, 0};
  const Bytes badIndexOnly = {0, 0, 0, 0, 3, 0, 0, 0, 0};
  const Bytes badFilterFirst = {9, 0, 0, 0, 0, 0, 0, 0, 0};
  const Bytes badFilterShort = {6, 0, 0, 0, 0, 0};
  struct Case {
    const char* what;
    Bytes file;
    const char* message;
  };
  const Case cases[] = {
      // An unknown filter in any row comes before a bad index in an earlier one.
      {"index then filter", file(badIndexThenBadFilter, kWhole), "unknown row filter type 7"},
      {"index only", file(badIndexOnly, kWhole), "palette index 3 beyond the 1 palette entries"},
      // Faults of the chunks after the rows, and missing rows, come before either.
      {"filter, IEND CRC", file(badFilterFirst, kBadIendCrc), "CRC error in the IEND chunk"},
      {"index, IEND CRC", file(badIndexOnly, kBadIendCrc), "CRC error in the IEND chunk"},
      {"filter, no IEND", file(badFilterFirst, kNoIend), "file ends before the IEND chunk"},
      {"index, no IEND", file(badIndexOnly, kNoIend), "file ends before the IEND chunk"},
      {"filter, short", file(badFilterShort, kWhole), "too little image data"},
  };
  for (const Case& c : cases) {
    const std::string message = FormatError(c.file);
    EXPECT_NE(message.find(c.message), std::string::npos) << c.what << " / got: " << message;
  }
  EXPECT_EQ(FormatError(file({0, 0, 0, 2, 0, 0, 0, 0, 0}, kWhole)), "");
}

TEST(PngDamaged, ImageDataEndingBeforeTheLastRowIsTooLittleData) {
  const Picture pic = Noise(8, 8, 8, 0, 1);
  const Bytes z = Deflate(FilteredData(pic));
  // The first 16-byte chunks of the stream, the file otherwise well formed.
  Bytes file = Signature();
  AppendChunk(file, "IHDR", Ihdr(8, 8, 8, 0));
  for (std::size_t at = 0; at + 16 <= z.size() / 2; at += 16) {
    AppendChunk(file, "IDAT",
                Bytes(z.begin() + static_cast<std::ptrdiff_t>(at),
                      z.begin() + static_cast<std::ptrdiff_t>(at + 16)));
  }
  AppendChunk(file, "IEND", {});
  EXPECT_NE(FormatError(file).find("too little image data"), std::string::npos);

  // A stream whose rows are all there but whose end (the Adler-32) is missing is accepted.
  Bytes noTrailer = Signature();
  AppendChunk(noTrailer, "IHDR", Ihdr(8, 8, 8, 0));
  AppendChunk(noTrailer, "IDAT", Bytes(z.begin(), z.end() - 4));
  AppendChunk(noTrailer, "IEND", {});
  EXPECT_EQ(DecodePng(noTrailer).pixels, Expected(pic));
}

TEST(PngFiles, CrashersGiveTheirSpecificError) {
  const std::string dir = std::string(TAPISTO_TEST_DATA) + "/crashers/";
  EXPECT_THROW(ReadPngFile(dir + "png-1x2147483648.png"), ImageTooLargeError);
  try {
    ReadPngFile(dir + "png-truncated-idat.png");
    FAIL() << "the truncated file was accepted";
  } catch (const ImageTooLargeError&) {
    FAIL() << "truncation reported as a picture too large";
  } catch (const ImageFormatError& e) {
    EXPECT_NE(std::string(e.what()).find("file ends inside the IDAT chunk"), std::string::npos)
        << e.what();
  }
  try {
    ReadPngFile(dir + "png-palette-index.png");
    FAIL() << "the palette index was accepted";
  } catch (const ImageFormatError& e) {
    EXPECT_NE(std::string(e.what()).find("palette index"), std::string::npos) << e.what();
  }
}

TEST(PngFiles, ReadsThroughTheFileLimit) {
  test::TempDir dir;
  Picture pic = Noise(4, 4, 8, 6, 1);
  const Bytes file = Encode(pic);
  WriteWholeFile(dir.File("a.png"), file);
  EXPECT_EQ(ReadPngFile(dir.File("a.png")).pixels, Expected(pic));
  ImageLimits small;
  small.maxInputBytes = static_cast<std::int64_t>(file.size()) - 1;
  EXPECT_THROW(ReadPngFile(dir.File("a.png"), small), ImageTooLargeError);
  EXPECT_THROW(ReadPngFile(dir.File("missing.png")), FileReadError);
}

// A file far too short for the picture its header claims is refused before its pixels are
// allocated; the smallest files that hold pictures at the size limits (rows of zeros deflated at
// level 9, close to deflate's densest) decode.
TEST(PngDecode, AFileTooShortForItsPictureIsRefusedAndTheSmallestValidOnesDecode) {
  auto zeros = [](std::uint32_t w, std::uint32_t h, int colourType, std::size_t rows) {
    Bytes file = Signature();
    AppendChunk(file, "IHDR", Ihdr(w, h, 8, colourType));
    const std::size_t rowBytes = w * static_cast<std::size_t>(ChannelsOf(colourType)) + 1;
    AppendChunk(file, "IDAT", Deflate(Bytes(rowBytes * rows, 0)));
    AppendChunk(file, "IEND", {});
    return file;
  };
  try {
    DecodePng(zeros(16000, 16000, 0, 2));
    ADD_FAILURE() << "decoded";
  } catch (const ImageFormatError& e) {
    EXPECT_TRUE(std::string(e.what()).starts_with("PNG: 16000 x 16000 pixels take at least "))
        << e.what();
  }
  const struct {
    std::uint32_t w, h;
    int colourType;
  } cases[] = {{32768, 8, 6}, {8, 32768, 6}, {4096, 4096, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
    const RgbaImage decoded = DecodePng(zeros(c.w, c.h, c.colourType, c.h));
    EXPECT_EQ(decoded.width, static_cast<int>(c.w));
    EXPECT_EQ(decoded.height, static_cast<int>(c.h));
  }
}

}  // namespace
}  // namespace tapisto
