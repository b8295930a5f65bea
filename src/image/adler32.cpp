#include "image/adler32.h"

#include <algorithm>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tapisto {

namespace {

constexpr std::uint32_t kBase = 65521;
// The most bytes after which the sums, started below kBase, still fit in 32 bits (zlib's NMAX);
// a whole number of blocks.
constexpr std::size_t kMaxRun = 5552;
constexpr std::size_t kBlock = 16;

// Adds `n` bytes (at most kMaxRun) to the sums, then reduces them.
void AddBytes(std::uint32_t& s1, std::uint32_t& s2, const std::uint8_t* p, std::size_t n) {
  for (; n > 0; --n) {
    s1 += *p++;
    s2 += s1;
  }
  s1 %= kBase;
  s2 %= kBase;
}

#if defined(__SSE2__)
// The sum of the four 32-bit lanes.
std::uint32_t SumOfLanes(__m128i v) {
  v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 3, 2)));
  v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 3, 0, 1)));
  return static_cast<std::uint32_t>(_mm_cvtsi128_si32(v));
}

// Adds `blocks` blocks of 16 bytes (at most kMaxRun bytes) to the sums, then reduces them.
// Over n bytes b[k], s1 grows by the sum of the bytes and s2 by n * s1 + the sum of
// (n - k) * b[k]; block by block that weight is 16 for every byte of each later block, kept as
// the sums of the blocks before each block, plus 16 - i for the byte at place i of its block.
void AddBlocks(std::uint32_t& s1, std::uint32_t& s2, const std::uint8_t* p, std::size_t blocks) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i firstWeights = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
  const __m128i lastWeights = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
  __m128i sum = zero;         // of the bytes so far
  __m128i sumsBefore = zero;  // of `sum` at the start of each block
  __m128i weighted = zero;    // of each byte times 16 - its place in its block
  for (std::size_t b = 0; b < blocks; ++b, p += kBlock) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    sumsBefore = _mm_add_epi32(sumsBefore, sum);
    sum = _mm_add_epi32(sum, _mm_sad_epu8(bytes, zero));
    weighted =
        _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpacklo_epi8(bytes, zero), firstWeights));
    weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpackhi_epi8(bytes, zero), lastWeights));
  }
  const std::uint64_t n = blocks * kBlock;
  s2 = static_cast<std::uint32_t>(
      (s2 + s1 * n + kBlock * std::uint64_t{SumOfLanes(sumsBefore)} + SumOfLanes(weighted)) %
      kBase);
  s1 = (s1 + SumOfLanes(sum)) % kBase;
}
#endif

}  // namespace

std::uint32_t Adler32(std::uint32_t adler, std::span<const std::uint8_t> bytes) {
  std::uint32_t s1 = (adler & 0xFFFFu) % kBase;
  std::uint32_t s2 = (adler >> 16) % kBase;
  const std::uint8_t* p = bytes.data();
  std::size_t left = bytes.size();
#if defined(__SSE2__)
  while (left >= kBlock) {
    const std::size_t blocks = std::min(left, kMaxRun) / kBlock;
    AddBlocks(s1, s2, p, blocks);
    p += blocks * kBlock;
    left -= blocks * kBlock;
  }
#endif
  while (left > 0) {
    const std::size_t n = std::min(left, kMaxRun);
    AddBytes(s1, s2, p, n);
    p += n;
    left -= n;
  }
  return s2 << 16 | s1;
}

}  // namespace tapisto
