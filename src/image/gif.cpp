// GIF reader: the logical screen and first frame of a GIF87a or GIF89a file, as laid down in
// CompuServe's "Graphics Interchange Format, Version 89a" (1990), including its
// variable-length-code LZW compression.
//
// Damage a picture viewer shows anyway is repaired here too:
// - The first frame's LZW data ends early (its sub-blocks or the file end before the end code,
//   or the end code comes before every pixel is decoded): the pixels not decoded stay
//   transparent, so they show the background colour.
// - A code beyond the next free table entry, or a non-literal code straight after a clear
//   code: the data is taken to end there, as above.
// - A pixel index past the frame's colour table: black.
// - A background index past the global colour table: white, as when there is no table.
// - A minimum code size of 1, which some encoders write for two-colour pictures: codes start
//   at 2 bits with clear code 2 and end code 3.
// - A first frame of zero width or height, or one lying wholly off the screen: the screen
//   shows only the background.
// - A graphic control extension whose first block is shorter than 4 bytes: ignored.
// - No trailer, or anything at all after the first frame's data: never read.
// Everything else throws ImageFormatError: a bad signature or version, a header, colour table
// or image descriptor cut short, a file with no image, a first frame with no colour table at
// all (neither local nor global; the picture's colours are then unknown, and a made-up table
// would put a wrong picture on the desktop), a minimum code size of 0 or over 8, or an unknown
// block before the first image.
//
// Bounds: the screen size is checked against the limits before anything is allocated and the
// frame size before its pixels are; only the part of the frame on the screen is kept, so the
// memory is bounded by the screen. Decoding reads each input byte at most once and stops as
// soon as every pixel of the frame is written, so its time is bounded by the input size.
#include "image/gif.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "base/error.h"
#include "image/byte_reader.h"
#include "image/file_io.h"

