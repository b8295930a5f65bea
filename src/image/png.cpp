// PNG reader (ISO/IEC 15948). Our own chunk parser; zlib only inflates the image data.
//
// Invariants and decisions:
// - The size of the inflated image data is computed from IHDR alone (filter bytes and, for
//   Adam7, the seven reduced images included) after CheckHeader has accepted the picture.
//   A picture that is not interlaced is inflated a stretch of rows at a time and converted
//   as its rows arrive; an interlaced one into a buffer of at most that size.
//   Nothing in the stream can make either grow, so a zlib bomb costs at most the expected size.
// - Inflated data beyond the expected size is ignored: inflating stops once the last row is in.
//   The zlib stream's Adler-32 is checked whenever the stream's end lies within the IDAT data
//   right after the last row; a stream cut after its last row but before its end is accepted.
//   A stream that ends early, or IDAT chunks that run out before the buffer is full, is an
//   ImageFormatError.
// - Critical chunks (IHDR, PLTE, IDAT, IEND) are CRC-checked; ancillary chunks are not, and
//   are skipped unless they are tRNS. An unknown critical chunk is an error. A tRNS chunk that
//   is malformed or misplaced (after IDAT, before PLTE, for a colour type with alpha) is
//   ignored, as any ancillary chunk may be. IDAT chunks are concatenated in file order.
// - A palette index beyond the PLTE entries is an ImageFormatError.
// - Output is 8-bit RGBA: samples under 8 bits are scaled to 0..255 (1 bit x255, 2 bit x85,
//   4 bit x17); 16-bit samples keep their high byte (v >> 8). tRNS is compared with the
//   samples at their full precision, before that reduction.
// - Bytes after IEND are ignored.
#include "image/png.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <vector>

#include "base/error.h"
#include "image/adler32.h"
#include "image/byte_reader.h"
#include "image/file_io.h"

