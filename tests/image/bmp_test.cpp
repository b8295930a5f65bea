#include "image/bmp.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "base/error.h"
#include "support/temp_dir.h"

namespace tapisto {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Rows = std::vector<std::vector<std::uint32_t>>;

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3;

// The parts of a BMP file as a test lays them out; BuildBmp writes them byte by byte.
struct BmpLayout {
  std::uint32_t headerSize = 40;  // 12 (core), 40, 108 or 124
  std::int32_t width = 1;
  std::int32_t height = 1;
  std::uint16_t bits = 24;
  std::uint32_t compression = kRgb;
  std::uint32_t clrUsed = 0;
  std::vector<Colour> table;             // 3-byte entries after a core header, else 4
  std::array<std::uint32_t, 3> masks{};  // after a 40-byte header when BI_BITFIELDS, else inside
  Bytes gap;                             // between the colour table and the pixel data
  Bytes pixels;
  std::optional<std::uint32_t> offBits;  // default: where the pixel data starts
};

void Put16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v & 0xFF));
  b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

Bytes BuildBmp(const BmpLayout& f) {
  const bool core = f.headerSize == 12;
  const bool masksAfter = f.headerSize == 40 && f.compression == kBitfields;
  const std::size_t start =
      14 + f.headerSize + (masksAfter ? 12 : 0) + f.table.size() * (core ? 3 : 4) + f.gap.size();
  Bytes b{'B', 'M'};
  Put32(b, static_cast<std::uint32_t>(start + f.pixels.size()));
  Put32(b, 0);
  Put32(b, f.offBits.value_or(static_cast<std::uint32_t>(start)));
  Put32(b, f.headerSize);
  if (core) {
    Put16(b, static_cast<std::uint32_t>(f.width));
    Put16(b, static_cast<std::uint32_t>(f.height));
    Put16(b, 1);
    Put16(b, f.bits);
  } else {
    Put32(b, static_cast<std::uint32_t>(f.width));
    Put32(b, static_cast<std::uint32_t>(f.height));
    Put16(b, 1);
    Put16(b, f.bits);
    Put32(b, f.compression);
    Put32(b, static_cast<std::uint32_t>(f.pixels.size()));
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, f.clrUsed);
    Put32(b, 0);
    if (f.headerSize > 40) {
      for (const std::uint32_t m : f.masks) Put32(b, m);
      Put32(b, 0xFF000000u);  // alpha mask, ignored
      b.resize(14 + f.headerSize, 0);
    }
    if (masksAfter) {
      for (const std::uint32_t m : f.masks) Put32(b, m);
    }
  }
  for (const Colour c : f.table) {
    b.push_back(BlueOf(c));
    b.push_back(GreenOf(c));
    b.push_back(RedOf(c));
    if (!core) b.push_back(0x5A);  // the reserved byte is not part of the colour
  }
  b.insert(b.end(), f.gap.begin(), f.gap.end());
  b.insert(b.end(), f.pixels.begin(), f.pixels.end());
  return b;
}

// Pixel rows in file order, each padded to 4 bytes. A value is an index (1, 4, 8 bits), a
// little-endian word (16, 32 bits) or a Colour written blue, green, red (24 bits).
Bytes PackRows(int bits, const Rows& rows) {
  Bytes out;
  for (const auto& row : rows) {
    Bytes r((row.size() * static_cast<std::size_t>(bits) + 31) / 32 * 4, 0);
    for (std::size_t x = 0; x < row.size(); ++x) {
      const std::uint32_t v = row[x];
      if (bits < 8) {
        const std::size_t bit = x * static_cast<std::size_t>(bits);
        const int shift = 8 - bits - static_cast<int>(bit % 8);
        r[bit / 8] = static_cast<std::uint8_t>(r[bit / 8] | (v << shift));
      } else if (bits == 24) {
        r[3 * x] = BlueOf(v);
        r[3 * x + 1] = GreenOf(v);
        r[3 * x + 2] = RedOf(v);
      } else {
        for (std::size_t i = 0; i < static_cast<std::size_t>(bits) / 8; ++i) {
          r[x * static_cast<std::size_t>(bits) / 8 + i] =
              static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
        }
      }
    }
    out.insert(out.end(), r.begin(), r.end());
  }
  return out;
}

// A colour table of n distinct entries.
std::vector<Colour> Table(std::size_t n) {
  std::vector<Colour> t;
  for (std::size_t i = 0; i < n; ++i) {
    const int v = static_cast<int>(i);
    t.push_back(ComposeRgb(v, 255 - v, (v * 7) & 0xFF));
  }
  return t;
}

