#pragma once
// Two-colour pixel rows packed at one bit per pixel, as an indexed PNG stores them.

#include <cstddef>
#include <cstdint>

#include "korvel/color.hpp"

namespace korvel {

// Bytes of a packed row of `width` pixels: 8 pixels a byte, the first in the high bit.
[[nodiscard]] constexpr std::size_t packedRowBytes(std::size_t width) noexcept { return (width + 7) / 8; }

// Packs one row of `width` RGB pixels into packedRowBytes(width) bytes: bit 0
// for a pixel of the colour `zero`, 1 for any other; unused bits of the last
// byte are 0.
void packTwoColourRow(const std::uint8_t* rgb, std::size_t width, Color zero, std::uint8_t* packed) noexcept;

}  // namespace korvel