namespace tapisto {

namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {137, 80, 78, 71, 13, 10, 26, 10};
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFFu;

enum ColourType : std::uint8_t {
  kGrey = 0,
  kRgb = 2,
  kPalette = 3,
  kGreyAlpha = 4,
  kRgba = 6,
};

[[noreturn]] void Fail(const std::string& message) {
  throw ImageFormatError("PNG: " + message);
}

struct Header {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint8_t depth = 0;
  std::uint8_t colourType = 0;
  std::uint8_t interlace = 0;
};

std::size_t ChannelsOf(std::uint8_t colourType) {
  switch (colourType) {
    case kGrey:
    case kPalette:
      return 1;
    case kGreyAlpha:
      return 2;
    case kRgb:
      return 3;
    default:
      return 4;
  }
}

bool ValidDepth(std::uint8_t colourType, std::uint8_t depth) {
  switch (colourType) {
    case kGrey:
      return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case kPalette:
      return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case kRgb:
    case kGreyAlpha:
    case kRgba:
      return depth == 8 || depth == 16;
    default:
      return false;
  }
}

Header ParseHeader(std::span<const std::uint8_t> data, const ImageLimits& limits) {
  if (data.size() != 13) Fail("IHDR has " + std::to_string(data.size()) + " bytes, not 13");
  ByteReader r(data);
  Header h;
  h.width = r.U32be();
  h.height = r.U32be();
  h.depth = r.U8();
  h.colourType = r.U8();
  const std::uint8_t compression = r.U8();
  const std::uint8_t filter = r.U8();
  h.interlace = r.U8();
  if (h.colourType == 1 || h.colourType == 5 || h.colourType > 6) {
    Fail("unknown colour type " + std::to_string(h.colourType));
  }
  if (!ValidDepth(h.colourType, h.depth)) {
    Fail("bit depth " + std::to_string(h.depth) + " is not allowed for colour type " +
         std::to_string(h.colourType));
  }
  if (compression != 0) Fail("unknown compression method " + std::to_string(compression));
  if (filter != 0) Fail("unknown filter method " + std::to_string(filter));
  if (h.interlace > 1) Fail("unknown interlace method " + std::to_string(h.interlace));
  // The limits come first so that an oversized picture is reported as too large even when its
  // size is also beyond what the format allows.
  CheckHeader("PNG", h.width, h.height, limits);
  if (h.width > kMaxChunkLength || h.height > kMaxChunkLength) {
    Fail("picture size " + std::to_string(h.width) + " x " + std::to_string(h.height) +
         " is beyond 2^31-1");
  }
  return h;
}

// One reduced image of the Adam7 scheme, or the whole picture when not interlaced.
struct Pass {
  std::size_t x0, y0, dx, dy;
  std::size_t width, height;  // in pixels; a pass with either zero has no bytes at all
  std::size_t rowBytes;       // without the filter byte
  std::size_t offset;         // of its first filter byte in the inflated data
};

constexpr std::array<std::array<std::size_t, 4>, 7> kAdam7 = {{
    {0, 0, 8, 8},
    {4, 0, 8, 8},
    {0, 4, 4, 8},
    {2, 0, 4, 4},
    {0, 2, 2, 4},
    {1, 0, 2, 2},
    {0, 1, 1, 2},
}};

// A file too short for the picture its header claims is refused before its pixels are
// allocated. The bound: deflate's densest code is a match of 258 bytes whose length and
// distance codes are one bit each (a dynamic Huffman block can make them so), 2 bits for 258
// bytes, so the compressed data is at least 1/1032 of the inflated data, and the file is
// larger still.
void CheckLeastSize(const Header& h, std::size_t inflated, std::size_t fileBytes) {
  const std::size_t least = inflated / 1032;
  if (fileBytes < least) {
    Fail(std::to_string(h.width) + " x " + std::to_string(h.height) + " pixels take at least " +
         std::to_string(least) + " bytes, the file has " + std::to_string(fileBytes) +
         ": it is damaged");
  }
}

// The passes of the picture and the total size of its inflated data.
std::vector<Pass> PlanPasses(const Header& h, std::size_t bitsPerPixel, std::size_t& total) {
  std::vector<Pass> passes;
  std::vector<std::array<std::size_t, 4>> steps;
  if (h.interlace == 0) {
    steps.push_back({0, 0, 1, 1});
  } else {
    steps.assign(kAdam7.begin(), kAdam7.end());
  }
  total = 0;
  for (const auto& [x0, y0, dx, dy] : steps) {
    Pass p{x0, y0, dx, dy, 0, 0, 0, total};
    if (h.width > x0) p.width = (h.width - x0 + dx - 1) / dx;
    if (h.height > y0) p.height = (h.height - y0 + dy - 1) / dy;
    if (p.width == 0 || p.height == 0) continue;
    p.rowBytes = CheckedAdd(CheckedMul(p.width, bitsPerPixel), 7) / 8;
    total = CheckedAdd(total, CheckedMul(p.height, CheckedAdd(p.rowBytes, 1)));
    passes.push_back(p);
  }
  return passes;
}

// Where inflated bytes go: Room() is the stretch to fill next (empty once nothing more is
// wanted), Produced(n) says that its first n bytes were filled.
class ByteSink {
 public:
  virtual std::span<std::uint8_t> Room() = 0;
  virtual void Produced(std::size_t n) = 0;

