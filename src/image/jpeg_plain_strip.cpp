#include "image/jpeg_plain_strip.h"

#include <algorithm>

namespace tapisto::jpeg_detail {

namespace {

// 4:2:0 sampling: an MCU covers 16 x 16 pixels.
constexpr int kMcuSize = 16;
// The short picture has at least this many MCUs, so that its repeating data is long enough to
// be checked.
constexpr int kShortMcus = 16;
// The entropy-coded data repeats from this many bytes after its start: the first MCU takes at
// most 90 bits (12 bytes), and a stuffed byte after each 0xFF among them moves the rest on.
constexpr std::size_t kFirstMcuBytes = 16;
// The bytes of one flat MCU after the first: 32 bits.
constexpr std::size_t kRepeat = 4;

int McusAcross(int width) {
  return (width + kMcuSize - 1) / kMcuSize;
}

int McuRows(int rows) {
  return (rows + kMcuSize - 1) / kMcuSize;
}

}  // namespace

int PlainRowsToCompress(int width, int rows) {
  const int across = McusAcross(width);
  if (across <= 0) return rows;
  const int shortMcuRows = (kShortMcus + across - 1) / across;
  return shortMcuRows < McuRows(rows) ? shortMcuRows * kMcuSize : rows;
}

std::vector<std::uint8_t> LengthenPlainJpeg(std::span<const std::uint8_t> shortJpeg,
                                            std::size_t frameHeight, std::size_t scanData,
                                            int width, int rows) {
  const std::size_t size = shortJpeg.size();
  if (frameHeight + 2 > size || size < 2 || rows <= 0 || rows > 0xFFFF) return {};
  const int shortRows = shortJpeg[frameHeight] << 8 | shortJpeg[frameHeight + 1];
  // The MCUs the whole picture has more than the short one, each kRepeat bytes.
  const auto added = static_cast<std::size_t>(McusAcross(width)) *
                     static_cast<std::size_t>(std::max(0, McuRows(rows) - McuRows(shortRows)));

  // From `from` to the last byte of data, which holds the padding and is left out, the data
  // must repeat every kRepeat bytes; then a repeat can be put in anywhere in between.
  const std::size_t from = scanData + kFirstMcuBytes;
  const std::size_t lastByte = size - 3;  // before the end marker FF D9
  if (lastByte < from + 3 * kRepeat) return {};
  for (std::size_t i = from + kRepeat; i < lastByte; ++i) {
    if (shortJpeg[i] != shortJpeg[i - kRepeat]) return {};
  }

  std::vector<std::uint8_t> whole;
  whole.reserve(size + added * kRepeat);
  const auto repeat = shortJpeg.begin() + static_cast<std::ptrdiff_t>(from);
  whole.insert(whole.end(), shortJpeg.begin(), repeat + kRepeat);
  for (std::size_t i = 0; i < added; ++i) whole.insert(whole.end(), repeat, repeat + kRepeat);
  whole.insert(whole.end(), repeat + kRepeat, shortJpeg.end());
  whole[frameHeight] = static_cast<std::uint8_t>(rows >> 8);
  whole[frameHeight + 1] = static_cast<std::uint8_t>(rows & 0xFF);
  return whole;
}

}  // namespace tapisto::jpeg_detail