// "TypeName : message" of the error DecodeBmp throws, or "no error".
std::string ErrorOf(const Bytes& bytes, const ImageLimits& limits = {}) {
  try {
    DecodeBmp(bytes, limits);
  } catch (const Error& e) {
    return Describe(e);
  }
  return "no error";
}

#define EXPECT_CONTAINS(text, part) \
  EXPECT_NE(std::string(text).find(part), std::string::npos) << (text) << "\n  lacks: " << (part)

// Checks every pixel of `r` against rows of expected colours, top row first.
void ExpectPixels(const Raster& r, const std::vector<std::vector<Colour>>& top) {
  ASSERT_EQ(r.Height(), static_cast<int>(top.size()));
  for (int y = 0; y < r.Height(); ++y) {
    const auto& row = top[static_cast<std::size_t>(y)];
    ASSERT_EQ(r.Width(), static_cast<int>(row.size()));
    for (int x = 0; x < r.Width(); ++x) {
      EXPECT_EQ(r.Pixel(x, y), row[static_cast<std::size_t>(x)]) << "at " << x << "," << y;
    }
  }
}

TEST(BmpDecode, IndexedPicturesKeepFormatColourTableAndIndicesForEveryHeaderKind) {
  struct Case {
    std::uint16_t bits;
    PixelFormat format;
    Rows indices;  // file order: bottom row first
  };
  const std::vector<Case> cases = {
      {1, PixelFormat::Bit1, {{1, 0, 1, 1, 0, 0, 0, 1, 1}, {0, 1, 0, 0, 1, 1, 1, 0, 0}}},
      {4, PixelFormat::Bit4, {{15, 0, 7}, {1, 14, 8}}},
      {8, PixelFormat::Bit8, {{255, 0, 128, 3, 9}, {17, 200, 1, 254, 64}}},
  };
  for (const std::uint32_t headerSize : {12u, 40u, 108u, 124u}) {
    for (const Case& c : cases) {
      BmpLayout f;
      f.headerSize = headerSize;
      f.bits = c.bits;
      f.width = static_cast<std::int32_t>(c.indices[0].size());
      f.height = 2;
      f.table = Table(std::size_t{1} << c.bits);
      f.pixels = PackRows(c.bits, c.indices);
      SCOPED_TRACE("header " + std::to_string(headerSize) + ", bits " + std::to_string(c.bits));
      const Raster r = DecodeBmp(BuildBmp(f));
      EXPECT_EQ(r.Format(), c.format);
      EXPECT_EQ(r.Palette(), f.table);
      std::vector<std::vector<Colour>> expected;
      for (auto it = c.indices.rbegin(); it != c.indices.rend(); ++it) {
        std::vector<Colour> row;
        for (const std::uint32_t i : *it) row.push_back(f.table[i]);
        expected.push_back(row);
      }
      ExpectPixels(r, expected);
    }
  }
}

TEST(BmpDecode, TwentyFourBitRowsBottomUpAndTopDown) {
  const Colour a = ComposeRgb(1, 2, 3), b = ComposeRgb(250, 128, 7), c = ComposeRgb(0, 0, 255);
  const Colour d = ComposeRgb(9, 99, 199), e = kWhite, g = 0;
  for (const std::uint32_t headerSize : {12u, 40u, 108u, 124u}) {
    BmpLayout f;
    f.headerSize = headerSize;
    f.width = 3;
    f.height = 2;
    f.pixels = PackRows(24, {{d, e, g}, {a, b, c}});
    const Raster up = DecodeBmp(BuildBmp(f));
    EXPECT_EQ(up.Format(), PixelFormat::Bit24);
    EXPECT_TRUE(up.Palette().empty());
    ExpectPixels(up, {{a, b, c}, {d, e, g}});
    if (headerSize == 12) continue;  // the core header has no sign
    f.height = -2;
    f.pixels = PackRows(24, {{a, b, c}, {d, e, g}});
    ExpectPixels(DecodeBmp(BuildBmp(f)), {{a, b, c}, {d, e, g}});
  }
}

