#include "korvel/raster_image.hpp"

#include <algorithm>
#include <cstring>
#include <new>

namespace korvel {
namespace {

// Writes `count` pixels of one colour; a grey is one run of identical bytes.
void fillSpan(std::uint8_t* out, std::size_t count, Color rgb)
{
    if (rgb.red() == rgb.green() && rgb.green() == rgb.blue()) {
        std::memset(out, rgb.red(), count * 3);
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        out[3 * i] = rgb.red();
        out[3 * i + 1] = rgb.green();
        out[3 * i + 2] = rgb.blue();
    }
}

}  // namespace

RasterImage::RasterImage(std::int32_t width, std::int32_t height, Color initialColor) noexcept
    : width_(width), height_(height), initialColor_(initialColor)
{
}

RasterImage::~RasterImage() = default;

bool RasterImage::sizeAccepted(std::int32_t width, std::int32_t height) noexcept
{
    return width > 0 && height > 0 &&
           static_cast<std::size_t>(width) * 3 <= kMaxRasterBytes / static_cast<std::size_t>(height);
}

bool RasterImage::allocate() noexcept
{
    pixels_.reset();
    if (!sizeAccepted(width_, height_)) {
        return false;
    }
    const std::size_t rowSize = rowBytes();
    pixels_.reset(new (std::nothrow) std::uint8_t[rowSize * static_cast<std::size_t>(height_)]);
    if (!pixels_) {
        return false;
    }
    fillSpan(row(0), static_cast<std::size_t>(width_), initialColor_);
    for (std::int32_t y = 1; y < height_; ++y) {
        std::memcpy(row(y), row(0), rowSize);
    }
    return true;
}

void RasterImage::fillRect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, Color color) noexcept
{
    if (!pixels_ || w <= 0 || h <= 0) {
        return;
    }
    const std::int64_t left = std::max<std::int64_t>(x, 0);
    const std::int64_t top = std::max<std::int64_t>(y, 0);
    const std::int64_t right = std::min<std::int64_t>(std::int64_t{x} + w, width_);
    const std::int64_t bottom = std::min<std::int64_t>(std::int64_t{y} + h, height_);
    if (left >= right || top >= bottom) {
        return;
    }
    const Color rgb = color;
    const auto count = static_cast<std::size_t>(right - left);
    for (auto rowIndex = static_cast<std::int32_t>(top); rowIndex < bottom; ++rowIndex) {
        fillSpan(row(rowIndex) + static_cast<std::size_t>(left) * 3, count, rgb);
    }
}

}  // namespace korvel
