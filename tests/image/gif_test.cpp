// Tests of the GIF reader. The GIF files are written by the small encoder below, so each case
// states the exact pixels it expects; pictures are spelt as rows of letters, one per pixel.
#include "image/gif.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/error.h"
#include "image/file_io.h"
#include "support/temp_dir.h"

namespace tapisto {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Index i of kPalette is the letter kLetters[i]; 'O' (orange) is in no table.
constexpr char kLetters[] = "KWRGBYCM";
const std::vector<Colour> kPalette = {ComposeRgb(0, 0, 0),     ComposeRgb(255, 255, 255),
                                      ComposeRgb(255, 0, 0),   ComposeRgb(0, 255, 0),
                                      ComposeRgb(0, 0, 255),   ComposeRgb(255, 255, 0),
                                      ComposeRgb(0, 255, 255), ComposeRgb(255, 0, 255)};
constexpr Colour kOrange = ComposeRgb(255, 128, 0);

Colour ColourOf(char letter) {
  if (letter == 'O') return kOrange;
  return kPalette[static_cast<std::size_t>(std::string(kLetters).find(letter))];
}

// The palette indices of a picture spelt in letters, rows top-down.
std::vector<std::uint8_t> Indices(const std::vector<std::string>& rows) {
  std::vector<std::uint8_t> out;
  for (const auto& row : rows)
    for (char c : row) out.push_back(static_cast<std::uint8_t>(std::string(kLetters).find(c)));
  return out;
}

void ExpectPicture(const Raster& raster, const std::vector<std::string>& rows) {
  ASSERT_EQ(raster.Height(), static_cast<int>(rows.size()));
  for (int y = 0; y < raster.Height(); ++y) {
    const std::string& row = rows[static_cast<std::size_t>(y)];
    ASSERT_EQ(raster.Width(), static_cast<int>(row.size()));
    for (int x = 0; x < raster.Width(); ++x)
      EXPECT_EQ(raster.Pixel(x, y), ColourOf(row[static_cast<std::size_t>(x)]))
          << "pixel " << x << "," << y;
  }
}

// ---- The encoder -------------------------------------------------------------------------

struct LzwOptions {
  // When the 4096-entry table is full: false sends a clear code at once; true goes on with
  // 12-bit codes and no new entries, and sends a clear code after `deferredCodes` such codes
  // (0: never).
  bool deferClear = false;
  int deferredCodes = 0;
  int pixelLimit = -1;  // encode only this many pixels (-1: all)
  bool endCode = true;
};

// Packs codes least significant bit first.
class BitPacker {
 public:
  void Put(int code, int width) {
    bits_ |= static_cast<std::uint32_t>(code) << count_;
    count_ += width;
    for (; count_ >= 8; count_ -= 8, bits_ >>= 8)
      bytes_.push_back(static_cast<std::uint8_t>(bits_));
  }
  Bytes Finish() {
    if (count_ > 0) bytes_.push_back(static_cast<std::uint8_t>(bits_));
    return bytes_;
  }

 private:
  Bytes bytes_;
  std::uint32_t bits_ = 0;
  int count_ = 0;
};

// How many codes the encoder sent with a full table (4096 entries), defining no entries.
struct LzwStats {
  int codesWithFullTable = 0;
};

// The LZW codes of `pixels` (without sub-block framing).
Bytes EncodeLzw(const std::vector<std::uint8_t>& pixels, int minCodeSize, const LzwOptions& o,
                LzwStats* stats = nullptr) {
  const int clear = 1 << minCodeSize;
  const int end = clear + 1;
  BitPacker out;
  std::unordered_map<std::uint32_t, int> table;
  int width = 0, next = 0, deferred = 0;
  auto reset = [&] {
    table.clear();
    width = minCodeSize + 1;
    next = end + 1;
    deferred = 0;
  };
  // After each data code the encoder defines one entry; the decoder, one code behind, must
  // be able to read that entry's number next, hence the width grows once `next` passes 2^w.
  auto define = [&](std::uint32_t key) {
    if (next < 4096) {
      table[key] = next++;
      if (next > (1 << width) && width < 12) ++width;
      if (next == 4096 && !o.deferClear) {
        out.Put(clear, width);
        reset();
      }
    } else {
      if (stats) ++stats->codesWithFullTable;
      if (o.deferredCodes > 0 && ++deferred == o.deferredCodes) {
        out.Put(clear, width);
        reset();
      }
    }
  };
  reset();
  out.Put(clear, width);
  const std::size_t count =
      o.pixelLimit < 0 ? pixels.size() : std::min(pixels.size(), std::size_t(o.pixelLimit));
  if (count > 0) {
    int current = pixels[0];
    for (std::size_t i = 1; i < count; ++i) {
      const std::uint32_t key = (static_cast<std::uint32_t>(current) << 8) | pixels[i];
      if (const auto found = table.find(key); found != table.end()) {
        current = found->second;
        continue;
      }
      out.Put(current, width);
      define(key);
      current = pixels[i];
    }
    out.Put(current, width);
    if (next < 4096 && ++next > (1 << width) && width < 12) ++width;
  }
  if (o.endCode) out.Put(end, width);
  return out.Finish();
}

// Data sub-blocks of at most 255 bytes and the terminator.
Bytes SubBlocks(const Bytes& data) {
  Bytes out;
  for (std::size_t at = 0; at < data.size(); at += 255) {
    const std::size_t n = std::min<std::size_t>(255, data.size() - at);
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
               data.begin() + static_cast<std::ptrdiff_t>(at + n));
  }
  out.push_back(0);
  return out;
}