TEST(BmpDecode, SixteenBitFieldsWidenByBitReplication) {
  struct Case {
    std::uint32_t compression;
    std::array<std::uint32_t, 3> masks;
    std::uint32_t word;
    Colour expected;
  };
  const std::array<std::uint32_t, 3> k555{}, k565{0xF800, 0x07E0, 0x001F};
  const std::array<std::uint32_t, 3> k444{0x0F00, 0x00F0, 0x000F};
  const std::vector<Case> cases = {
      {kRgb, k555, 0x7FFF, kWhite},
      {kRgb, k555, 0x8000, 0},  // the top bit is unused
      {kRgb, k555, 0x7C00, ComposeRgb(255, 0, 0)},
      {kRgb, k555, 0x0001, ComposeRgb(0, 0, 8)},      // (1 << 3) | (1 >> 2)
      {kRgb, k555, 0x0210, ComposeRgb(0, 132, 132)},  // 16 -> 128 | 4
      {kBitfields, k565, 0x0020, ComposeRgb(0, 4, 0)},
      {kBitfields, k565, 0x07E0, ComposeRgb(0, 255, 0)},
      {kBitfields, k565, 0x0841, ComposeRgb(8, 8, 8)},
      {kBitfields, k565, 0xFFFF, kWhite},
      {kBitfields, k444, 0x0A50, ComposeRgb(0xAA, 0x55, 0)},
      {kBitfields, {0x7C00, 0, 0x001F}, 0x7FFF, ComposeRgb(255, 0, 255)},  // no green field
  };
  for (const std::uint32_t headerSize : {40u, 108u, 124u}) {
    for (const Case& c : cases) {
      BmpLayout f;
      f.headerSize = headerSize;
      f.bits = 16;
      f.compression = c.compression;
      f.masks = c.masks;
      f.pixels = PackRows(16, {{c.word}});
      const Raster r = DecodeBmp(BuildBmp(f));
      EXPECT_EQ(r.Format(), PixelFormat::Bit16);
      EXPECT_EQ(r.Pixel(0, 0), c.expected) << "word " << c.word << ", header " << headerSize;
    }
  }
}

TEST(BmpDecode, ThirtyTwoBitReadsBgrxOrScalesArbitraryMasks) {
  struct Case {
    std::uint32_t compression;
    std::array<std::uint32_t, 3> masks;
    std::uint32_t word;
    Colour expected;
  };
  const std::vector<Case> cases = {
      {kRgb, {}, 0xFF112233u, ComposeRgb(0x11, 0x22, 0x33)},  // the fourth byte is ignored
      {kBitfields, {0x000000FF, 0x0000FF00, 0x00FF0000}, 0x80332211u, ComposeRgb(0x11, 0x22, 0x33)},
      // 10 bits per field keep their top 8.
      {kBitfields, {0x3FF00000, 0x000FFC00, 0x000003FF}, 0x3FF80001u, ComposeRgb(255, 0x80, 0)},
      // 2-bit fields: 3 -> 255, 2 -> 0xAA, 1 -> 0x55.
      {kBitfields, {0x3, 0xC, 0x30}, 0x1B, ComposeRgb(255, 0xAA, 0x55)},
      // A 1-bit field at the top of the word.
      {kBitfields, {0x80000000u, 0x1, 0x2}, 0x80000002u, ComposeRgb(255, 0, 255)},
      {kBitfields, {0xFFFFFFFFu, 0, 0}, 0xAB000000u, ComposeRgb(0xAB, 0, 0)},
  };
  for (const std::uint32_t headerSize : {40u, 108u, 124u}) {
    for (const Case& c : cases) {
      BmpLayout f;
      f.headerSize = headerSize;
      f.bits = 32;
      f.compression = c.compression;
      f.masks = c.masks;
      f.width = 2;
      f.pixels = PackRows(32, {{c.word, 0}});
      const Raster r = DecodeBmp(BuildBmp(f));
      EXPECT_EQ(r.Format(), PixelFormat::Bit32);
      EXPECT_EQ(r.Pixel(0, 0), c.expected) << "word " << c.word << ", header " << headerSize;
      EXPECT_EQ(r.Pixel(1, 0), 0u);
    }
  }
}

TEST(BmpDecode, ClrUsedSizesTheTableAndIndicesPastItAreBlack) {
  BmpLayout f;
  f.bits = 8;
  f.width = 5;
  f.clrUsed = 3;
  f.table = Table(3);
  f.pixels = PackRows(8, {{0, 1, 2, 3, 255}});
  Raster r = DecodeBmp(BuildBmp(f));
  EXPECT_EQ(r.Palette(), f.table);
  ExpectPixels(r, {{f.table[0], f.table[1], f.table[2], 0, 0}});

  f.bits = 4;
  f.clrUsed = 2;
  f.table = Table(2);
  f.pixels = PackRows(4, {{1, 0, 2, 15, 1}});
  r = DecodeBmp(BuildBmp(f));
  EXPECT_EQ(r.Palette().size(), 2u);
  ExpectPixels(r, {{f.table[1], f.table[0], 0, 0, f.table[1]}});
}

