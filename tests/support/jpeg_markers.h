// Looking inside a JPEG stream: its marker segments, frame type and quantisation tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tapisto::test {

using Bytes = std::vector<std::uint8_t>;

struct Segment {
  std::uint8_t marker;             // the byte after 0xFF
  std::size_t offset;              // of the 0xFF
  std::vector<std::uint8_t> body;  // after the length field
};

// The marker segments from SOI up to and including the first SOS.
std::vector<Segment> HeaderSegments(const Bytes& jpeg);
std::vector<Segment> SegmentsOf(const Bytes& jpeg, std::uint8_t marker);
bool IsFrameMarker(std::uint8_t m);
// Every quantisation table of the stream as 64 values, in stream order.
std::vector<std::vector<int>> QuantTables(const Bytes& jpeg);
// The offset of the first SOS marker.
std::size_t FirstScan(const Bytes& jpeg);
bool HasMarker(const Bytes& jpeg, std::uint8_t marker);

}  // namespace tapisto::test