 protected:
  ~ByteSink() = default;
};

// Inflates the concatenated IDAT payloads, one chunk at a time, into what a ByteSink offers.
// Inflating stops for good at the end of the zlib stream, or once the sink wants nothing more
// and the stream still holds data (the excess is ignored). The stream's Adler-32 is checked
// here rather than by zlib, whose byte-at-a-time sum takes a tenth of a picture's reading: zlib
// still reads the four bytes that end the stream, which are the last it took.
class Inflater {
 public:
  Inflater() {
    const int rc = inflateInit(&stream_);
    if (rc == Z_MEM_ERROR) throw std::bad_alloc();
    if (rc != Z_OK) Fail("cannot start inflating");
    inflateValidate(&stream_, 0);
  }
  ~Inflater() { inflateEnd(&stream_); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  void Feed(std::span<const std::uint8_t> data, ByteSink& sink) {
    if (done_ || data.empty()) return;
    // zlib's interface takes non-const input but never writes through it.
    stream_.next_in = const_cast<Bytef*>(data.data());
    stream_.avail_in = static_cast<uInt>(data.size());  // chunk lengths are under 2^31
    while (stream_.avail_in > 0) {
      const std::span<std::uint8_t> room = sink.Room();
      const uInt step = static_cast<uInt>(std::min<std::size_t>(room.size(), std::size_t{1} << 30));
      stream_.next_out = room.data();
      stream_.avail_out = step;
      const Bytef* const taken = stream_.next_in;
      const int rc = inflate(&stream_, Z_NO_FLUSH);
      KeepLastTaken({taken, stream_.next_in});
      const std::size_t produced = step - stream_.avail_out;
      adler_ = Adler32(adler_, room.first(produced));  // before the sink changes the bytes
      sink.Produced(produced);
      if (rc == Z_STREAM_END) {
        done_ = true;  // a stream that ends short is reported once the chunks are read
        const std::uint32_t stored = std::uint32_t{lastTaken_[0]} << 24 |
                                     std::uint32_t{lastTaken_[1]} << 16 |
                                     std::uint32_t{lastTaken_[2]} << 8 | lastTaken_[3];
        if (stored != adler_) Fail("damaged image data (incorrect data check)");
        return;
      }
      if (rc == Z_BUF_ERROR && room.empty()) {
        // Nothing more is wanted and the stream still holds data: the excess is ignored.
        done_ = true;
        return;
      }
      if (rc == Z_MEM_ERROR) throw std::bad_alloc();
      if (rc != Z_OK) {
        Fail(std::string("damaged image data (") +
             (stream_.msg != nullptr ? stream_.msg : "zlib error") + ")");
      }
    }
  }

 private:
  // Keeps the last four bytes of those inflate took, counting those it took before.
  void KeepLastTaken(std::span<const std::uint8_t> bytes) {
    const std::size_t n = std::min(bytes.size(), lastTaken_.size());
    std::copy(lastTaken_.begin() + static_cast<std::ptrdiff_t>(n), lastTaken_.end(),
              lastTaken_.begin());
    std::copy(bytes.end() - static_cast<std::ptrdiff_t>(n), bytes.end(),
              lastTaken_.end() - static_cast<std::ptrdiff_t>(n));
  }

  z_stream stream_{};
  bool done_ = false;
  std::uint32_t adler_ = 1;  // of the bytes inflated so far
  std::array<std::uint8_t, 4> lastTaken_{};
};

// The whole inflated data in one buffer that ends at the size the header implies (for
// interlaced pictures, whose passes are undone once all is there). Deflate makes at most 1032
// bytes of one input byte, so the buffer starts at what the file's bytes can possibly inflate
// to, at most the expected size; it is not cleared, so pages that no data reaches are never
// touched and cost no memory. A small file that claims a huge picture thus costs memory in
// proportion to what it really holds. Should the data ever outgrow that start, the buffer
// doubles.
class WholeBuffer final : public ByteSink {
 public:
  WholeBuffer(std::size_t size, std::size_t inputBytes) : expected_(size) {
    constexpr std::size_t kMaxRatio = 1032;
    constexpr std::size_t kFirst = std::size_t{64} << 10;
    std::size_t reach = expected_;
    if (inputBytes <= expected_ / kMaxRatio) reach = inputBytes * kMaxRatio;
    Reserve(std::min(expected_, std::max(kFirst, reach)));
  }

  std::span<std::uint8_t> Room() override {
    if (produced_ == capacity_ && capacity_ < expected_) {
      Reserve(std::min(expected_, capacity_ * 2));
    }
    return {out_.get() + produced_, capacity_ - produced_};
  }
  void Produced(std::size_t n) override { produced_ += n; }

  bool Complete() const noexcept { return produced_ == expected_; }
  // The inflated data; all of it once Complete().
  std::uint8_t* Data() noexcept { return out_.get(); }

 private:
  // A buffer of `capacity` bytes holding what was inflated so far, the rest left uncleared.
  void Reserve(std::size_t capacity) {
    std::unique_ptr<std::uint8_t[]> next(new std::uint8_t[capacity]);
    if (produced_ != 0) std::memcpy(next.get(), out_.get(), produced_);
    out_ = std::move(next);
    capacity_ = capacity;
  }