TEST(BmpDecode, PixelDataIsReadFromBfOffBits) {
  for (const std::uint32_t headerSize : {40u, 124u}) {
    BmpLayout f;
    f.headerSize = headerSize;
    f.bits = 8;
    f.width = 2;
    f.clrUsed = 2;
    f.table = Table(2);
    f.gap = {1, 1, 1, 1, 1, 1, 1};  // would read as index 1 if taken for pixels
    f.pixels = PackRows(8, {{0, 0}});
    const Raster r = DecodeBmp(BuildBmp(f));
    ExpectPixels(r, {{f.table[0], f.table[0]}});
  }
}

TEST(BmpDecode, Rle8RunsEscapesAndUnwrittenPixels) {
  BmpLayout f;
  f.bits = 8;
  f.compression = kRle8;
  f.width = 6;
  f.height = 4;
  f.table = Table(8);
  f.clrUsed = 8;
  f.pixels = {
      3,  1, 0, 3, 2, 3, 4, 0,  // bottom row: run of three 1s, absolute 2 3 4 (padded)
      0,  0,                    // end of line
      2,  5, 0, 2, 2, 1,        // two 5s, then delta 2 right, 1 up
      2,  6, 0, 0,              // two 6s at x = 4, end of line
      10, 7,                    // a run of ten 7s: clipped at the row end
      0,  1,                    // end of bitmap
  };
  const Raster r = DecodeBmp(BuildBmp(f));
  EXPECT_EQ(r.Format(), PixelFormat::Bit8);
  const auto& t = f.table;
  ExpectPixels(r, {{t[7], t[7], t[7], t[7], t[7], t[7]},
                   {t[0], t[0], t[0], t[0], t[6], t[6]},
                   {t[5], t[5], t[0], t[0], t[0], t[0]},
                   {t[1], t[1], t[1], t[2], t[3], t[4]}});

  // An early end of bitmap leaves the rest in entry 0.
  f.pixels = {2, 3, 0, 1};
  ExpectPixels(DecodeBmp(BuildBmp(f)), {{t[0], t[0], t[0], t[0], t[0], t[0]},
                                        {t[0], t[0], t[0], t[0], t[0], t[0]},
                                        {t[0], t[0], t[0], t[0], t[0], t[0]},
                                        {t[3], t[3], t[0], t[0], t[0], t[0]}});
}

TEST(BmpDecode, Rle4AlternatesNibblesAndPadsAbsoluteRuns) {
  BmpLayout f;
  f.bits = 4;
  f.compression = kRle4;
  f.width = 5;
  f.height = 2;
  f.table = Table(16);
  f.pixels = {
      5, 0x12, 0,    0,              // bottom row: 1 2 1 2 1, end of line
      0, 3,    0x34, 0x50,           // absolute 3 4 5 (two bytes, no padding)
      0, 5,    0x67, 0x89, 0xA0, 0,  // absolute 6 7 8 9 10, padded; clipped after 6 7
      0, 1,
  };
  const Raster r = DecodeBmp(BuildBmp(f));
  EXPECT_EQ(r.Format(), PixelFormat::Bit4);
  EXPECT_EQ(r.Palette(), f.table);
  const auto& t = f.table;
  ExpectPixels(r, {{t[3], t[4], t[5], t[6], t[7]}, {t[1], t[2], t[1], t[2], t[1]}});
}

// A w x h raster in `format` whose pixels all survive that format unchanged.
Raster Representable(PixelFormat format, int w, int h) {
  Raster r(w, h);
  r.SetFormat(format);
  std::vector<Colour> palette;
  if (format == PixelFormat::Bit1) palette = {ComposeRgb(200, 0, 0), ComposeRgb(0, 0, 90)};
  if (format == PixelFormat::Bit4) palette = Table(16);
  if (format == PixelFormat::Bit8) palette = Table(200);
  r.SetPalette(palette);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const auto n = static_cast<std::uint32_t>(x * 37 + y * 101 + 5);
      Colour c = ComposeRgb(static_cast<int>(n * 13), static_cast<int>(n * 7), static_cast<int>(n));
      if (!palette.empty()) c = palette[n % palette.size()];
      if (format == PixelFormat::Bit16) {
        const auto widen = [](std::uint32_t v) { return static_cast<int>((v << 3) | (v >> 2)); };
        c = ComposeRgb(widen(n % 32), widen(n * 3 % 32), widen(n * 5 % 32));
      }
      r.SetPixel(x, y, c);
    }
  }
  return r;
}

