// Colour values in the Windows layout: red in bits 0-7, green in bits 8-15, blue in 16-23.
// Raster pixels are stored in this same layout (bytes R, G, B, 0 in memory on little-endian
// machines), so a row of a raster can go to the JPEG encoder without a conversion.
#pragma once

#include <cstdint>

namespace tapisto {

using Colour = std::uint32_t;

inline constexpr Colour kWhite = 0x00FFFFFFu;

// red + green * 256 + blue * 65536; only the low 8 bits of each argument count.
constexpr Colour ComposeRgb(int red, int green, int blue) noexcept {
  return (static_cast<Colour>(red) & 0xFFu) | ((static_cast<Colour>(green) & 0xFFu) << 8) |
         ((static_cast<Colour>(blue) & 0xFFu) << 16);
}

constexpr std::uint8_t RedOf(Colour c) noexcept {
  return static_cast<std::uint8_t>(c & 0xFFu);
}
constexpr std::uint8_t GreenOf(Colour c) noexcept {
  return static_cast<std::uint8_t>((c >> 8) & 0xFFu);
}
constexpr std::uint8_t BlueOf(Colour c) noexcept {
  return static_cast<std::uint8_t>((c >> 16) & 0xFFu);
}

}  // namespace tapisto