  std::size_t expected_;
  std::unique_ptr<std::uint8_t[]> out_;
  std::size_t capacity_ = 0;
  std::size_t produced_ = 0;
};

// The Paeth predictor without branches, so the compiler can use selects (and vector lanes
// where the pixel size is known): pa, pb and pc are the distances of a + b - c to a, b, c.
inline int Paeth(int a, int b, int c) {
  const int pa = std::abs(b - c);
  const int pb = std::abs(a - c);
  const int pc = std::abs(a + b - 2 * c);
  const int bOrC = pb <= pc ? b : c;
  return pa <= pb && pa <= pc ? a : bOrC;
}

// The Average and Paeth filters of a row that has a row above, `Bpp` bytes a pixel. The bytes
// of the first pixel have no left neighbour (0), which makes Paeth predict the byte above and
// Average half of it. The rest runs a pixel at a time, each byte of a pixel independent of
// the others, which a fixed pixel size lets the compiler do side by side.
template <std::size_t Bpp>
void UnfilterAverage(std::uint8_t* cur, const std::uint8_t* prev, std::size_t n) {
  for (std::size_t i = 0; i < Bpp && i < n; ++i) {
    cur[i] = static_cast<std::uint8_t>(cur[i] + (prev[i] >> 1));
  }
  for (std::size_t x = Bpp; x + Bpp <= n; x += Bpp) {
    for (std::size_t k = 0; k < Bpp; ++k) {
      const unsigned left = cur[x + k - Bpp];
      cur[x + k] = static_cast<std::uint8_t>(cur[x + k] + ((left + prev[x + k]) >> 1));
    }
  }
}

// Eight bytes of a pixel side by side, as they lie and widened to 16 bits (GCC and Clang
// vector extensions).
using PixelBytes = std::uint8_t __attribute__((vector_size(8)));
using PixelLanes = std::int16_t __attribute__((vector_size(16)));

template <std::size_t Bpp>
PixelLanes LoadLanes(const std::uint8_t* bytes) {
  PixelBytes b{};
  std::memcpy(&b, bytes, Bpp);
  return __builtin_convertvector(b, PixelLanes);
}

inline PixelLanes AbsLanes(PixelLanes v) {
  return v < 0 ? -v : v;
}

template <std::size_t Bpp>
void UnfilterPaeth(std::uint8_t* cur, const std::uint8_t* prev, std::size_t n) {
  static_assert(Bpp <= 8);
  for (std::size_t i = 0; i < Bpp && i < n; ++i)
    cur[i] = static_cast<std::uint8_t>(cur[i] + prev[i]);
  // Paeth on all bytes of a pixel at once, with the same choice as Paeth() lane by lane.
  PixelLanes a = LoadLanes<Bpp>(cur);
  PixelLanes c = LoadLanes<Bpp>(prev);
  for (std::size_t x = Bpp; x + Bpp <= n; x += Bpp) {
    const PixelLanes b = LoadLanes<Bpp>(prev + x);
    // Each pixel waits on the one before (a); what needs b and c alone is worked out aside.
    const PixelLanes pa = AbsLanes(b - c);
    const PixelLanes bLessTwiceC = b - c - c;
    const PixelLanes pb = AbsLanes(a - c);
    const PixelLanes pc = AbsLanes(a + bLessTwiceC);
    const PixelLanes bOrC = pb <= pc ? b : c;
    const PixelLanes predicted = pa <= (pb < pc ? pb : pc) ? a : bOrC;
    const PixelLanes sum = (LoadLanes<Bpp>(cur + x) + predicted) & 0xFF;
    const PixelBytes out = __builtin_convertvector(sum, PixelBytes);
    std::memcpy(cur + x, &out, Bpp);
    a = sum;
    c = b;
  }
}

// Average (3) or Paeth (4) of a row with a row above, for the pixel sizes of PNG rows: 1 to 4,
// 6 and 8 bytes (n is a whole number of pixels then), other sizes byte by byte.
void UnfilterWithRowAbove(std::uint8_t filter, std::uint8_t* cur, const std::uint8_t* prev,
                          std::size_t n, std::size_t bpp) {
  using Fn = void (*)(std::uint8_t*, const std::uint8_t*, std::size_t);
  static constexpr Fn kAverage[9] = {nullptr,
                                     UnfilterAverage<1>,
                                     UnfilterAverage<2>,
                                     UnfilterAverage<3>,
                                     UnfilterAverage<4>,
                                     nullptr,
                                     UnfilterAverage<6>,
                                     nullptr,
                                     UnfilterAverage<8>};
  static constexpr Fn kPaeth[9] = {nullptr,          UnfilterPaeth<1>, UnfilterPaeth<2>,
                                   UnfilterPaeth<3>, UnfilterPaeth<4>, nullptr,
                                   UnfilterPaeth<6>, nullptr,          UnfilterPaeth<8>};
  const Fn fn = bpp < 9 && n % bpp == 0 ? (filter == 3 ? kAverage : kPaeth)[bpp] : nullptr;
  if (fn != nullptr) {
    fn(cur, prev, n);
    return;
  }
  for (std::size_t i = 0; i < n; ++i) {
    const int left = i >= bpp ? cur[i - bpp] : 0;
    const int upLeft = i >= bpp ? prev[i - bpp] : 0;
    const int predicted = filter == 3 ? (left + prev[i]) >> 1 : Paeth(left, prev[i], upLeft);
    cur[i] = static_cast<std::uint8_t>(cur[i] + predicted);
  }
}

// Undoes the row filter of one row of `n` bytes in place; `prev` is the row above, already
// unfiltered, or null for the first row of a pass. `bpp` is the distance in bytes to the
// corresponding byte of the pixel on the left (at least 1, also for depths under 8). An unknown
// filter type fails.
void UnfilterRow(std::uint8_t filter, std::uint8_t* cur, const std::uint8_t* prev, std::size_t n,
                 std::size_t bpp) {
  switch (filter) {
    case 0:
      break;
    case 1:
      for (std::size_t i = bpp; i < n; ++i)
        cur[i] = static_cast<std::uint8_t>(cur[i] + cur[i - bpp]);
      break;
    case 2:
      if (prev != nullptr) {
        for (std::size_t i = 0; i < n; ++i) cur[i] = static_cast<std::uint8_t>(cur[i] + prev[i]);
      }
      break;
    case 3:
    case 4:
      if (prev != nullptr) {
        UnfilterWithRowAbove(filter, cur, prev, n, bpp);
      } else if (filter == 3) {
        // Nothing above: Average adds half the byte on the left.
        for (std::size_t i = bpp; i < n; ++i)
          cur[i] = static_cast<std::uint8_t>(cur[i] + (cur[i - bpp] >> 1));
      } else {
        // Nothing above: Paeth predicts the byte on the left, as Sub does.
        for (std::size_t i = bpp; i < n; ++i)
          cur[i] = static_cast<std::uint8_t>(cur[i] + cur[i - bpp]);
      }
      break;
    default:
      Fail("unknown row filter type " + std::to_string(filter));
  }
}

// Undoes the row filters of one pass of the whole inflated data in place.
void Unfilter(std::uint8_t* data, const Pass& p, std::size_t bpp) {
  const std::uint8_t* prev = nullptr;
  for (std::size_t y = 0; y < p.height; ++y) {
    std::uint8_t* row = data + p.offset + y * (p.rowBytes + 1);
    UnfilterRow(row[0], row + 1, prev, p.rowBytes, bpp);
    prev = row + 1;
  }
}

struct Transparency {
  bool present = false;
  std::array<std::uint16_t, 3> key{};  // grey in [0], or red, green, blue
  std::vector<std::uint8_t> alpha;     // per palette entry
};

// The sample with index `i` of a row of samples `depth` bits wide, most significant first.
inline std::uint32_t Sample(const std::uint8_t* row, std::size_t i, std::uint8_t depth) {
  switch (depth) {
    case 16:
      return static_cast<std::uint32_t>(row[2 * i] << 8) | row[2 * i + 1];
    case 8:
      return row[i];
    default: {
      const std::size_t bit = i * depth;
      const unsigned shift = 8u - unsigned{depth} - static_cast<unsigned>(bit & 7u);
      return (static_cast<std::uint32_t>(row[bit >> 3]) >> shift) & ((1u << depth) - 1u);
    }
  }
}

// A sample of `depth` bits as an 8-bit value.
inline std::uint8_t To8(std::uint32_t v, std::uint8_t depth) {
  switch (depth) {
    case 16:
      return static_cast<std::uint8_t>(v >> 8);
    case 8:
      return static_cast<std::uint8_t>(v);
    case 4:
      return static_cast<std::uint8_t>(v * 17);
    case 2:
      return static_cast<std::uint8_t>(v * 85);
    default:
      return static_cast<std::uint8_t>(v * 255);
  }
}

static_assert(sizeof(Rgba) == 4, "an Rgba pixel is the four bytes of an 8-bit RGBA sample");

struct Decoder {
  Header header;
  std::vector<Rgba> palette;
  Transparency trns;

