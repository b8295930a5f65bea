// Windows bitmap files (BMP) as the Windows GDI documents them: BITMAPFILEHEADER followed by
// BITMAPINFOHEADER (40 bytes), BITMAPV4HEADER (108), BITMAPV5HEADER (124) or the OS/2
// BITMAPCOREHEADER (12), an optional colour table, and the pixel rows at bfOffBits.
//
// Reading follows the rules of Windows and is strict where a file is damaged:
// - Every header field is read through one bounded ByteReader and checked once; the picture
//   size goes through CheckHeader and every byte count through CheckedMul/CheckedAdd before the
//   raster is allocated, and uncompressed pixel data must be wholly present (a short final
//   row, padding included, is an error) before anything is allocated.
// - The colour table holds biClrUsed entries (0 means 2^bits); a table larger than 2^bits or
//   not fitting before bfOffBits is refused. A pixel index past the table reads as black.
// - RLE8/RLE4: pixels the stream never writes keep colour-table entry 0. A run reaching past
//   the row end is clipped; the position may reach the row just past the last one (an
//   end-of-line after the last row) but a pixel there, or a move further down, is an error, as
//   is a stream ending before its end-of-bitmap marker. Windows allows no top-down RLE bitmap,
//   so neither do we.
// - BI_BITFIELDS masks must each be one run of bits inside the pixel, not overlapping; each
//   field is scaled to 8 bits by bit replication (fields over 8 bits keep their top 8 bits).
//   Alpha is dropped: a raster has none.
#include "image/bmp.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "base/error.h"
#include "image/byte_reader.h"
#include "image/file_io.h"

namespace tapisto {

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kV4HeaderSize = 108;
constexpr std::uint32_t kV5HeaderSize = 124;

[[noreturn]] void Fail(const std::string& what) {
  throw ImageFormatError("BMP: " + what);
}

std::string Hex(std::uint32_t v) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string s = "0x";
  for (int shift = 28; shift >= 0; shift -= 4) s += kDigits[(v >> shift) & 0xFu];
  return s;
}

// Bytes per row: bits rounded up to a whole number of 32-bit words.
std::size_t RowBytes(std::size_t width, unsigned bits) {
  return CheckedMul(CheckedAdd(CheckedMul(width, bits), 31) / 32, 4);
}

// `v`, an n-bit value (1 <= n <= 8), widened to 8 bits by repeating its bits, so that 0 stays
// 0 and the largest n-bit value becomes 255.
std::uint8_t Replicate(std::uint32_t v, int n) {
  std::uint32_t out = 0;
  for (int pos = 8 - n;; pos -= n) {
    out |= pos >= 0 ? v << pos : v >> -pos;
    if (pos <= 0) break;
  }
  return static_cast<std::uint8_t>(out & 0xFFu);
}

// One colour field of a 16- or 32-bit pixel.
class Channel {
 public:
  Channel() = default;
  // `mask` has already been checked to be one run of bits (or 0).
  explicit Channel(std::uint32_t mask) : mask_(mask) {
    if (mask == 0) return;
    shift_ = std::countr_zero(mask);
    const int width = std::popcount(mask);
    drop_ = width > 8 ? width - 8 : 0;
    const int kept = width - drop_;
    for (std::uint32_t v = 0; v < (1u << kept); ++v) lut_[v] = Replicate(v, kept);
  }
  std::uint32_t Of(std::uint32_t pixel) const noexcept {
    return lut_[((pixel & mask_) >> shift_) >> drop_];
  }

 private:
  std::uint32_t mask_ = 0;
  int shift_ = 0;
  int drop_ = 0;
  std::array<std::uint8_t, 256> lut_{};
};

struct Masks {
  Channel red, green, blue;
  Colour Of(std::uint32_t pixel) const noexcept {
    return red.Of(pixel) | (green.Of(pixel) << 8) | (blue.Of(pixel) << 16);
  }
};

