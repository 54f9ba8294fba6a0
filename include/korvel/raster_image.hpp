#pragma once
// Compatibility interface: kept working for programs written against it; new
// code uses encode() and the writers (korvel.hpp lists the typed path).
//
// A 24-bit RGB bitmap (red, green, blue per pixel, row 0 at the top) and the
// pixel rectangle a symbol is drawn into.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "korvel/color.hpp"

namespace korvel {


// Pixel coordinates; width = right - left, height = bottom - top.
struct TargetRect {
    std::int32_t left = 0;
    std::int32_t right = 0;
    std::int32_t top = 0;
    std::int32_t bottom = 0;
};

class RasterImage {
public:
    // The largest raster allocate accepts, in bytes (3 per pixel): 1 GiB.
    static constexpr std::size_t kMaxRasterBytes = std::size_t{1} << 30;

    // Whether allocate accepts the size: both above 0, at most kMaxRasterBytes.
    [[nodiscard]] static bool sizeAccepted(std::int32_t width, std::int32_t height) noexcept;

    // Sizes in pixels. No memory is obtained until allocate.
    RasterImage(std::int32_t width, std::int32_t height, Color initialColor) noexcept;
    virtual ~RasterImage();
    RasterImage(const RasterImage&) = delete;
    RasterImage& operator=(const RasterImage&) = delete;

    // Obtains the pixels and paints them all in the initial colour. False, with
    // nothing obtained, for a size of 0 or less or above kMaxRasterBytes, or
    // when memory cannot be had.
    [[nodiscard]] bool allocate() noexcept;
    [[nodiscard]] bool isAllocated() const noexcept { return pixels_ != nullptr; }

    // Paints pixels x..x+w-1 of rows y..y+h-1; the part outside the image is
    // left out. Nothing for w or h of 0 or less, or before allocate.
    void fillRect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, Color color) noexcept;

    [[nodiscard]] std::int32_t width() const noexcept { return width_; }
    [[nodiscard]] std::int32_t height() const noexcept { return height_; }
    [[nodiscard]] Color initialColor() const noexcept { return initialColor_; }

    // Bytes per row (3 * width) and the bytes of row y (0 at the top), valid
    // after a successful allocate.
    [[nodiscard]] std::size_t rowBytes() const noexcept { return static_cast<std::size_t>(width_) * 3; }
    [[nodiscard]] const std::uint8_t* row(std::int32_t y) const noexcept
    {
        return pixels_.get() + static_cast<std::size_t>(y) * rowBytes();
    }
    [[nodiscard]] std::uint8_t* row(std::int32_t y) noexcept
    {
        return pixels_.get() + static_cast<std::size_t>(y) * rowBytes();
    }

private:
    std::int32_t width_;
    std::int32_t height_;
    Color initialColor_;
    std::unique_ptr<std::uint8_t[]> pixels_;
};

}  // namespace korvel