  // Converts the unfiltered rows of pass `p` in the whole inflated data into the pixels of
  // `image` they belong to.
  void Convert(const std::uint8_t* data, const Pass& p, RgbaImage& image) const {
    for (std::size_t y = 0; y < p.height; ++y) {
      ConvertRow(data + p.offset + y * (p.rowBytes + 1) + 1, p, y, image);
    }
  }

  // Converts row `y` of pass `p`, unfiltered and without its filter byte, into the pixels of
  // `image` it belongs to. A palette index beyond the palette throws ImageFormatError.
  void ConvertRow(const std::uint8_t* row, const Pass& p, std::size_t y, RgbaImage& image) const {
    const std::uint8_t depth = header.depth;
    const std::size_t width = static_cast<std::size_t>(image.width);
    Rgba* out = image.pixels.data() + (p.y0 + y * p.dy) * width + p.x0;
    if (depth == 8 && header.colourType == kRgba && p.dx == 1) {
      // The commonest picture: its rows are already Rgba pixels, byte for byte.
      std::memcpy(out, row, p.width * sizeof(Rgba));
      return;
    }
    if (depth == 8 && header.colourType == kRgb && !trns.present) {
      for (std::size_t x = 0; x < p.width; ++x, out += p.dx) {
        *out = Rgba{row[3 * x], row[3 * x + 1], row[3 * x + 2], 255};
      }
      return;
    }
    // 16-bit samples keep their high bytes, the first of each pair.
    if (depth == 16 && header.colourType == kRgba) {
      for (std::size_t x = 0; x < p.width; ++x, out += p.dx) {
        const std::uint8_t* s = row + 8 * x;
        *out = Rgba{s[0], s[2], s[4], s[6]};
      }
      return;
    }
    if (depth == 16 && header.colourType == kRgb && !trns.present) {
      for (std::size_t x = 0; x < p.width; ++x, out += p.dx) {
        const std::uint8_t* s = row + 6 * x;
        *out = Rgba{s[0], s[2], s[4], 255};
      }
      return;
    }
    for (std::size_t x = 0; x < p.width; ++x, out += p.dx) {
      switch (header.colourType) {
        case kGrey: {
          const std::uint32_t v = Sample(row, x, depth);
          const std::uint8_t g = To8(v, depth);
          const bool clear = trns.present && v == trns.key[0];
          *out = Rgba{g, g, g, clear ? std::uint8_t{0} : std::uint8_t{255}};
          break;
        }
        case kRgb: {
          const std::uint32_t r = Sample(row, 3 * x, depth);
          const std::uint32_t g = Sample(row, 3 * x + 1, depth);
          const std::uint32_t b = Sample(row, 3 * x + 2, depth);
          const bool clear =
              trns.present && r == trns.key[0] && g == trns.key[1] && b == trns.key[2];
          *out = Rgba{To8(r, depth), To8(g, depth), To8(b, depth),
                      clear ? std::uint8_t{0} : std::uint8_t{255}};
          break;
        }
        case kPalette: {
          const std::uint32_t index = Sample(row, x, depth);
          if (index >= palette.size()) {
            Fail("palette index " + std::to_string(index) + " beyond the " +
                 std::to_string(palette.size()) + " palette entries");
          }
          *out = palette[index];
          break;
        }
        case kGreyAlpha: {
          const std::uint8_t g = To8(Sample(row, 2 * x, depth), depth);
          *out = Rgba{g, g, g, To8(Sample(row, 2 * x + 1, depth), depth)};
          break;
        }
        default:
          *out = Rgba{
              To8(Sample(row, 4 * x, depth), depth), To8(Sample(row, 4 * x + 1, depth), depth),
              To8(Sample(row, 4 * x + 2, depth), depth), To8(Sample(row, 4 * x + 3, depth), depth)};
          break;
      }
    }
  }