Masks MakeMasks(const std::array<std::uint32_t, 3>& masks, unsigned bits) {
  std::uint32_t seen = 0;
  for (const std::uint32_t m : masks) {
    if (m == 0) continue;
    const std::uint32_t run = m >> std::countr_zero(m);
    if ((run & (run + 1)) != 0) Fail("colour mask " + Hex(m) + " is not one run of bits");
    if (bits < 32 && (m >> bits) != 0) {
      Fail("colour mask " + Hex(m) + " exceeds the " + std::to_string(bits) + "-bit pixel");
    }
    if ((seen & m) != 0) Fail("colour masks overlap");
    seen |= m;
  }
  return Masks{Channel(masks[0]), Channel(masks[1]), Channel(masks[2])};
}

// What the headers say, checked.
struct Header {
  std::uint32_t headerSize = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;  // always positive; topDown records the sign
  bool topDown = false;
  unsigned bits = 0;
  std::uint32_t compression = kBiRgb;
  std::uint32_t colourCount = 0;  // entries of the colour table (indexed pictures only)
  std::size_t entrySize = 4;      // 3 for the core header
  std::size_t tableOffset = 0;
  std::size_t dataOffset = 0;
  std::array<std::uint32_t, 3> masks{};
};

Header ReadHeader(std::span<const std::uint8_t> bytes, const ImageLimits& limits) {
  ByteReader in(bytes);
  Header h;
  const std::uint8_t b = in.U8();
  const std::uint8_t m = in.U8();
  if (in.ok() && (b != 'B' || m != 'M')) Fail("not a BMP file (no \"BM\" signature)");
  in.Skip(8);  // bfSize and the reserved words: often wrong in the wild, never needed
  const std::uint32_t offBits = in.U32le();
  h.headerSize = in.U32le();
  if (!in.ok()) Fail("truncated file header");

  std::uint32_t clrUsed = 0;
  if (h.headerSize == kCoreHeaderSize) {
    h.width = in.U16le();
    h.height = in.U16le();
    in.Skip(2);  // planes
    h.bits = in.U16le();
    h.entrySize = 3;
    if (!in.ok()) Fail("truncated bitmap header");
    if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 24) {
      Fail("unsupported bit count " + std::to_string(h.bits));
    }
  } else if (h.headerSize == kInfoHeaderSize || h.headerSize == kV4HeaderSize ||
             h.headerSize == kV5HeaderSize) {
    h.width = in.I32le();
    const std::int32_t height = in.I32le();
    in.Skip(2);  // planes
    h.bits = in.U16le();
    h.compression = in.U32le();
    in.Skip(12);  // biSizeImage (not trusted), resolution
    clrUsed = in.U32le();
    in.Skip(4);  // biClrImportant
    if (h.compression == kBiBitfields) {
      // A 40-byte header keeps its three masks right after it; V4 and V5 hold them inside.
      for (auto& mask : h.masks) mask = in.U32le();
    }
    if (!in.ok()) Fail("truncated bitmap header");
    if (height == std::numeric_limits<std::int32_t>::min()) {
      Fail("invalid height " + std::to_string(height));
    }
    h.topDown = height < 0;
    h.height = height < 0 ? -std::int64_t{height} : height;
    if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 16 && h.bits != 24 && h.bits != 32) {
      Fail("unsupported bit count " + std::to_string(h.bits));
    }
    switch (h.compression) {
      case kBiRgb:
        break;
      case kBiRle8:
      case kBiRle4:
        if (h.bits != (h.compression == kBiRle8 ? 8u : 4u)) {
          Fail(std::string(h.compression == kBiRle8 ? "RLE8" : "RLE4") +
               " compression does not fit bit count " + std::to_string(h.bits));
        }
        if (h.topDown) Fail("a top-down bitmap cannot be RLE-compressed");
        break;
      case kBiBitfields:
        if (h.bits != 16 && h.bits != 32) {
          Fail("BI_BITFIELDS compression does not fit bit count " + std::to_string(h.bits));
        }
        break;
      default:
        Fail("unsupported compression " + std::to_string(h.compression));
    }
  } else {
    Fail("unsupported header size " + std::to_string(h.headerSize));
  }

  CheckHeader("BMP", h.width, h.height, limits);

  h.tableOffset = kFileHeaderSize + h.headerSize;
  if (h.headerSize == kInfoHeaderSize && h.compression == kBiBitfields) h.tableOffset += 12;
  h.dataOffset = offBits;
  if (h.dataOffset > bytes.size()) {
    Fail("pixel data offset " + std::to_string(offBits) + " lies past the end of the file (" +
         std::to_string(bytes.size()) + " bytes)");
  }
  if (h.dataOffset < h.tableOffset) {
    Fail("pixel data offset " + std::to_string(offBits) + " lies inside the headers");
  }
  if (h.bits <= 8) {
    const std::uint32_t most = 1u << h.bits;
    h.colourCount = clrUsed == 0 ? most : clrUsed;
    if (h.colourCount > most) {
      Fail("colour table of " + std::to_string(clrUsed) + " entries is larger than the " +
           std::to_string(most) + " a " + std::to_string(h.bits) + "-bit picture can use");
    }
    const std::size_t tableBytes = h.colourCount * h.entrySize;
    if (tableBytes > h.dataOffset - h.tableOffset) {
      Fail("colour table of " + std::to_string(h.colourCount) +
           " entries does not fit before the pixel data");
    }
  }
  return h;
}

