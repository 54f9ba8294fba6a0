#pragma once
// A two-colour raster packed at one bit per pixel, as an indexed PNG stores it.

#include <cstdint>
#include <vector>

#include "korvel/color.hpp"
#include "korvel/raster_image.hpp"

namespace korvel {

// Bytes per packed row: 8 pixels a byte, the first in the high bit.
[[nodiscard]] std::size_t packedRowBytes(const RasterImage& image) noexcept;

// All rows, top to bottom, packedRowBytes each: bit 0 for a pixel of the
// colour `zero`, 1 for any other; unused bits of a row's last byte are 0.
[[nodiscard]] std::vector<std::uint8_t> packTwoColourRows(const RasterImage& image, Color zero);

}  // namespace korvel