  void ReadPalette(std::span<const std::uint8_t> data) {
    if (!palette.empty()) Fail("more than one PLTE chunk");
    if (header.colourType == kGrey || header.colourType == kGreyAlpha) {
      Fail("PLTE chunk in a greyscale picture");
    }
    if (data.empty() || data.size() % 3 != 0 || data.size() > 3 * 256) {
      Fail("PLTE chunk of " + std::to_string(data.size()) + " bytes");
    }
    for (std::size_t i = 0; i < data.size(); i += 3) {
      palette.push_back(Rgba{data[i], data[i + 1], data[i + 2], 255});
    }
  }

  void ReadTransparency(std::span<const std::uint8_t> data) {
    if (trns.present) return;
    ByteReader r(data);
    switch (header.colourType) {
      case kGrey:
        if (data.size() != 2) return;
        trns.key[0] = r.U16be();
        break;
      case kRgb:
        if (data.size() != 6) return;
        for (auto& k : trns.key) k = r.U16be();
        break;
      case kPalette:
        if (palette.empty() || data.size() > palette.size()) return;
        for (std::size_t i = 0; i < data.size(); ++i) palette[i].a = data[i];
        break;
      default:
        return;
    }
    trns.present = true;
  }
};

// The rows of a picture that is not interlaced, unfiltered and converted as they come out of
// the inflater: only a stretch of about 64 KiB of inflated rows is held, never the whole.
// (Inflating much less at a time costs zlib its fast path near the end of every stretch.)
// The picture's pixels grow row by row within room reserved up front for what the file's
// bytes can possibly inflate to, so a small file that claims a huge picture costs memory in
// proportion to what it really holds. A row with an unknown filter type or a palette index
// beyond the palette is remembered and reported by Finish in the order decoding the whole data
// at once meets them: a filter error anywhere before a palette error.
class RowSink final : public ByteSink {
 public:
  RowSink(const Decoder& decoder, const Pass& pass, std::size_t bpp, std::size_t inputBytes,
          RgbaImage& image)
      : decoder_(decoder),
        pass_(pass),
        bpp_(bpp),
        stride_(pass.rowBytes + 1),
        stretchRows_(std::min(pass.height, std::max<std::size_t>(2, (64u << 10) / stride_))),
        buffer_(new std::uint8_t[CheckedMul(stretchRows_ + 1, stride_)]),
        image_(image) {
    constexpr std::size_t kMaxRatio = 1032;
    const std::size_t reachRows =
        inputBytes <= SIZE_MAX / kMaxRatio ? inputBytes * kMaxRatio / stride_ + 1 : pass.height;
    image_.pixels.reserve(std::min(pass.height, reachRows) * pass.width);
  }