std::vector<Colour> ReadColourTable(std::span<const std::uint8_t> bytes, const Header& h) {
  std::vector<Colour> table;
  table.reserve(h.colourCount);
  const auto raw = bytes.subspan(h.tableOffset, h.colourCount * h.entrySize);
  for (std::size_t i = 0; i < raw.size(); i += h.entrySize) {
    table.push_back(ComposeRgb(raw[i + 2], raw[i + 1], raw[i]));
  }
  return table;
}

void DecodeRows(std::span<const std::uint8_t> data, const Header& h,
                const std::array<Colour, 256>& lut, Raster& out) {
  const auto width = static_cast<std::size_t>(h.width);
  const int height = static_cast<int>(h.height);
  const std::size_t rowBytes = RowBytes(width, h.bits);
  const bool bitfields = h.compression == kBiBitfields;
  Masks masks;
  if (h.bits == 16) {
    // 16-bit BI_RGB is 5-5-5 with the top bit unused.
    masks =
        MakeMasks(bitfields ? h.masks : std::array<std::uint32_t, 3>{0x7C00, 0x03E0, 0x001F}, 16);
  } else if (h.bits == 32 && bitfields) {
    masks = MakeMasks(h.masks, 32);
  }
  for (int i = 0; i < height; ++i) {
    const std::uint8_t* src = data.data() + static_cast<std::size_t>(i) * rowBytes;
    Colour* dst = out.Row(h.topDown ? i : height - 1 - i);
    for (std::size_t x = 0; x < width; ++x) {
      switch (h.bits) {
        case 1:
          dst[x] = lut[(unsigned{src[x >> 3]} >> (7 - (x & 7))) & 1u];
          break;
        case 4:
          dst[x] = lut[(unsigned{src[x >> 1]} >> ((x & 1) != 0 ? 0 : 4)) & 0xFu];
          break;
        case 8:
          dst[x] = lut[src[x]];
          break;
        case 16:
          dst[x] = masks.Of(src[2 * x] | (std::uint32_t{src[2 * x + 1]} << 8));
          break;
        case 24:
          dst[x] = ComposeRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
          break;
        default: {
          const std::uint8_t* p = src + 4 * x;
          if (bitfields) {
            dst[x] = masks.Of(p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
                              (std::uint32_t{p[3]} << 24));
          } else {
            dst[x] = ComposeRgb(p[2], p[1], p[0]);
          }
        }
      }
    }
  }
}