struct Frame {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<std::uint8_t> pixels;  // rows top-down
  std::vector<Colour> localTable;
  bool interlaced = false;
  int transparent = -1;  // >= 0 writes a graphic control extension with this index
  bool transparencyFlag = true;
  int minCodeSize = 0;  // 0: from the table size
  LzwOptions lzw;
  std::optional<Bytes> data;  // sub-blocks written instead of the encoded pixels
};

struct Gif {
  std::string version = "89a";
  int width = 0, height = 0;
  std::vector<Colour> globalTable;
  int backgroundIndex = 0;
  std::vector<Bytes> extensions;  // raw blocks written before the first frame
  std::vector<Frame> frames;
  bool trailer = true;
};

void PutU16(Bytes& b, int v) {
  b.push_back(static_cast<std::uint8_t>(v & 0xFF));
  b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

// The size field of a colour table (entries = 2 << field), padded with black.
int PutTable(Bytes& b, const std::vector<Colour>& table, bool write) {
  int field = 0;
  while ((std::size_t{2} << field) < table.size()) ++field;
  if (!write) return field;
  for (std::size_t i = 0; i < (std::size_t{2} << field); ++i) {
    const Colour c = i < table.size() ? table[i] : 0;
    b.insert(b.end(), {RedOf(c), GreenOf(c), BlueOf(c)});
  }
  return field;
}

// The file; *dataStart receives the offset of the first frame's sub-blocks.
Bytes Encode(const Gif& gif, std::size_t* dataStart = nullptr, LzwStats* stats = nullptr) {
  Bytes b = {'G', 'I', 'F'};
  for (char c : gif.version) b.push_back(static_cast<std::uint8_t>(c));
  PutU16(b, gif.width);
  PutU16(b, gif.height);
  const bool global = !gif.globalTable.empty();
  b.push_back(static_cast<std::uint8_t>((global ? 0x80 : 0) | PutTable(b, gif.globalTable, false)));
  b.push_back(static_cast<std::uint8_t>(gif.backgroundIndex));
  b.push_back(0);
  if (global) PutTable(b, gif.globalTable, true);
  for (const auto& e : gif.extensions) b.insert(b.end(), e.begin(), e.end());
  for (std::size_t f = 0; f < gif.frames.size(); ++f) {
    const Frame& fr = gif.frames[f];
    if (fr.transparent >= 0) {
      b.insert(b.end(), {0x21, 0xF9, 4, static_cast<std::uint8_t>(fr.transparencyFlag ? 1 : 0), 0,
                         0, static_cast<std::uint8_t>(fr.transparent), 0});
    }
    b.push_back(0x2C);
    for (int v : {fr.left, fr.top, fr.width, fr.height}) PutU16(b, v);
    const bool local = !fr.localTable.empty();
    b.push_back(static_cast<std::uint8_t>((local ? 0x80 : 0) | (fr.interlaced ? 0x40 : 0) |
                                          PutTable(b, fr.localTable, false)));
    if (local) PutTable(b, fr.localTable, true);
    int minCodeSize = fr.minCodeSize;
    if (minCodeSize == 0) {
      const auto& table = local ? fr.localTable : gif.globalTable;
      minCodeSize = std::max(2, PutTable(b, table, false) + 1);
    }
    b.push_back(static_cast<std::uint8_t>(minCodeSize));
    if (f == 0 && dataStart) *dataStart = b.size();
    Bytes rows = fr.pixels;
    if (fr.interlaced) {
      rows.clear();
      const auto w = static_cast<std::size_t>(fr.width);
      for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
        for (int y = start; y < fr.height; y += step)
          rows.insert(rows.end(),
                      fr.pixels.begin() + static_cast<std::ptrdiff_t>(w * std::size_t(y)),
                      fr.pixels.begin() + static_cast<std::ptrdiff_t>(w * std::size_t(y + 1)));
    }
    const Bytes blocks =
        fr.data ? *fr.data
                : SubBlocks(EncodeLzw(rows, minCodeSize, fr.lzw, f == 0 ? stats : nullptr));
    b.insert(b.end(), blocks.begin(), blocks.end());
  }
  if (gif.trailer) b.push_back(0x3B);
  return b;
}

Frame Whole(int w, int h, const std::vector<std::string>& rows) {
  Frame f;
  f.width = w;
  f.height = h;
  f.pixels = Indices(rows);
  return f;
}

Gif Simple(const std::vector<std::string>& rows) {
  Gif g;
  g.width = static_cast<int>(rows[0].size());
  g.height = static_cast<int>(rows.size());
  g.globalTable = kPalette;
  g.frames = {Whole(g.width, g.height, rows)};
  return g;
}

Raster Decoded(const Gif& gif) {
  return DecodeGif(Encode(gif)).ToRaster();
}

// The message of the ImageFormatError `bytes` cause, or "" when it decodes.
std::string FormatError(const Bytes& bytes, const ImageLimits& limits = {}) {
  try {
    DecodeGif(bytes, limits);
  } catch (const ImageFormatError& e) {
    return e.what();
  }
  return "";
}

// ---- Pictures ----------------------------------------------------------------------------

TEST(GifDecode, ReadsBothVersionsWithTheGlobalTable) {
  for (const char* version : {"87a", "89a"}) {
    SCOPED_TRACE(version);
    Gif g = Simple({"KWRG", "BYCM", "GGKW"});
    g.version = version;
    const GifPicture p = DecodeGif(Encode(g));
    EXPECT_EQ(p.Width(), 4);
    EXPECT_EQ(p.Height(), 3);
    EXPECT_TRUE(p.HasGlobalColourTable());
    EXPECT_EQ(p.GlobalColourTable(), kPalette);
    const Raster r = p.ToRaster();
    EXPECT_EQ(r.Format(), PixelFormat::Device);
    ExpectPicture(r, {"KWRG", "BYCM", "GGKW"});
  }
}

TEST(GifDecode, LocalTableWinsOverTheGlobalOneForTheFrame) {
  Gif g = Simple({"KWRG", "BYCM"});
  g.globalTable = {kPalette[1], kPalette[2]};  // background index 0: white
  g.frames[0].localTable = std::vector<Colour>(kPalette.rbegin(), kPalette.rend());
  g.frames[0].left = 1;
  g.width = 5;
  const GifPicture p = DecodeGif(Encode(g));
  EXPECT_EQ(p.GlobalColourTable().size(), 2u);
  ExpectPicture(p.ToRaster(), {"WMCYB", "WGRWK"});
}

TEST(GifDecode, InterlacedRowsComeBackInRowOrder) {
  for (int h = 1; h <= 19; ++h) {
    SCOPED_TRACE(h);
    std::vector<std::string> rows;
    for (int y = 0; y < h; ++y)
      rows.push_back({kLetters[y % 8], kLetters[(y / 8 + 3) % 8], kLetters[(y * 5 + 1) % 8]});
    Gif g = Simple(rows);
    g.frames[0].interlaced = true;
    ExpectPicture(Decoded(g), rows);
  }
}

TEST(GifDecode, TransparentPixelsShowTheBackgroundColour) {
  Gif g = Simple({"RGR", "GRB"});
  g.backgroundIndex = 1;
  g.frames[0].transparent = 2;
  ExpectPicture(Decoded(g), {"WGW", "GWB"});

  // The flag, not the index, decides.
  g.frames[0].transparencyFlag = false;
  ExpectPicture(Decoded(g), {"RGR", "GRB"});

  g.frames[0].transparencyFlag = true;
  GifPicture p = DecodeGif(Encode(g));
  p.SetBackgroundColour(kOrange);
  EXPECT_EQ(p.BackgroundColour(), kOrange);
  ASSERT_EQ(p.GlobalColourTable().size(), 9u);
  EXPECT_EQ(p.GlobalColourTable()[8], kOrange);
  ExpectPicture(p.ToRaster(), {"OGO", "GOB"});

  // A colour already in the table is not added again.
  p.SetBackgroundColour(ColourOf('C'));
  EXPECT_EQ(p.GlobalColourTable().size(), 9u);
  ExpectPicture(p.ToRaster(), {"CGC", "GCB"});
}

TEST(GifDecode, SetBackgroundColourWithAFullTableOnlyRemembersTheColour) {
  Gif g = Simple({"RG"});
  g.globalTable = kPalette;
  g.globalTable.resize(256, ComposeRgb(1, 2, 3));
  g.frames[0].transparent = 2;
  GifPicture p = DecodeGif(Encode(g));
  EXPECT_EQ(p.BackgroundColour(), ColourOf('K'));
  p.SetBackgroundColour(kOrange | 0xAB000000u);  // only the colour bits count
  EXPECT_EQ(p.GlobalColourTable().size(), 256u);
  EXPECT_EQ(p.BackgroundColour(), kOrange);
  ExpectPicture(p.ToRaster(), {"OG"});
}

TEST(GifDecode, FramePlacementOnTheScreen) {
  struct Case {
    const char* name;
    int left, top;
    std::vector<std::string> expected;
  };
  // A 3 x 2 frame on a 5 x 4 screen whose background is cyan.
  const Case cases[] = {
      {"inside", 1, 1, {"CCCCC", "CRGBC", "CYMWC", "CCCCC"}},
      {"overhanging right and bottom", 3, 3, {"CCCCC", "CCCCC", "CCCCC", "CCCRG"}},
      {"at the corner", 0, 0, {"RGBCC", "YMWCC", "CCCCC", "CCCCC"}},
      {"wholly off the screen", 5, 0, {"CCCCC", "CCCCC", "CCCCC", "CCCCC"}},
      {"far off the screen", 60000, 60000, {"CCCCC", "CCCCC", "CCCCC", "CCCCC"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Gif g;
    g.width = 5;
    g.height = 4;
    g.globalTable = kPalette;
    g.backgroundIndex = 6;
    g.frames = {Whole(3, 2, {"RGB", "YMW"})};
    g.frames[0].left = c.left;
    g.frames[0].top = c.top;
    ExpectPicture(Decoded(g), c.expected);
  }
}

TEST(GifDecode, LaterFramesAreIgnored) {
  Gif g = Simple({"RG", "BY"});
  Frame second = Whole(2, 2, {"KKKK"});
  second.transparent = 2;
  g.frames.push_back(second);
  Bytes bytes = Encode(g);
  ExpectPicture(DecodeGif(bytes).ToRaster(), {"RG", "BY"});
  // Not even read: a second frame cut short makes no difference.
  bytes.resize(bytes.size() - 6);
  ExpectPicture(DecodeGif(bytes).ToRaster(), {"RG", "BY"});
}

TEST(GifDecode, ExtensionsBeforeTheImageAreSkipped) {
  Gif g = Simple({"RGR"});
  g.extensions = {
      {0x21, 0xFE, 5, 'h', 'e', 'l', 'l', 'o', 2, '!', '!', 0},  // comment
      {0x21, 0xFF, 11, 'A', 'N', 'I', 'M', 'L', 'O', 'O', 'P', '1', '.', '0', 3, 1, 0, 0, 0},
      // A graphic control extension that belongs to the plain text block after it.
      {0x21, 0xF9, 4, 1, 0, 0, 2, 0},
      {0x21, 0x01, 12, 0, 0, 0, 0, 8, 0, 8, 0, 8, 8, 1, 0, 1, 'x', 0},
  };
  ExpectPicture(Decoded(g), {"RGR"});
  // A graphic control extension with a short block is ignored.
  g.extensions = {{0x21, 0xF9, 2, 1, 0, 0}};
  ExpectPicture(Decoded(g), {"RGR"});
}

TEST(GifDecode, WithoutAGlobalTableTheBackgroundIsWhite) {
  Gif g;
  g.width = 3;
  g.height = 2;
  g.frames = {Whole(2, 1, {"GK"})};
  g.frames[0].localTable = kPalette;
  g.frames[0].top = 1;
  g.backgroundIndex = 4;
  const GifPicture p = DecodeGif(Encode(g));
  EXPECT_FALSE(p.HasGlobalColourTable());
  EXPECT_EQ(p.BackgroundColour(), kWhite);
  ExpectPicture(p.ToRaster(), {"WWW", "GKW"});

  // A background index past the end of the global table gives white as well.
  g.globalTable = {kPalette[2], kPalette[3]};
  EXPECT_EQ(DecodeGif(Encode(g)).BackgroundColour(), kWhite);
}

TEST(GifDecode, EmptyFrameLeavesTheBackground) {
  Gif g = Simple({"RG"});
  g.frames[0].width = 0;
  g.frames[0].pixels.clear();
  ExpectPicture(Decoded(g), {"KK"});
}

TEST(GifDecode, IndexPastTheColourTableIsBlack) {
  Gif g = Simple({"RGB", "KWR"});
  g.globalTable = {kPalette[2], kPalette[3], kPalette[4], kPalette[1]};  // R G B W
  g.frames[0].pixels = {0, 1, 2, 7, 3, 200};
  g.frames[0].minCodeSize = 8;
  ExpectPicture(Decoded(g), {"RGB", "KWK"});
}

TEST(GifDecode, MinimumCodeSizeOneIsAccepted) {
  std::vector<std::string> rows;
  std::mt19937 random(7);
  for (int y = 0; y < 16; ++y) {
    std::string row;
    for (int x = 0; x < 16; ++x) row += (random() % 3 == 0) ? 'K' : 'W';
    rows.push_back(row);
  }
  Gif g = Simple(rows);
  g.globalTable = {kPalette[0], kPalette[1]};
  g.frames[0].minCodeSize = 1;
  ExpectPicture(Decoded(g), rows);
}

// A 192 x 192 picture whose codes fill the 4096-entry table: random over 256 colours, the
// bottom half a copy of the top half (longer strings).
TEST(GifDecode, FullCodeTableWithClearCodesSentAtOnceOrDeferred) {
  std::vector<Colour> table(256);
  for (std::size_t i = 0; i < 256; ++i)
    table[i] = ComposeRgb(static_cast<int>(i), static_cast<int>(255 - i), static_cast<int>(i * 7));
  constexpr int kSize = 192;
  std::vector<std::uint8_t> pixels(kSize * kSize);
  std::mt19937 random(42);
  for (std::size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = i < pixels.size() / 2 ? static_cast<std::uint8_t>(random() % 256)
                                      : pixels[i - pixels.size() / 2];

  struct Case {
    const char* name;
    bool deferClear;
    int deferredCodes;
  };
  for (const Case& c : {Case{"clear at once", false, 0}, Case{"deferred, never cleared", true, 0},
                        Case{"deferred, cleared later", true, 700}}) {
    SCOPED_TRACE(c.name);
    Gif g;
    g.width = g.height = kSize;
    g.globalTable = table;
    Frame f;
    f.width = f.height = kSize;
    f.pixels = pixels;
    f.lzw.deferClear = c.deferClear;
    f.lzw.deferredCodes = c.deferredCodes;
    g.frames = {f};
    LzwStats stats;
    const Raster r = DecodeGif(Encode(g, nullptr, &stats)).ToRaster();
    if (c.deferClear) {
      EXPECT_GT(stats.codesWithFullTable, 1000) << "the case must use the full table";
    }
    std::size_t wrong = 0;
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x)
        wrong += r.Pixel(x, y) != table[pixels[static_cast<std::size_t>(y * kSize + x)]];
    EXPECT_EQ(wrong, 0u);
  }
}

// The pixels the data never reaches show the background.
TEST(GifDecode, DataEndingEarlyLeavesTheRestAsBackground) {
  const std::vector<std::string> full = {"RGBY", "CMRG", "BYCM"};
  {
    SCOPED_TRACE("end code after 5 pixels");
    Gif g = Simple(full);
    g.backgroundIndex = 1;
    g.frames[0].lzw.pixelLimit = 5;
    ExpectPicture(Decoded(g), {"RGBY", "CWWW", "WWWW"});
  }
  {
    // Clear code and five 4-bit codes fill three bytes: no padding bits that would make up
    // one more code.
    SCOPED_TRACE("terminator after 5 pixels, no end code");
    Gif g = Simple(full);
    g.backgroundIndex = 1;
    g.frames[0].lzw = {.pixelLimit = 5, .endCode = false};
    ExpectPicture(Decoded(g), {"RGBY", "CWWW", "WWWW"});
  }
  {
    SCOPED_TRACE("file ends in the data, no terminator nor trailer");
    Gif g = Simple(full);
    g.backgroundIndex = 1;
    g.frames[0].lzw = {.pixelLimit = 7, .endCode = false};
    g.trailer = false;
    Bytes bytes = Encode(g);
    bytes.pop_back();
    ExpectPicture(DecodeGif(bytes).ToRaster(), {"RGBY", "CMRW", "WWWW"});
  }
  {
    SCOPED_TRACE("interlaced: the first pass only");
    Gif g = Simple({"RG", "BY", "CM", "RG", "BY", "CM", "RG", "BY", "CM", "WW"});
    g.backgroundIndex = 1;
    g.frames[0].interlaced = true;
    g.frames[0].lzw.pixelLimit = 4;  // rows 0 and 8
    ExpectPicture(Decoded(g), {"RG", "WW", "WW", "WW", "WW", "WW", "WW", "WW", "CM", "WW"});
  }
}

// Sub-blocks of codes written by hand, `width` bits each.
Bytes Codes(std::initializer_list<std::pair<int, int>> codes) {
  BitPacker p;
  for (auto [code, width] : codes) p.Put(code, width);
  return SubBlocks(p.Finish());
}

TEST(GifDecode, UndefinedCodesEndTheData) {
  struct Case {
    const char* name;
    Bytes data;
    std::vector<std::string> expected;
  };
  // Minimum code size 2: clear 4, end 5, first free entry 6, 3-bit codes.
  const Case cases[] = {
      {"code being defined (one past the last entry) is valid",
       Codes({{4, 3}, {2, 3}, {6, 3}, {5, 3}}),
       {"RRR"}},
      {"code two past the last entry", Codes({{4, 3}, {2, 3}, {7, 3}, {3, 3}}), {"RWW"}},
      {"non-literal straight after a clear", Codes({{4, 3}, {6, 3}, {2, 3}}), {"WWW"}},
      {"no leading clear code", Codes({{3, 3}, {2, 3}, {6, 3}}), {"GRG"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Gif g = Simple({"KKK"});
    g.globalTable = {kPalette[0], kPalette[1], kPalette[2], kPalette[3]};
    g.backgroundIndex = 1;
    g.frames[0].data = c.data;
    ExpectPicture(Decoded(g), c.expected);
  }
}

// Codes written by hand with the widths a decoder expects: each code but the first after a
// clear defines one entry until the table is full, and the width grows once the next free
// entry no longer fits.
class CodeWriter {
 public:
  explicit CodeWriter(int minCodeSize) : minCodeSize_(minCodeSize), width_(minCodeSize + 1) {
    Clear();
  }
  void Clear() {
    packer_.Put(1 << minCodeSize_, width_);
    width_ = minCodeSize_ + 1;
    nextFree_ = (1 << minCodeSize_) + 2;
    first_ = true;
  }
  void Put(int code) {
    packer_.Put(code, width_);
    if (!first_ && nextFree_ < 4096) ++nextFree_;
    first_ = false;
    if (nextFree_ >= (1 << width_) && width_ < 12) ++width_;
  }
  Bytes Finish() {
    packer_.Put((1 << minCodeSize_) + 1, width_);
    return SubBlocks(packer_.Finish());
  }

 private:
  BitPacker packer_;
  int minCodeSize_;
  int width_;
  int nextFree_ = 0;
  bool first_ = true;
};

// 4091 literal codes after a clear define entries 6 to 4095, each the pair of literals
// before it: entry e is (literal e-6, literal e-5). Then the table is full.
TEST(GifDecode, LastTableEntryIsDefinedThenTheTableStaysFull) {
  std::vector<std::uint8_t> literals(4091);
  std::mt19937 random(5);
  for (auto& l : literals) l = static_cast<std::uint8_t>(random() % 4);
  CodeWriter codes(2);
  std::vector<std::uint8_t> expected;
  for (std::uint8_t l : literals) {
    codes.Put(l);
    expected.push_back(l);
  }
  for (int entry : {4095, 4094, 6, 4095}) {
    codes.Put(entry);
    expected.insert(expected.end(), {literals[static_cast<std::size_t>(entry - 6)],
                                     literals[static_cast<std::size_t>(entry - 5)]});
  }
  // After a clear the table starts again: entry 6 is the first string doubled.
  codes.Clear();
  codes.Put(3);
  codes.Put(6);
  expected.insert(expected.end(), {3, 3, 3});

  Gif g;
  g.width = static_cast<int>(expected.size());
  g.height = 1;
  g.globalTable = {kPalette[2], kPalette[3], kPalette[4], kPalette[5]};
  Frame f;
  f.width = g.width;
  f.height = 1;
  f.data = codes.Finish();
  g.frames = {f};
  const Raster r = Decoded(g);
  std::size_t wrong = 0;
  for (int x = 0; x < r.Width(); ++x)
    wrong += r.Pixel(x, 0) != g.globalTable[expected[static_cast<std::size_t>(x)]];
  EXPECT_EQ(wrong, 0u);
}

// ---- Damage ------------------------------------------------------------------------------

TEST(GifDamage, RefusesWhatCannotBeRepairedWithAClearMessage) {
  const Bytes good = Encode(Simple({"RG"}));
  auto edited = [&](std::size_t at, std::initializer_list<std::uint8_t> with) {
    Bytes b = good;
    for (std::uint8_t v : with) b.at(at++) = v;
    return b;
  };
  const std::size_t image = 13 + 3 * 8;  // header, screen descriptor, global table
  Gif noTable = Simple({"RG"});
  noTable.globalTable.clear();
  struct Case {
    const char* name;
    Bytes bytes;
    const char* message;
  };
  const Case cases[] = {
      {"empty", {}, "GIF: not a GIF file (bad signature)"},
      {"other format", edited(0, {0x89, 'P', 'N'}), "GIF: not a GIF file (bad signature)"},
      {"version", edited(3, {'9', '0', 'a'}), "GIF: unknown version (neither 87a nor 89a)"},
      {"header cut", Bytes(good.begin(), good.begin() + 5), "GIF: the header is cut short"},
      {"screen cut", Bytes(good.begin(), good.begin() + 12),
       "GIF: the logical screen descriptor is cut short"},
      {"global table cut", Bytes(good.begin(), good.begin() + 20),
       "GIF: the global colour table is cut short"},
      {"trailer only", edited(image, {0x3B}), "GIF: the file holds no image"},
      {"ends before an image", Bytes(good.begin(), good.begin() + image),
       "GIF: the file ends before its first image"},
      {"unknown block", edited(image, {0x00}), "GIF: unknown block 0x00 at offset 37"},
      {"descriptor cut", Bytes(good.begin(), good.begin() + image + 9),
       "GIF: the image descriptor is cut short"},
      {"local table cut", edited(image + 9, {0x82}), "GIF: the local colour table is cut short"},
      {"no data", Bytes(good.begin(), good.begin() + image + 10),
       "GIF: the file ends before the first image's data"},
      {"code size 0", edited(image + 10, {0}), "GIF: LZW minimum code size 0 is outside 1 to 8"},
      {"code size 9", edited(image + 10, {9}), "GIF: LZW minimum code size 9 is outside 1 to 8"},
      {"no colour table", Encode(noTable),
       "GIF: the first image has no colour table (neither local nor global)"},
      {"zero screen", edited(6, {0, 0}), "GIF: invalid picture size 0 x 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FormatError(c.bytes), c.message);
  }
}

TEST(GifDamage, AbsurdSizesAreRefusedBeforeAllocating) {
  Gif g = Simple({"RG"});
  g.width = g.height = 65535;
  EXPECT_THROW(DecodeGif(Encode(g)), ImageTooLargeError);
  EXPECT_EQ(FormatError(Encode(g)), "GIF: width 65535 exceeds the limit of 32768");

  // A frame too large is refused even on a small screen.
  g = Simple({"RG"});
  g.frames[0].width = 40000;
  EXPECT_THROW(DecodeGif(Encode(g)), ImageTooLargeError);
  EXPECT_EQ(FormatError(Encode(g)), "GIF frame: width 40000 exceeds the limit of 32768");

  // The caller's limits count.
  ImageLimits small;
  small.maxPixels = 6;
  EXPECT_EQ(FormatError(Encode(Simple({"RGB", "RGB"})), small), "");
  EXPECT_EQ(FormatError(Encode(Simple({"RGB", "RGB", "RGB"})), small),
            "GIF: 9 pixels exceed the limit of 6");
}

// Sub-blocks on and on with no terminator: decoding ends with the input, or as soon as the
// frame is full.
TEST(GifDamage, NeverEndingSubBlockChain) {
  Gif g = Simple({"KKKK", "KKKK"});
  g.globalTable = {kPalette[2], kPalette[3], kPalette[4], kPalette[5]};
  g.backgroundIndex = 3;
  g.trailer = false;
  {
    SCOPED_TRACE("clear codes only");
    BitPacker p;
    for (int i = 0; i < 800000; ++i) p.Put(4, 3);
    Bytes data = SubBlocks(p.Finish());
    data.pop_back();
    g.frames[0].data = data;
    ExpectPicture(Decoded(g), {"YYYY", "YYYY"});
  }
  {
    SCOPED_TRACE("pixels far past the frame");
    BitPacker p;
    p.Put(4, 3);
    for (int i = 0; i < 800000; ++i) p.Put(1, i < 3 ? 3 : 4);
    Bytes data = SubBlocks(p.Finish());
    data.pop_back();
    g.frames[0].data = data;
    ExpectPicture(Decoded(g), {"GGGG", "GGGG"});
  }
}

// Every cut of a valid file either throws ImageFormatError (cut before the first frame's
// data) or gives the picture with the pixels the remaining data reaches, in the order the
// data sends them, and the background after them.
TEST(GifDamage, TruncationAtEveryOffset) {
  Gif plain = Simple({"RGBYCM", "MCYBGR", "RRGGBB", "KWKWKW", "YYCCMM"});
  plain.extensions = {{0x21, 0xFE, 3, 'a', 'b', 'c', 0}};
  plain.frames[0].transparent = 5;  // Y
  plain.backgroundIndex = 1;

  Gif interlaced = Simple({"RG", "BY", "CM", "WK", "RG", "BY", "CM", "WK", "RB", "GY", "CC"});
  interlaced.frames[0].interlaced = true;
  interlaced.frames[0].localTable = std::vector<Colour>(kPalette.rbegin(), kPalette.rend());
  interlaced.width = 3;

  Gif animated = Simple({"RGB", "YCM"});
  animated.frames.push_back(Whole(3, 2, {"KKK", "KKK"}));
  animated.frames[0].lzw.deferClear = true;

  for (const Gif* gif : {&plain, &interlaced, &animated}) {
    std::size_t dataStart = 0;
    const Bytes bytes = Encode(*gif, &dataStart);
    const GifPicture whole = DecodeGif(bytes);
    const Raster full = whole.ToRaster();
    const Frame& frame = gif->frames[0];
    // The screen positions of the frame's pixels in the order the data sends them.
    std::vector<std::pair<int, int>> order;
    std::vector<int> rows;
    for (auto [start, step] : frame.interlaced
                                  ? std::vector<std::pair<int, int>>{{0, 8}, {4, 8}, {2, 4}, {1, 2}}
                                  : std::vector<std::pair<int, int>>{{0, 1}})
      for (int y = start; y < frame.height; y += step) rows.push_back(y);
    for (int y : rows)
      for (int x = 0; x < frame.width; ++x) order.emplace_back(frame.left + x, frame.top + y);

    std::size_t reached = 0;
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
      SCOPED_TRACE(cut);
      const Bytes part(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
      if (cut < dataStart) {
        EXPECT_THROW(DecodeGif(part), ImageFormatError);
        continue;
      }
      const Raster r = DecodeGif(part).ToRaster();
      ASSERT_EQ(r.Width(), full.Width());
      ASSERT_EQ(r.Height(), full.Height());
      std::size_t k = 0;
      while (k < order.size() && r.Pixel(order[k].first, order[k].second) ==
                                     full.Pixel(order[k].first, order[k].second))
        ++k;
      EXPECT_GE(k, reached) << "a longer file gave fewer pixels";
      reached = k;
      for (std::size_t i = k; i < order.size(); ++i)
        EXPECT_EQ(r.Pixel(order[i].first, order[i].second), whole.BackgroundColour());
      for (int y = 0; y < full.Height(); ++y)
        for (int x = 0; x < full.Width(); ++x)
          if (x >= frame.left + frame.width || y >= frame.top + frame.height) {
            EXPECT_EQ(r.Pixel(x, y), full.Pixel(x, y));
          }
    }
    EXPECT_EQ(reached, order.size());
  }
}

// Damaged files kept from earlier breakage; each asserts its own outcome.
TEST(GifDamage, CrasherRegressionFiles) {
  const std::string folder = std::string(TAPISTO_TEST_DATA) + "/crashers/";
  EXPECT_EQ(FormatError(ReadWholeFile(folder + "gif-huge-screen.gif", 1 << 20)),
            "GIF: width 65535 exceeds the limit of 32768");
  // The file ends inside a sub-block after five pixels' codes: no end code, terminator or
  // trailer.
  ExpectPicture(ReadGifFile(folder + "gif-cut-in-lzw-data.gif").ToRaster(),
                {"RGBY", "CWWW", "WWWW"});
  // A code far beyond the table after two pixels.
  ExpectPicture(ReadGifFile(folder + "gif-undefined-code.gif").ToRaster(), {"RGW", "WWW"});
}

TEST(GifFile, ReadsTheFileWithinTheInputLimit) {
  test::TempDir dir;
  const Bytes bytes = Encode(Simple({"RGB"}));
  WriteWholeFile(dir.File("picture.gif"), bytes);
  ExpectPicture(ReadGifFile(dir.File("picture.gif")).ToRaster(), {"RGB"});
  ImageLimits small;
  small.maxInputBytes = static_cast<std::int64_t>(bytes.size()) - 1;
  EXPECT_THROW(ReadGifFile(dir.File("picture.gif"), small), ImageTooLargeError);
  EXPECT_THROW(ReadGifFile(dir.File("missing.gif")), FileReadError);
}

}  // namespace
}  // namespace tapisto