  std::span<std::uint8_t> Room() override {
    // Never a null pointer: zlib refuses one even for no room.
    if (y_ == pass_.height) return {buffer_.get(), 0};
    return {Slot(0) + filled_, StretchRows() * stride_ - filled_};
  }

  void Produced(std::size_t n) override {
    filled_ += n;
    while (y_ < pass_.height && (taken_ + 1) * stride_ <= filled_) {
      TakeRow();
      ++taken_;
      ++y_;
    }
    if (taken_ == StretchRows() && y_ < pass_.height) {
      // The stretch is used up: its last row becomes the row above the next one.
      std::memcpy(buffer_.get(), Slot(taken_ - 1), stride_);
      first_ = y_;
      taken_ = 0;
      filled_ = 0;
    }
  }

  bool Complete() const noexcept { return y_ == pass_.height; }

  // Throws the error of a row, if one had any.
  void Finish() const {
    if (filterError_) std::rethrow_exception(filterError_);
    if (paletteError_) std::rethrow_exception(paletteError_);
  }

 private:
  // Row `i` of the stretch; slot -1, before the stretch, holds the row above its first.
  std::uint8_t* Slot(std::size_t i) noexcept { return buffer_.get() + (i + 1) * stride_; }
  std::size_t StretchRows() const noexcept { return std::min(stretchRows_, pass_.height - first_); }

  void TakeRow() {
    if (filterError_) return;
    std::uint8_t* row = Slot(taken_);
    const std::uint8_t* prev = y_ == 0 ? nullptr : row - stride_ + 1;
    try {
      UnfilterRow(row[0], row + 1, prev, pass_.rowBytes, bpp_);
    } catch (const ImageFormatError&) {
      filterError_ = std::current_exception();
      return;
    }
    if (paletteError_) return;
    image_.pixels.resize((y_ + 1) * pass_.width);
    try {
      decoder_.ConvertRow(row + 1, pass_, y_, image_);
    } catch (const ImageFormatError&) {
      paletteError_ = std::current_exception();
    }
  }

