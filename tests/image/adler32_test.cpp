#include "image/adler32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

namespace tapisto {
namespace {

std::uint32_t ZlibAdler(std::uint32_t adler, const std::vector<std::uint8_t>& bytes) {
  return static_cast<std::uint32_t>(adler32(adler, bytes.data(), static_cast<uInt>(bytes.size())));
}

TEST(Adler32, AgreesWithZlibOverEveryLengthAndStart) {
  // Lengths around the block and the run between reductions, bytes at their largest (where
  // the sums grow fastest) and at random, started fresh and from a checksum so far.
  std::mt19937 random(18);
  const std::size_t lengths[] = {1, 15, 16, 17, 100, 5551, 5552, 5553, 11104, 100003};
  for (const std::size_t length : lengths) {
    for (const bool largest : {true, false}) {
      std::vector<std::uint8_t> bytes(length, 0xFF);
      if (!largest) {
        for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(random());
      }
      for (const std::uint32_t start : {1u, 0xFFF0FFF0u, 0x12345678u}) {
        EXPECT_EQ(Adler32(start, bytes), ZlibAdler(start, bytes))
            << length << " bytes, start " << start << (largest ? ", all 0xFF" : "");
      }
    }
  }
  EXPECT_EQ(Adler32(0x12345678u, {}), 0x12345678u);  // no bytes: as it was
  // Continued piece by piece, it is the checksum of the whole.
  std::vector<std::uint8_t> bytes(70000);
  for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(random());
  std::uint32_t adler = 1;
  for (std::size_t at = 0; at < bytes.size(); at += 4099) {
    adler = Adler32(adler,
                    std::span(bytes).subspan(at, std::min<std::size_t>(4099, bytes.size() - at)));
  }
  EXPECT_EQ(adler, ZlibAdler(1, bytes));
}

}  // namespace
}  // namespace tapisto