// Walks an RLE stream. With no raster it only checks the stream, so a damaged file is refused
// before the picture's memory is taken: a few hundred bytes may claim a picture of a gigabyte.
void DecodeRle(std::span<const std::uint8_t> data, const Header& h,
               const std::array<Colour, 256>& lut, Raster* out) {
  const bool rle8 = h.compression == kBiRle8;
  const std::int64_t width = h.width;
  const std::int64_t height = h.height;
  if (out != nullptr) {
    for (int y = 0; y < out->Height(); ++y) std::fill(out->Row(y), out->Row(y) + width, lut[0]);
  }

  ByteReader in(data);
  std::int64_t x = 0;
  std::int64_t y = 0;  // rows counted from the bottom of the picture
  // Writes `count` pixels at the current position, the i-th with colour index `indexOf(i)`,
  // dropping those past the row end.
  auto put = [&](std::size_t count, auto indexOf) {
    if (y >= height) Fail("RLE data runs past the last row");
    if (out == nullptr) {
      x = std::min(x + static_cast<std::int64_t>(count), width);
      return;
    }
    Colour* row = out->Row(static_cast<int>(height - 1 - y));
    for (std::size_t i = 0; i < count && x < width; ++i, ++x) row[x] = lut[indexOf(i)];
  };
  for (;;) {
    const std::uint8_t count = in.U8();
    const std::uint8_t value = in.U8();
    if (!in.ok()) Fail("RLE data ends before the end-of-bitmap marker");
    if (count > 0) {
      put(count, [&](std::size_t i) -> std::uint8_t {
        if (rle8) return value;
        return (i & 1) != 0 ? value & 0xFu : value >> 4;
      });
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      if (++y > height) Fail("RLE end-of-line moves past the last row");
    } else if (value == 1) {  // end of bitmap
      return;
    } else if (value == 2) {  // delta: move right and up
      const std::uint8_t dx = in.U8();
      const std::uint8_t dy = in.U8();
      if (!in.ok()) Fail("RLE data ends before the end-of-bitmap marker");
      x = std::min(x + dx, width);
      y += dy;
      if (y > height) Fail("RLE delta moves past the last row");
    } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
      const std::size_t n = rle8 ? value : (value + 1u) / 2;
      const auto run = in.Bytes(n);
      if ((n & 1) != 0) in.Skip(1);
      if (!in.ok()) Fail("RLE data ends before the end-of-bitmap marker");
      put(value, [&](std::size_t i) -> std::uint8_t {
        if (rle8) return run[i];
        return (i & 1) != 0 ? run[i / 2] & 0xFu : run[i / 2] >> 4;
      });
    }
  }
}

PixelFormat FormatOfBits(unsigned bits) {
  switch (bits) {
    case 1:
      return PixelFormat::Bit1;
    case 4:
      return PixelFormat::Bit4;
    case 8:
      return PixelFormat::Bit8;
    case 16:
      return PixelFormat::Bit16;
    case 24:
      return PixelFormat::Bit24;
    default:
      return PixelFormat::Bit32;
  }
}

}  // namespace

Raster DecodeBmp(std::span<const std::uint8_t> bytes, const ImageLimits& limits) {
  const Header h = ReadHeader(bytes, limits);
  const auto data = bytes.subspan(h.dataOffset);
  const bool rle = h.compression == kBiRle8 || h.compression == kBiRle4;
  if (!rle) {
    const std::size_t needed = CheckedMul(RowBytes(static_cast<std::size_t>(h.width), h.bits),
                                          static_cast<std::size_t>(h.height));
    if (needed > data.size()) {
      Fail("truncated pixel data: " + std::to_string(data.size()) + " of " +
           std::to_string(needed) + " bytes present");
    }
  }

  std::vector<Colour> table;
  std::array<Colour, 256> lut{};  // indices past the table read as black
  if (h.bits <= 8) {
    table = ReadColourTable(bytes, h);
    std::copy(table.begin(), table.end(), lut.begin());
  }

  if (rle) DecodeRle(data, h, lut, nullptr);  // refuses a damaged stream before allocating

  Raster out(static_cast<int>(h.width), static_cast<int>(h.height));
  out.SetFormat(FormatOfBits(h.bits));
  if (rle) {
    DecodeRle(data, h, lut, &out);
  } else {
    DecodeRows(data, h, lut, out);
  }
  if (h.bits <= 8) out.SetPalette(std::move(table));
  return out;
}

