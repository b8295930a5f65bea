// The Adler-32 checksum (RFC 1950) that ends a zlib stream, computed 16 bytes at a time: the
// PNG reader checks the inflated image data with it, several times faster than zlib's own
// byte-at-a-time loop.
#pragma once

#include <cstdint>
#include <span>

namespace tapisto {

// The checksum `adler` (1 for no bytes yet) continued over `bytes`: zlib's adler32(adler, ...).
std::uint32_t Adler32(std::uint32_t adler, std::span<const std::uint8_t> bytes);

}  // namespace tapisto