TEST(BmpRoundTrip, EveryPixelFormatComesBackBitExact) {
  for (const PixelFormat format :
       {PixelFormat::Bit1, PixelFormat::Bit4, PixelFormat::Bit8, PixelFormat::Bit16,
        PixelFormat::Bit24, PixelFormat::Bit32, PixelFormat::Device}) {
    for (int w = 1; w <= 9; ++w) {
      const Raster original = Representable(format, w, 3);
      const Raster back = DecodeBmp(EncodeBmp(original));
      SCOPED_TRACE("format " + std::to_string(static_cast<int>(format)) + ", width " +
                   std::to_string(w));
      EXPECT_TRUE(back == original);
      EXPECT_EQ(back.Format(), format == PixelFormat::Device ? PixelFormat::Bit24 : format);
      EXPECT_EQ(back.Palette(), original.Palette());
    }
  }
}

std::uint32_t Read16(const Bytes& b, std::size_t at) {
  return std::uint32_t{b[at]} | (std::uint32_t{b[at + 1]} << 8);
}
std::uint32_t Read32(const Bytes& b, std::size_t at) {
  return Read16(b, at) | (Read16(b, at + 2) << 16);
}

TEST(BmpEncode, TwentyFourBitFileLayoutFieldByField) {
  Raster r(2, 2);
  r.SetFormat(PixelFormat::Bit24);
  r.SetPixel(0, 0, ComposeRgb(1, 2, 3));
  r.SetPixel(1, 0, ComposeRgb(4, 5, 6));
  r.SetPixel(0, 1, ComposeRgb(7, 8, 9));
  r.SetPixel(1, 1, ComposeRgb(10, 11, 12));
  const Bytes b = EncodeBmp(r);
  ASSERT_EQ(b.size(), 70u);  // 54 header bytes, two rows of 6 bytes padded to 8
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(Read32(b, 2), 70u);   // bfSize
  EXPECT_EQ(Read32(b, 6), 0u);    // reserved
  EXPECT_EQ(Read32(b, 10), 54u);  // bfOffBits
  EXPECT_EQ(Read32(b, 14), 40u);  // biSize
  EXPECT_EQ(Read32(b, 18), 2u);   // width
  EXPECT_EQ(Read32(b, 22), 2u);   // height: positive, bottom-up
  EXPECT_EQ(Read16(b, 26), 1u);   // planes
  EXPECT_EQ(Read16(b, 28), 24u);  // bit count
  EXPECT_EQ(Read32(b, 30), 0u);   // BI_RGB
  EXPECT_EQ(Read32(b, 34), 16u);  // biSizeImage
  EXPECT_EQ(Read32(b, 38), 2835u);
  EXPECT_EQ(Read32(b, 42), 2835u);
  EXPECT_EQ(Read32(b, 46), 0u);  // biClrUsed
  EXPECT_EQ(Read32(b, 50), 0u);  // biClrImportant
  const Bytes rows(b.begin() + 54, b.end());
  EXPECT_EQ(rows, (Bytes{9, 8, 7, 12, 11, 10, 0, 0, 3, 2, 1, 6, 5, 4, 0, 0}));
}

TEST(BmpEncode, SixteenAndThirtyTwoBitPixelLayout) {
  Raster r(1, 1, ComposeRgb(0x0F, 0x80, 0xFF));
  r.SetFormat(PixelFormat::Bit16);
  Bytes b = EncodeBmp(r);
  EXPECT_EQ(Read16(b, 28), 16u);
  EXPECT_EQ(Read32(b, 30), 0u);                             // BI_RGB: 5-5-5
  EXPECT_EQ(Read16(b, 54), (1u << 10) | (16u << 5) | 31u);  // each channel's top 5 bits
  EXPECT_EQ(DecodeBmp(b).Pixel(0, 0), ComposeRgb(8, 132, 255));

  r.SetFormat(PixelFormat::Bit32);
  b = EncodeBmp(r);
  EXPECT_EQ(Read16(b, 28), 32u);
  EXPECT_EQ(Read32(b, 30), 0u);
  EXPECT_EQ(Read32(b, 54), 0x000F80FFu);  // blue, green, red, reserved 0
}