namespace {

// The table a 1-, 4- or 8-bit picture falls back on when its colours fit no other: black and
// white; for 4 bits red and blue in 2 levels and green in 4; for 8 bits red and green in 8
// levels and blue in 4 (3-3-2).
std::vector<Colour> DefaultTable(unsigned bits) {
  if (bits == 1) return {ComposeRgb(0, 0, 0), kWhite};
  const int nr = bits == 4 ? 2 : 8;
  const int ng = bits == 4 ? 4 : 8;
  const int nb = bits == 4 ? 2 : 4;
  // Level i of n, spread evenly over 0..255.
  auto level = [](int n, int i) { return (i * 255 + (n - 1) / 2) / (n - 1); };
  std::vector<Colour> table;
  for (int r = 0; r < nr; ++r)
    for (int g = 0; g < ng; ++g)
      for (int b = 0; b < nb; ++b)
        table.push_back(ComposeRgb(level(nr, r), level(ng, g), level(nb, b)));
  return table;
}

int Distance(Colour a, Colour b) {
  const int dr = RedOf(a) - RedOf(b);
  const int dg = GreenOf(a) - GreenOf(b);
  const int db = BlueOf(a) - BlueOf(b);
  return dr * dr + dg * dg + db * db;
}

// The colour table of an indexed picture and each pixel's index into it. The rule:
// 1. the raster's palette (when it has at most 2^bits entries) if every pixel is in it;
// 2. else the raster's distinct colours, in the order they first appear (rows top-down), if
//    there are at most 2^bits;
// 3. else each pixel takes the nearest entry (least squared RGB distance, the first on a tie)
//    of the raster's palette when it has at most 2^bits entries, or of DefaultTable(bits).
struct Indexed {
  std::vector<Colour> table;
  std::vector<std::uint8_t> indices;  // one per pixel, rows top-down
};

Indexed ChooseIndices(const Raster& raster, unsigned bits) {
  const std::size_t most = std::size_t{1} << bits;
  const auto pixels = raster.Pixels();
  Indexed result;
  result.indices.resize(pixels.size());

  std::vector<Colour> palette;
  if (raster.Palette().size() <= most) {
    for (const Colour c : raster.Palette()) palette.push_back(c & 0x00FFFFFFu);
  }
  // Exact mapping through `table`; false when a pixel is not in it.
  auto mapExactly = [&](const std::vector<Colour>& table) {
    std::unordered_map<Colour, std::uint8_t> index;
    for (std::size_t i = table.size(); i-- > 0;) index[table[i]] = static_cast<std::uint8_t>(i);
    for (std::size_t p = 0; p < pixels.size(); ++p) {
      const auto it = index.find(pixels[p]);
      if (it == index.end()) return false;
      result.indices[p] = it->second;
    }
    result.table = table;
    return true;
  };
  if (!palette.empty() && mapExactly(palette)) return result;

  std::vector<Colour> distinct;
  {
    std::unordered_set<Colour> seen;
    for (const Colour c : pixels) {
      if (seen.insert(c).second) {
        distinct.push_back(c);
        if (distinct.size() > most) break;
      }
    }
  }
  if (distinct.size() <= most && mapExactly(distinct)) return result;

  result.table = palette.empty() ? DefaultTable(bits) : palette;
  // Photographs repeat colours often; a small direct-mapped cache spares most searches.
  constexpr std::size_t kCacheSize = 4096;
  std::vector<std::pair<Colour, std::uint8_t>> cache(kCacheSize, {0xFFFFFFFFu, 0});
  for (std::size_t p = 0; p < pixels.size(); ++p) {
    const Colour c = pixels[p];
    auto& slot = cache[(c ^ (c >> 12) ^ (c >> 20)) % kCacheSize];
    if (slot.first != c) {
      std::size_t best = 0;
      for (std::size_t i = 1; i < result.table.size(); ++i) {
        if (Distance(c, result.table[i]) < Distance(c, result.table[best])) best = i;
      }
      slot = {c, static_cast<std::uint8_t>(best)};
    }
    result.indices[p] = slot.second;
  }
  return result;
}

class ByteWriter {
 public:
  explicit ByteWriter(std::size_t capacity) { bytes_.reserve(capacity); }
  void U8(std::uint32_t v) { bytes_.push_back(static_cast<std::uint8_t>(v & 0xFFu)); }
  void U16(std::uint32_t v) {
    U8(v);
    U8(v >> 8);
  }
  void U32(std::uint32_t v) {
    U16(v);
    U16(v >> 16);
  }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

unsigned BitsOfFormat(PixelFormat format) {
  switch (format) {
    case PixelFormat::Bit1:
      return 1;
    case PixelFormat::Bit4:
      return 4;
    case PixelFormat::Bit8:
      return 8;
    case PixelFormat::Bit16:
      return 16;
    case PixelFormat::Bit32:
      return 32;
    case PixelFormat::Bit24:
    case PixelFormat::Device:
      break;
  }
  return 24;
}

}  // namespace

// A 0 x 0 picture is refused: Windows reads no BMP file without pixels, so writing one would
// produce a file nothing (this reader included) can open.
std::vector<std::uint8_t> EncodeBmp(const Raster& raster) {
  if (raster.Empty()) throw ImageFormatError("cannot write an empty picture as BMP");
  const unsigned bits = BitsOfFormat(raster.Format());
  const auto width = static_cast<std::size_t>(raster.Width());
  const auto height = static_cast<std::size_t>(raster.Height());

  Indexed indexed;
  if (bits <= 8) indexed = ChooseIndices(raster, bits);
  const std::size_t rowBytes = RowBytes(width, bits);
  const std::size_t imageSize = CheckedMul(rowBytes, height);
  const std::size_t offBits = kFileHeaderSize + kInfoHeaderSize + 4 * indexed.table.size();
  const std::size_t fileSize = CheckedAdd(offBits, imageSize);
  if (fileSize > std::numeric_limits<std::uint32_t>::max()) {
    throw ImageTooLargeError("BMP: picture too large for a BMP file");
  }

  ByteWriter out(fileSize);
  // BITMAPFILEHEADER
  out.U8('B');
  out.U8('M');
  out.U32(static_cast<std::uint32_t>(fileSize));
  out.U32(0);
  out.U32(static_cast<std::uint32_t>(offBits));
  // BITMAPINFOHEADER
  out.U32(kInfoHeaderSize);
  out.U32(static_cast<std::uint32_t>(width));
  out.U32(static_cast<std::uint32_t>(height));
  out.U16(1);
  out.U16(bits);
  out.U32(kBiRgb);
  out.U32(static_cast<std::uint32_t>(imageSize));
  out.U32(2835);  // 72 dots per inch
  out.U32(2835);
  out.U32(static_cast<std::uint32_t>(indexed.table.size()));
  out.U32(0);
  for (const Colour c : indexed.table) {
    out.U8(BlueOf(c));
    out.U8(GreenOf(c));
    out.U8(RedOf(c));
    out.U8(0);
  }

  std::vector<std::uint8_t> row(rowBytes);
  for (std::size_t i = 0; i < height; ++i) {
    const std::size_t y = height - 1 - i;  // bottom-up
    const Colour* src = raster.Row(static_cast<int>(y));
    const std::uint8_t* idx = indexed.indices.data() + (bits <= 8 ? y * width : 0);
    std::fill(row.begin(), row.end(), std::uint8_t{0});
    for (std::size_t x = 0; x < width; ++x) {
      const Colour c = src[x];
      switch (bits) {
        case 1:
          row[x >> 3] = static_cast<std::uint8_t>(row[x >> 3] | (idx[x] << (7 - (x & 7))));
          break;
        case 4:
          row[x >> 1] = static_cast<std::uint8_t>(row[x >> 1] | (idx[x] << ((x & 1) != 0 ? 0 : 4)));
          break;
        case 8:
          row[x] = idx[x];
          break;
        case 16: {
          // 5-5-5, each channel truncated to its top 5 bits.
          const unsigned v = ((unsigned{RedOf(c)} >> 3u) << 10) |
                             ((unsigned{GreenOf(c)} >> 3u) << 5) | (unsigned{BlueOf(c)} >> 3u);
          row[2 * x] = static_cast<std::uint8_t>(v & 0xFFu);
          row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
          break;
        }
        case 24:
          row[3 * x] = BlueOf(c);
          row[3 * x + 1] = GreenOf(c);
          row[3 * x + 2] = RedOf(c);
          break;
        default:
          row[4 * x] = BlueOf(c);
          row[4 * x + 1] = GreenOf(c);
          row[4 * x + 2] = RedOf(c);
          break;
      }
    }
    for (const std::uint8_t b : row) out.U8(b);
  }
  return out.Take();
}

Raster ReadBmpFile(const std::string& path, const ImageLimits& limits) {
  return DecodeBmp(ReadWholeFile(path, limits.maxInputBytes), limits);
}

void WriteBmpFile(const Raster& raster, const std::string& path) {
  WriteWholeFile(path, EncodeBmp(raster));
}

}  // namespace tapisto
