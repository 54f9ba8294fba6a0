#pragma once
// The position-dependent randomising rules of pad codewords (253-state) and of
// Base 256 codewords (255-state). Positions are 1-based and taken as 16-bit
// unsigned values.

#include <cstdint>

namespace korvel {

[[nodiscard]] constexpr std::uint8_t randomize253(std::uint8_t value, std::uint16_t position) noexcept
{
    const int r = (149 * position) % 253 + 1;
    const int t = value + r;
    return static_cast<std::uint8_t>(t > 254 ? t - 254 : t);
}

[[nodiscard]] constexpr std::uint8_t randomize255(std::uint8_t value, std::uint16_t position) noexcept
{
    const int r = (149 * position) % 255 + 1;
    const int t = value + r;
    return static_cast<std::uint8_t>(t > 255 ? t - 256 : t);
}

// The 1-based position the next appended codeword takes. The randomising rules
// see positions as 16-bit values, so longer strings wrap on purpose.
[[nodiscard]] constexpr std::uint16_t nextPosition(std::size_t length) noexcept
{
    return static_cast<std::uint16_t>(length + 1);
}

}  // namespace korvel