TEST(BmpEncode, IndexedColourTableFollowsThePaletteRule) {
  const Colour red = ComposeRgb(255, 0, 0), grey = ComposeRgb(200, 200, 200);
  const Colour dark = ComposeRgb(50, 50, 50), black = 0;
  struct Case {
    const char* what;
    PixelFormat format;
    std::vector<Colour> palette;
    std::vector<Colour> pixels;  // one row
    std::vector<Colour> table;   // the colour table written
    std::vector<Colour> decoded;
  };
  const std::vector<Case> cases = {
      {"palette kept whole when every pixel is in it",
       PixelFormat::Bit8,
       {kWhite, red, grey, dark},
       {grey, kWhite, grey},
       {kWhite, red, grey, dark},
       {grey, kWhite, grey}},
      {"distinct colours in first-seen order without a palette",
       PixelFormat::Bit4,
       {},
       {dark, red, dark, grey},
       {dark, red, grey},
       {dark, red, dark, grey}},
      {"distinct colours when a pixel is not in the palette",
       PixelFormat::Bit1,
       {kWhite, black},
       {red, kWhite, red},
       {red, kWhite},
       {red, kWhite, red}},
      {"palette too large for the bit count is passed over",
       PixelFormat::Bit1,
       {red, grey, dark, black},
       {grey, dark},
       {grey, dark},
       {grey, dark}},
      {"nearest palette entry when the colours do not fit",
       PixelFormat::Bit1,
       {kWhite, black},
       {grey, dark, red},
       {kWhite, black},
       {kWhite, black, black}},
      {"the first of two equally near entries",
       PixelFormat::Bit1,
       {black, grey},
       {ComposeRgb(100, 100, 100), red, kWhite},
       {black, grey},
       {black, black, grey}},
      {"black and white for 1 bit without a palette",
       PixelFormat::Bit1,
       {},
       {grey, dark, red},
       {black, kWhite},
       {kWhite, black, black}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Raster r(static_cast<int>(c.pixels.size()), 1);
    r.SetFormat(c.format);
    r.SetPalette(c.palette);
    for (std::size_t x = 0; x < c.pixels.size(); ++x)
      r.SetPixel(static_cast<int>(x), 0, c.pixels[x]);
    const Raster back = DecodeBmp(EncodeBmp(r));
    EXPECT_EQ(back.Palette(), c.table);
    ExpectPixels(back, {c.decoded});
  }
}

TEST(BmpEncode, UniformDefaultTablesFor4And8Bit) {
  // 17 and 257 distinct colours overflow the tables, so the default table is used.
  struct Case {
    PixelFormat format;
    int colours;
    std::size_t tableSize;
    Colour probe, nearest;
  };
  for (const Case& c :
       {Case{PixelFormat::Bit4, 17, 16, ComposeRgb(250, 90, 10), ComposeRgb(255, 85, 0)},
        Case{PixelFormat::Bit8, 257, 256, ComposeRgb(40, 140, 160), ComposeRgb(36, 146, 170)}}) {
    Raster r(c.colours, 1);
    r.SetFormat(c.format);
    for (int x = 1; x < c.colours; ++x) r.SetPixel(x, 0, ComposeRgb(x, x / 2, 3));
    r.SetPixel(0, 0, c.probe);
    const Raster back = DecodeBmp(EncodeBmp(r));
    EXPECT_EQ(back.Palette().size(), c.tableSize);
    EXPECT_EQ(back.Palette().front(), 0u);
    EXPECT_EQ(back.Palette().back(), kWhite);
    EXPECT_EQ(back.Pixel(0, 0), c.nearest);
  }
}

TEST(BmpEncode, EmptyRasterIsRefused) {
  try {
    EncodeBmp(Raster());
    FAIL() << "no error";
  } catch (const ImageFormatError& e) {
    EXPECT_EQ(Describe(e), "ImageFormatError : cannot write an empty picture as BMP");
  }
}

// Valid files of every kind the reader takes, each ending where its pixel data ends.
std::vector<Bytes> ValidFiles() {
  std::vector<Bytes> files;
  for (const PixelFormat format : {PixelFormat::Bit1, PixelFormat::Bit4, PixelFormat::Bit8,
                                   PixelFormat::Bit16, PixelFormat::Bit24, PixelFormat::Bit32}) {
    files.push_back(EncodeBmp(Representable(format, 3, 2)));
  }
  BmpLayout rle;
  rle.bits = 8;
  rle.compression = kRle8;
  rle.width = 4;
  rle.height = 2;
  rle.table = Table(4);
  rle.clrUsed = 4;
  rle.pixels = {2, 1, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 1, 0, 3, 3, 0, 1};
  files.push_back(BuildBmp(rle));
  rle.bits = 4;
  rle.compression = kRle4;
  rle.pixels = {4, 0x12, 0, 0, 0, 3, 0x12, 0x30, 0, 2, 1, 0, 1, 2, 0, 1};
  files.push_back(BuildBmp(rle));
  BmpLayout core;
  core.headerSize = 12;
  core.bits = 8;
  core.width = 3;
  core.table = Table(256);
  core.pixels = PackRows(8, {{1, 2, 3}});
  files.push_back(BuildBmp(core));
  BmpLayout v5;
  v5.headerSize = 124;
  v5.bits = 16;
  v5.compression = kBitfields;
  v5.masks = {0xF800, 0x07E0, 0x001F};
  v5.width = 3;
  v5.height = -2;
  v5.pixels = PackRows(16, {{1, 2, 3}, {4, 5, 6}});
  files.push_back(BuildBmp(v5));
  return files;
}

TEST(BmpDamaged, EveryTruncationIsAFormatError) {
  for (const Bytes& file : ValidFiles()) {
    ASSERT_EQ(ErrorOf(file), "no error");
    for (std::size_t n = 0; n < file.size(); ++n) {
      const std::string error =
          ErrorOf(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n)));
      EXPECT_EQ(error.rfind("ImageFormatError : BMP: ", 0), 0u) << "cut at " << n << ": " << error;
    }
  }
}