  const Decoder& decoder_;
  const Pass pass_;
  const std::size_t bpp_;
  const std::size_t stride_;                // filter byte and row
  const std::size_t stretchRows_;           // rows inflated at a time
  std::unique_ptr<std::uint8_t[]> buffer_;  // the row above the stretch, then the stretch
  RgbaImage& image_;
  std::size_t first_ = 0;   // the picture row the stretch starts at
  std::size_t taken_ = 0;   // rows of the stretch unfiltered and converted
  std::size_t filled_ = 0;  // bytes of the stretch inflated
  std::size_t y_ = 0;       // rows done in all
  std::exception_ptr filterError_;
  std::exception_ptr paletteError_;
};

bool IsType(std::span<const std::uint8_t> type, const char* name) {
  return std::memcmp(type.data(), name, 4) == 0;
}

std::string TypeName(std::span<const std::uint8_t> type) {
  return std::string(type.begin(), type.end());
}

}  // namespace

RgbaImage DecodePng(std::span<const std::uint8_t> bytes, const ImageLimits& limits) {
  ByteReader r(bytes);
  const auto signature = r.Bytes(kSignature.size());
  if (!r.ok() || !std::equal(signature.begin(), signature.end(), kSignature.begin())) {
    Fail("not a PNG file (no PNG signature)");
  }

  Decoder d;
  bool haveHeader = false;
  bool inImageData = false;
  std::size_t bitsPerPixel = 0;
  std::size_t expected = 0;
  std::vector<Pass> passes;
  std::unique_ptr<Inflater> inflater;
  RgbaImage image;
  std::unique_ptr<RowSink> rows;       // a picture that is not interlaced, row by row
  std::unique_ptr<WholeBuffer> whole;  // an interlaced one, all at once
  ByteSink* sink = nullptr;

  for (;;) {
    const std::uint32_t length = r.U32be();
    const auto type = r.Bytes(4);
    if (!r.ok()) Fail("file ends before the IEND chunk");
    if (length > kMaxChunkLength) Fail("chunk length " + std::to_string(length) + " over 2^31-1");
    for (const std::uint8_t c : type) {
      if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) Fail("invalid chunk type");
    }
    const auto data = r.Bytes(length);
    const std::uint32_t storedCrc = r.U32be();
    if (!r.ok()) Fail("file ends inside the " + TypeName(type) + " chunk");

    const bool critical = (type[0] & 0x20) == 0;
    if (critical) {
      uLong crc = crc32(0L, type.data(), 4);
      if (!data.empty()) crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
      if (crc != storedCrc) Fail("CRC error in the " + TypeName(type) + " chunk");
    }

    if (!haveHeader) {
      if (!IsType(type, "IHDR")) Fail("the first chunk is " + TypeName(type) + ", not IHDR");
      d.header = ParseHeader(data, limits);
      haveHeader = true;
      bitsPerPixel = ChannelsOf(d.header.colourType) * d.header.depth;
      passes = PlanPasses(d.header, bitsPerPixel, expected);
      CheckLeastSize(d.header, expected, bytes.size());
      continue;
    }

    if (IsType(type, "IHDR")) {
      Fail("more than one IHDR chunk");
    } else if (IsType(type, "PLTE")) {
      if (inImageData) Fail("PLTE chunk after the image data");
      d.ReadPalette(data);
    } else if (IsType(type, "IDAT")) {
      if (!inImageData) {
        if (d.header.colourType == kPalette && d.palette.empty()) Fail("no PLTE chunk");
        inflater = std::make_unique<Inflater>();
        image.width = static_cast<int>(d.header.width);
        image.height = static_cast<int>(d.header.height);
        const std::size_t bpp = std::max<std::size_t>(1, bitsPerPixel / 8);
        if (d.header.interlace == 0 && passes.size() == 1) {
          rows = std::make_unique<RowSink>(d, passes.front(), bpp, bytes.size(), image);
          sink = rows.get();
        } else {
          whole = std::make_unique<WholeBuffer>(expected, bytes.size());
          sink = whole.get();
        }
        inImageData = true;
      }
      inflater->Feed(data, *sink);
    } else if (IsType(type, "IEND")) {
      if (!data.empty()) Fail("IEND chunk with data");
      break;
    } else if (IsType(type, "tRNS")) {
      if (!inImageData) d.ReadTransparency(data);
    } else if (critical) {
      Fail("unknown critical chunk " + TypeName(type));
    }
  }

  if (!inImageData) Fail("no IDAT chunk");
  if (rows) {
    if (!rows->Complete()) Fail("too little image data");
    rows->Finish();
    return image;
  }
  if (!whole->Complete()) Fail("too little image data");
  image.pixels.resize(CheckedMul(d.header.width, d.header.height));
  const std::size_t bpp = std::max<std::size_t>(1, bitsPerPixel / 8);
  std::uint8_t* raw = whole->Data();
  for (const Pass& p : passes) {
    Unfilter(raw, p, bpp);
    d.Convert(raw, p, image);
  }
  return image;
}

RgbaImage ReadPngFile(const std::string& path, const ImageLimits& limits) {
  const std::vector<std::uint8_t> bytes = ReadWholeFile(path, limits.maxInputBytes);
  return DecodePng(bytes, limits);
}

}  // namespace tapisto
