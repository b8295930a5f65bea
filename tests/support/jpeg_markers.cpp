#include "support/jpeg_markers.h"

#include <gtest/gtest.h>

namespace tapisto::test {

// The marker segments from SOI up to and including the first SOS.
std::vector<Segment> HeaderSegments(const Bytes& jpeg) {
  std::vector<Segment> out;
  std::size_t pos = 2;  // after SOI
  while (pos + 4 <= jpeg.size()) {
    EXPECT_EQ(jpeg[pos], 0xFF) << "at " << pos;
    const std::uint8_t marker = jpeg[pos + 1];
    const std::size_t length = std::size_t{jpeg[pos + 2]} << 8 | jpeg[pos + 3];
    if (length < 2 || pos + 2 + length > jpeg.size()) {
      ADD_FAILURE() << "bad segment length at " << pos;
      break;
    }
    out.push_back({marker, pos,
                   Bytes(jpeg.begin() + static_cast<std::ptrdiff_t>(pos + 4),
                         jpeg.begin() + static_cast<std::ptrdiff_t>(pos + 2 + length))});
    if (marker == 0xDA) break;
    pos += 2 + length;
  }
  return out;
}

std::vector<Segment> SegmentsOf(const Bytes& jpeg, std::uint8_t marker) {
  std::vector<Segment> out;
  for (const Segment& s : HeaderSegments(jpeg))
    if (s.marker == marker) out.push_back(s);
  return out;
}

bool IsFrameMarker(std::uint8_t m) {
  return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

// Every quantisation table of the stream as 64 values, in stream order.
std::vector<std::vector<int>> QuantTables(const Bytes& jpeg) {
  std::vector<std::vector<int>> tables;
  for (const Segment& s : SegmentsOf(jpeg, 0xDB)) {
    std::size_t p = 0;
    while (p < s.body.size()) {
      const bool wide = (s.body[p] >> 4) != 0;
      ++p;
      std::vector<int> t;
      for (int i = 0; i < 64 && p < s.body.size(); ++i) {
        t.push_back(wide ? s.body[p] << 8 | s.body[p + 1] : s.body[p]);
        p += wide ? 2 : 1;
      }
      tables.push_back(t);
    }
  }
  return tables;
}

// The offset of the first SOS marker.
std::size_t FirstScan(const Bytes& jpeg) {
  for (const Segment& s : HeaderSegments(jpeg))
    if (s.marker == 0xDA) return s.offset;
  ADD_FAILURE() << "no SOS";
  return jpeg.size();
}

bool HasMarker(const Bytes& jpeg, std::uint8_t marker) {
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) return true;
  return false;
}

}  // namespace tapisto::test