namespace tapisto {
namespace {

// A frame pixel that shows the background: transparent, or never reached by the data.
constexpr Colour kTransparentPixel = 0xFF000000u;
constexpr Colour kBlack = 0;

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr std::uint8_t kPlainTextLabel = 0x01;

constexpr int kMaxCodeBits = 12;
constexpr int kTableSize = 1 << kMaxCodeBits;

[[noreturn]] void Fail(const std::string& what) {
  throw ImageFormatError("GIF: " + what);
}

std::string Hex(unsigned value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return std::string("0x") + kDigits[(value >> 4) & 15u] + kDigits[value & 15u];
}

// A colour table of 2^(n+1) entries, n being the low three bits of `packed`.
std::vector<Colour> ReadColourTable(ByteReader& reader, unsigned packed, const char* which) {
  const std::size_t entries = std::size_t{2} << (packed & 7u);
  const auto rgb = reader.Bytes(entries * 3);
  if (!reader.ok()) Fail(std::string("the ") + which + " colour table is cut short");
  std::vector<Colour> table(entries);
  for (std::size_t i = 0; i < entries; ++i)
    table[i] = ComposeRgb(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
  return table;
}

// Skips data sub-blocks up to and including the zero-length terminator (or the end of input).
void SkipSubBlocks(ByteReader& reader) {
  for (;;) {
    const std::uint8_t n = reader.U8();
    if (!reader.ok() || n == 0) return;
    reader.Skip(n);
  }
}

// Reads a graphic control extension after its label; returns its transparent colour index,
// or -1 when its transparency flag is clear or its block is too short to hold one.
int ReadGraphicControl(ByteReader& reader) {
  const std::uint8_t n = reader.U8();
  if (!reader.ok() || n == 0) return -1;
  const auto block = reader.Bytes(n);
  int transparent = -1;
  if (reader.ok() && n >= 4 && (block[0] & 1u) != 0) transparent = block[3];
  SkipSubBlocks(reader);
  return transparent;
}

// The image data as a stream of codes: the bytes of the sub-blocks joined, least significant
// bit first.
class CodeReader {
 public:
  explicit CodeReader(ByteReader& reader) noexcept : reader_(reader) {}

  // The next code of `width` bits, or -1 once the data ends (at the terminator or at the end
  // of input, even in the middle of a code).
  int Next(int width) noexcept {
    while (bitCount_ < width) {
      if (ended_) return -1;
      if (blockLeft_ == 0) {
        blockLeft_ = reader_.U8();
        if (!reader_.ok() || blockLeft_ == 0) {
          ended_ = true;
          return -1;
        }
      }
      const std::uint32_t byte = reader_.U8();
      if (!reader_.ok()) {
        ended_ = true;
        return -1;
      }
      --blockLeft_;
      bits_ |= byte << bitCount_;
      bitCount_ += 8;
    }
    const auto code = static_cast<int>(bits_ & ((1u << width) - 1u));
    bits_ >>= width;
    bitCount_ -= width;
    return code;
  }

 private:
  ByteReader& reader_;
  std::uint32_t bits_ = 0;
  int bitCount_ = 0;
  unsigned blockLeft_ = 0;
  bool ended_ = false;
};

// Puts decoded colour indices at their places in the frame, rows in the order the data sends
// them (the four passes of an interlaced frame: every 8th row from 0, every 8th from 4, every
// 4th from 2, every 2nd from 1), keeping only the pixels on the screen.
class FramePlacer {
 public:
  FramePlacer(int frameWidth, int frameHeight, bool interlaced, int visibleWidth, int visibleHeight,
              const std::array<Colour, 256>& colours, std::vector<Colour>& pixels) noexcept
      : frameWidth_(frameWidth),
        frameHeight_(frameHeight),
        visibleWidth_(visibleWidth),
        visibleHeight_(visibleHeight),
        interlaced_(interlaced),
        colours_(colours),
        pixels_(pixels) {}

  bool Full() const noexcept { return rowsDone_ >= frameHeight_; }

  // Call only while !Full().
  void Put(std::uint8_t index) noexcept {
    if (x_ < visibleWidth_ && y_ < visibleHeight_) {
      pixels_[static_cast<std::size_t>(y_) * static_cast<std::size_t>(visibleWidth_) +
              static_cast<std::size_t>(x_)] = colours_[index];
    }
    if (++x_ < frameWidth_) return;
    x_ = 0;
    ++rowsDone_;
    if (!interlaced_) {
      ++y_;
      return;
    }
    static constexpr int kStart[] = {0, 4, 2, 1};
    static constexpr int kStep[] = {8, 8, 4, 2};
    y_ += kStep[pass_];
    while (y_ >= frameHeight_ && pass_ < 3) y_ = kStart[++pass_];
  }

 private:
  int frameWidth_, frameHeight_, visibleWidth_, visibleHeight_;
  bool interlaced_;
  const std::array<Colour, 256>& colours_;
  std::vector<Colour>& pixels_;
  int x_ = 0, y_ = 0, rowsDone_ = 0, pass_ = 0;
};

// Decodes LZW codes into `out` until the frame is full, the end code comes or the data ends
// (or turns out damaged: see the repairs at the top of this file).
void DecodeLzw(CodeReader& codes, int minCodeSize, FramePlacer& out) {
  const int clear = 1 << minCodeSize;
  const int end = clear + 1;
  // Entry e is the string of entry prefix[e] followed by suffix[e]; first[e] is its first
  // index. A prefix is always a smaller code than its entry, so every chain ends.
  std::array<std::uint16_t, kTableSize> prefix{};
  std::array<std::uint8_t, kTableSize> suffix{};
  std::array<std::uint8_t, kTableSize> first{};
  std::array<std::uint8_t, kTableSize> string{};
  for (int i = 0; i < clear; ++i) {
    suffix[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    first[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  }

  int width = minCodeSize + 1;
  int nextFree = end + 1;
  int previous = -1;  // none right after a clear code
  while (!out.Full()) {
    const int code = codes.Next(width);
    if (code < 0 || code == end) return;
    if (code == clear) {
      width = minCodeSize + 1;
      nextFree = end + 1;
      previous = -1;
      continue;
    }
    if (previous < 0) {
      if (code > clear) return;
    } else {
      if (code > nextFree) return;
      // A full table (4096 entries) takes no more entries: the codes stay 12 bits wide until
      // the encoder sends a clear code, which it may defer as long as it likes.
      if (nextFree < kTableSize) {
        const auto e = static_cast<std::size_t>(nextFree);
        const auto p = static_cast<std::size_t>(previous);
        prefix[e] = static_cast<std::uint16_t>(previous);
        // The code just being defined (code == nextFree) starts with the previous string.
        suffix[e] = code == nextFree ? first[p] : first[static_cast<std::size_t>(code)];
        first[e] = first[p];
        ++nextFree;
      }
    }
    // Checked after every code, not only after a new entry, so that a minimum code size of 1
    // (whose first free entry 4 already needs 3 bits) widens after its first code, as the
    // encoders that write it do.
    if (nextFree >= (1 << width) && width < kMaxCodeBits) ++width;

    std::size_t length = 0;
    auto c = static_cast<std::size_t>(code);
    while (c > static_cast<std::size_t>(end)) {
      string[length++] = suffix[c];
      c = prefix[c];
    }
    string[length++] = static_cast<std::uint8_t>(c);
    while (length > 0 && !out.Full()) out.Put(string[--length]);
    previous = code;
  }
}

}  // namespace

Colour GifPicture::BackgroundColour() const noexcept {
  if (backgroundOverride_) return *backgroundOverride_;
  const auto index = static_cast<std::size_t>(backgroundIndex_);
  return index < globalTable_.size() ? globalTable_[index] : kWhite;
}

void GifPicture::SetBackgroundColour(Colour colour) {
  colour &= 0x00FFFFFFu;
  backgroundOverride_ = colour;
  const auto found = std::find(globalTable_.begin(), globalTable_.end(), colour);
  if (found != globalTable_.end()) {
    backgroundIndex_ = static_cast<int>(found - globalTable_.begin());
  } else if (globalTable_.size() < 256) {
    backgroundIndex_ = static_cast<int>(globalTable_.size());
    globalTable_.push_back(colour);
  }
}

Raster GifPicture::ToRaster() const {
  Raster raster(width_, height_, BackgroundColour());
  raster.SetFormat(PixelFormat::Device);
  for (int y = 0; y < frameHeight_; ++y) {
    const Colour* row =
        framePixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(frameWidth_);
    Colour* target = raster.Row(frameTop_ + y) + frameLeft_;
    for (int x = 0; x < frameWidth_; ++x) {
      if (row[x] != kTransparentPixel) target[x] = row[x];
    }
  }
  return raster;
}

GifPicture DecodeGif(std::span<const std::uint8_t> bytes, const ImageLimits& limits) {
  ByteReader reader(bytes);
  const auto signature = reader.Bytes(3);
  if (!reader.ok() || signature[0] != 'G' || signature[1] != 'I' || signature[2] != 'F')
    Fail("not a GIF file (bad signature)");
  const auto version = reader.Bytes(3);
  if (!reader.ok()) Fail("the header is cut short");
  if (version[0] != '8' || (version[1] != '7' && version[1] != '9') || version[2] != 'a')
    Fail("unknown version (neither 87a nor 89a)");

  GifPicture picture;
  const int screenWidth = reader.U16le();
  const int screenHeight = reader.U16le();
  const std::uint8_t screenFlags = reader.U8();
  const std::uint8_t backgroundIndex = reader.U8();
  reader.Skip(1);  // pixel aspect ratio
  if (!reader.ok()) Fail("the logical screen descriptor is cut short");
  CheckHeader("GIF", screenWidth, screenHeight, limits);
  picture.width_ = screenWidth;
  picture.height_ = screenHeight;
  picture.backgroundIndex_ = backgroundIndex;
  if ((screenFlags & 0x80u) != 0)
    picture.globalTable_ = ReadColourTable(reader, screenFlags, "global");

  // Extensions before the first image: only the graphic control extension of the first
  // image matters (one that precedes a plain text block belongs to that block instead).
  int transparent = -1;
  for (;;) {
    const std::size_t at = reader.offset();
    const std::uint8_t block = reader.U8();
    if (!reader.ok()) Fail("the file ends before its first image");
    if (block == kImageSeparator) break;
    if (block == kTrailer) Fail("the file holds no image");
    if (block != kExtensionIntroducer)
      Fail("unknown block " + Hex(block) + " at offset " + std::to_string(at));
    const std::uint8_t label = reader.U8();
    if (label == kGraphicControlLabel) {
      transparent = ReadGraphicControl(reader);
    } else {
      if (label == kPlainTextLabel) transparent = -1;
      SkipSubBlocks(reader);
    }
    if (!reader.ok()) Fail("the file ends before its first image");
  }

  const int left = reader.U16le();
  const int top = reader.U16le();
  const int frameWidth = reader.U16le();
  const int frameHeight = reader.U16le();
  const std::uint8_t imageFlags = reader.U8();
  if (!reader.ok()) Fail("the image descriptor is cut short");
  std::vector<Colour> localTable;
  if ((imageFlags & 0x80u) != 0) localTable = ReadColourTable(reader, imageFlags, "local");
  const std::vector<Colour>& table = localTable.empty() ? picture.globalTable_ : localTable;
  if (table.empty()) Fail("the first image has no colour table (neither local nor global)");
  const int minCodeSize = reader.U8();
  if (!reader.ok()) Fail("the file ends before the first image's data");
  if (minCodeSize < 1 || minCodeSize > 8)
    Fail("LZW minimum code size " + std::to_string(minCodeSize) + " is outside 1 to 8");

  picture.frameLeft_ = left;
  picture.frameTop_ = top;
  if (frameWidth == 0 || frameHeight == 0) return picture;
  CheckHeader("GIF frame", frameWidth, frameHeight, limits);
  const int visibleWidth = std::clamp(screenWidth - left, 0, frameWidth);
  const int visibleHeight = std::clamp(screenHeight - top, 0, frameHeight);
  if (visibleWidth == 0 || visibleHeight == 0) return picture;
  picture.frameWidth_ = visibleWidth;
  picture.frameHeight_ = visibleHeight;
  picture.framePixels_.assign(
      CheckedMul(static_cast<std::size_t>(visibleWidth), static_cast<std::size_t>(visibleHeight)),
      kTransparentPixel);

  std::array<Colour, 256> colours{};
  for (std::size_t i = 0; i < colours.size(); ++i)
    colours[i] = i < table.size() ? table[i] : kBlack;
  if (transparent >= 0) colours[static_cast<std::size_t>(transparent)] = kTransparentPixel;

  CodeReader codes(reader);
  FramePlacer placer(frameWidth, frameHeight, (imageFlags & 0x40u) != 0, visibleWidth,
                     visibleHeight, colours, picture.framePixels_);
  DecodeLzw(codes, minCodeSize, placer);
  return picture;
}

GifPicture ReadGifFile(const std::string& path, const ImageLimits& limits) {
  const std::vector<std::uint8_t> bytes = ReadWholeFile(path, limits.maxInputBytes);
  return DecodeGif(bytes, limits);
}

}  // namespace tapisto
