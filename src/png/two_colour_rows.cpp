#include "png/two_colour_rows.hpp"

#include <cstring>

namespace korvel {

void packTwoColourRow(const std::uint8_t* rgb, std::size_t width, Color zero, std::uint8_t* packed) noexcept
{
    std::memset(packed, 0, packedRowBytes(width));
    for (std::size_t x = 0; x < width; ++x, rgb += 3) {
        const bool other = rgb[0] != zero.red() || rgb[1] != zero.green() || rgb[2] != zero.blue();
        packed[x / 8] |= static_cast<std::uint8_t>(other ? 0x80U >> (x % 8) : 0U);
    }
}

}  // namespace korvel