TEST(BmpDamaged, BadHeadersAndStreamsNameTheirFault) {
  const auto with = [](auto change) {
    BmpLayout f;
    f.bits = 8;
    f.width = 2;
    f.height = 2;
    f.clrUsed = 2;
    f.table = Table(2);
    f.pixels = PackRows(8, {{0, 1}, {1, 0}});
    change(f);
    return BuildBmp(f);
  };
  const auto rle8 = [&](Bytes stream) {
    return with([&](BmpLayout& f) {
      f.compression = kRle8;
      f.pixels = stream;
    });
  };
  Bytes badSignature = with([](BmpLayout&) {});
  badSignature[1] = 'A';
  Bytes headerSize64 = with([](BmpLayout&) {});
  headerSize64[14] = 64;
  struct Case {
    Bytes file;
    std::string error;
  };
  const std::vector<Case> cases = {
      {with([](BmpLayout& f) { f.width = 40000; }),
       "ImageTooLargeError : BMP: width 40000 exceeds the limit of 32768"},
      {with([](BmpLayout& f) { f.width = f.height = 32768; }),
       "ImageTooLargeError : BMP: 1073741824 pixels exceed the limit"},
      {with([](BmpLayout& f) { f.height = INT32_MIN; }),
       "ImageFormatError : BMP: invalid height -2147483648"},
      {with([](BmpLayout& f) { f.width = 0; }),
       "ImageFormatError : BMP: invalid picture size 0 x 2"},
      {with([](BmpLayout& f) { f.width = -3; }),
       "ImageFormatError : BMP: invalid picture size -3 x 2"},
      {with([](BmpLayout& f) { f.clrUsed = 0xFFFFFFFFu; }),
       "BMP: colour table of 4294967295 entries is larger than the 256"},
      {with([](BmpLayout& f) { f.clrUsed = 16; }),
       "BMP: colour table of 16 entries does not fit before the pixel data"},
      {with([](BmpLayout& f) { f.offBits = 1000; }),
       "BMP: pixel data offset 1000 lies past the end of the file (70 bytes)"},
      {with([](BmpLayout& f) { f.offBits = 20; }),
       "BMP: pixel data offset 20 lies inside the headers"},
      // The three masks after a 40-byte header belong to the headers too.
      {with([](BmpLayout& f) {
         f.bits = 16;
         f.compression = kBitfields;
         f.masks = {0xF800, 0x07E0, 0x001F};
         f.offBits = 60;
       }),
       "BMP: pixel data offset 60 lies inside the headers"},
      {with([](BmpLayout& f) { f.pixels.pop_back(); }),
       "ImageFormatError : BMP: truncated pixel data: 7 of 8 bytes present"},
      {with([](BmpLayout& f) { f.width = f.height = 16384; }),
       "BMP: truncated pixel data: 8 of 268435456 bytes present"},
      {badSignature, "BMP: not a BMP file"},
      {headerSize64, "BMP: unsupported header size 64"},
      {with([](BmpLayout& f) { f.bits = 7; }), "BMP: unsupported bit count 7"},
      {with([](BmpLayout& f) {
         f.headerSize = 12;
         f.bits = 16;
       }),
       "BMP: unsupported bit count 16"},
      {with([](BmpLayout& f) { f.compression = kRle4; }),
       "BMP: RLE4 compression does not fit bit count 8"},
      {with([](BmpLayout& f) { f.compression = kBitfields; }),
       "BMP: BI_BITFIELDS compression does not fit bit count 8"},
      {with([](BmpLayout& f) { f.compression = 4; }), "BMP: unsupported compression 4"},
      {with([](BmpLayout& f) {
         f.bits = 16;
         f.compression = kBitfields;
         f.masks = {0x0505, 0x00F0, 0};
       }),
       "BMP: colour mask 0x00000505 is not one run of bits"},
      {with([](BmpLayout& f) {
         f.bits = 16;
         f.compression = kBitfields;
         f.masks = {0x0FF0, 0x00FF, 0};
       }),
       "BMP: colour masks overlap"},
      {with([](BmpLayout& f) {
         f.bits = 16;
         f.compression = kBitfields;
         f.masks = {0xFF0000, 0xFF00, 0xFF};
       }),
       "BMP: colour mask 0x00FF0000 exceeds the 16-bit pixel"},
      {with([](BmpLayout& f) {
         f.compression = kRle8;
         f.height = -2;
         f.pixels = {0, 1};
       }),
       "BMP: a top-down bitmap cannot be RLE-compressed"},
      {rle8({0, 0, 0, 0, 1, 1, 0, 1}), "BMP: RLE data runs past the last row"},
      {rle8({0, 2, 0, 2, 0, 3, 5, 6, 7, 0, 0, 1}), "BMP: RLE data runs past the last row"},
      {rle8({0, 2, 0, 3}), "BMP: RLE delta moves past the last row"},
      {rle8({0, 0, 0, 0, 0, 0, 0, 1}), "BMP: RLE end-of-line moves past the last row"},
      {rle8({2, 1, 0, 0, 2, 1}), "BMP: RLE data ends before the end-of-bitmap marker"},
  };
  for (const Case& c : cases) EXPECT_CONTAINS(ErrorOf(c.file), c.error);
}

