#include "support/picture_files.h"

#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <stdexcept>

#include "image/file_io.h"

namespace tapisto::test {

namespace {
void Be32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}
void Chunk(std::vector<std::uint8_t>& out, const char* type,
           const std::vector<std::uint8_t>& data) {
  Be32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const auto crc = crc32(0, out.data() + start, static_cast<uInt>(out.size() - start));
  Be32(out, static_cast<std::uint32_t>(crc));
}
void Le16(std::vector<std::uint8_t>& out, int v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
}  // namespace

std::vector<std::uint8_t> MakePng(const RgbaImage& image) {
  std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> ihdr;
  Be32(ihdr, static_cast<std::uint32_t>(image.width));
  Be32(ihdr, static_cast<std::uint32_t>(image.height));
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
  Chunk(out, "IHDR", ihdr);
  std::vector<std::uint8_t> raw;
  for (int y = 0; y < image.height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < image.width; ++x) {
      const Rgba& p = image.At(x, y);
      raw.insert(raw.end(), {p.r, p.g, p.b, p.a});
    }
  }
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<std::uint8_t> packed(size);
  if (compress(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size())) != Z_OK) {
    throw std::runtime_error("compress failed");
  }
  packed.resize(size);
  Chunk(out, "IDAT", packed);
  Chunk(out, "IEND", {});
  return out;
}

std::vector<std::uint8_t> MakeGif(const Raster& picture, bool useTransparent, Colour transparent) {
  std::map<Colour, int> index;
  std::vector<Colour> table;
  for (Colour c : picture.Pixels()) {
    if (!index.count(c)) {
      index[c] = static_cast<int>(table.size());
      table.push_back(c);
    }
  }
  if (table.size() > 255) throw std::runtime_error("too many colours for the test GIF");
  table.resize(256, 0);
  std::vector<std::uint8_t> out{'G', 'I', 'F', '8', '9', 'a'};
  Le16(out, picture.Width());
  Le16(out, picture.Height());
  out.insert(out.end(), {0xF7, 0, 0});  // global table of 256 entries, background index 0
  for (Colour c : table) out.insert(out.end(), {RedOf(c), GreenOf(c), BlueOf(c)});
  if (useTransparent && index.count(transparent)) {
    out.insert(out.end(),
               {0x21, 0xF9, 4, 0x01, 0, 0, static_cast<std::uint8_t>(index[transparent]), 0});
  }
  out.push_back(0x2C);
  Le16(out, 0);
  Le16(out, 0);
  Le16(out, picture.Width());
  Le16(out, picture.Height());
  out.push_back(0);
  // LZW with 8-bit pixels and 9-bit codes only: a clear code every 254 pixels keeps the
  // table from growing past 9 bits.
  out.push_back(8);
  std::vector<std::uint8_t> codes;
  std::uint32_t acc = 0;
  int bits = 0;
  auto emit = [&](int code) {
    acc |= static_cast<std::uint32_t>(code) << bits;
    bits += 9;
    while (bits >= 8) {
      codes.push_back(static_cast<std::uint8_t>(acc & 0xFF));
      acc >>= 8;
      bits -= 8;
    }
  };
  int sinceClear = 0;
  emit(256);
  for (Colour c : picture.Pixels()) {
    if (sinceClear == 254) {
      emit(256);
      sinceClear = 0;
    }
    emit(index[c]);
    ++sinceClear;
  }
  emit(257);
  if (bits > 0) codes.push_back(static_cast<std::uint8_t>(acc & 0xFF));
  for (std::size_t i = 0; i < codes.size(); i += 255) {
    const std::size_t n = std::min<std::size_t>(255, codes.size() - i);
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), codes.begin() + static_cast<std::ptrdiff_t>(i),
               codes.begin() + static_cast<std::ptrdiff_t>(i + n));
  }
  out.push_back(0);
  out.push_back(0x3B);
  return out;
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(PathFromUtf8(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

RgbaImage PatternRgba(int w, int h, std::uint8_t alpha) {
  RgbaImage image{w, h, {}};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      image.pixels.push_back({static_cast<std::uint8_t>(x * 7 + 1),
                              static_cast<std::uint8_t>(y * 11 + 2),
                              static_cast<std::uint8_t>((x + y) * 3 + 3), alpha});
  return image;
}

Raster PatternRaster(int w, int h) {
  Raster r(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      r.SetPixel(x, y, ComposeRgb(x * 7 + 1, y * 11 + 2, (x + y) * 3 + 3));
  return r;
}

}  // namespace tapisto::test
