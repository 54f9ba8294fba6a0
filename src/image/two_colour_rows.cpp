#include "image/two_colour_rows.hpp"

namespace korvel {

std::size_t packedRowBytes(const RasterImage& image) noexcept
{
    return (static_cast<std::size_t>(image.width()) + 7) / 8;
}

std::vector<std::uint8_t> packTwoColourRows(const RasterImage& image, Color zero)
{
    const std::size_t rowBytes = packedRowBytes(image);
    std::vector<std::uint8_t> packed(rowBytes * static_cast<std::size_t>(image.height()), 0);
    const auto width = static_cast<std::size_t>(image.width());
    for (std::int32_t y = 0; y < image.height(); ++y) {
        const std::uint8_t* pixel = image.row(y);
        std::uint8_t* out = packed.data() + static_cast<std::size_t>(y) * rowBytes;
        for (std::size_t x = 0; x < width; ++x, pixel += 3) {
            const bool other = pixel[0] != zero.red() || pixel[1] != zero.green() || pixel[2] != zero.blue();
            out[x / 8] |= static_cast<std::uint8_t>(other ? 0x80U >> (x % 8) : 0U);
        }
    }
    return packed;
}

}  // namespace korvel