TEST(BmpDamaged, CrasherFilesFailWithTheirRecordedError) {
  const std::string dir = std::string(TAPISTO_TEST_DATA) + "/crashers/";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"bmp-rle8-run-past-bottom.bmp", "BMP: RLE data runs past the last row"},
      {"bmp-huge-colour-table.bmp", "BMP: colour table of 4294967295 entries"},
      {"bmp-int32-min-height.bmp", "BMP: invalid height -2147483648"},
      // 256 bytes claiming an RLE4 picture of 8431 x 31236: refused before its gigabyte is
      // taken (found by fuzzing, where it took half a minute).
      {"bmp-rle4-tiny-file-huge-picture.bmp", "BMP: RLE data ends before the end-of-bitmap marker"},
  };
  for (const auto& [name, error] : cases) {
    try {
      ReadBmpFile(dir + name);
      ADD_FAILURE() << name << " was read";
    } catch (const ImageFormatError& e) {
      EXPECT_CONTAINS(Describe(e), "ImageFormatError : " + error);
    }
  }
}

TEST(BmpFile, WritesAndReadsThroughTheFileSystem) {
  test::TempDir dir;
  const std::string path = dir.File("bild.bmp");
  const Raster r = Representable(PixelFormat::Bit8, 7, 5);
  WriteBmpFile(r, path);
  const Raster back = ReadBmpFile(path);
  EXPECT_TRUE(back == r);
  EXPECT_EQ(back.Format(), PixelFormat::Bit8);

  ImageLimits small;
  small.maxInputBytes = 100;
  EXPECT_THROW(ReadBmpFile(path, small), ImageTooLargeError);
  EXPECT_THROW(ReadBmpFile(dir.File("missing.bmp")), FileReadError);
  EXPECT_THROW(WriteBmpFile(Raster(), dir.File("empty.bmp")), ImageFormatError);
}

}  // namespace
}  // namespace tapisto
