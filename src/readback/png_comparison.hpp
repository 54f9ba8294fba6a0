#pragma once
// Whether a PNG stream shows exactly an expected image, found without
// decoding it into pixels: the chunks and their checksums are read, and the
// image data compared with the expected rows as filtered the way each row's
// filter byte says (inflate_comparison.hpp). A written image that is right,
// the usual case, is confirmed at a small part of the cost of decoding it.

#include <cstdint>
#include <span>
#include <vector>

#include "korvel/color.hpp"

namespace korvel {

// Pixels of one colour side by side.
struct ColourRun {
    Color colour;
    std::int32_t length = 0;
};

// The image a PNG must show, row by row.
class ExpectedImage {
public:
    ExpectedImage() = default;
    ExpectedImage(const ExpectedImage&) = delete;
    ExpectedImage& operator=(const ExpectedImage&) = delete;
    virtual ~ExpectedImage() = default;

    [[nodiscard]] virtual std::int32_t width() const = 0;
    [[nodiscard]] virtual std::int32_t height() const = 0;
    // Two rows have the same key only when their pixels are the same.
    [[nodiscard]] virtual std::int64_t rowKey(std::int32_t y) const = 0;
    // The pixels of row y as runs, left to right, width() pixels in all.
    virtual void row(std::int32_t y, std::vector<ColourRun>& runs) const = 0;
};

// True only when `png` is a PNG that decoders show as exactly the expected
// image: its chunks well formed and their checksums right, an 8-bit RGB or
// an indexed image, not interlaced, whose image data inflates to the
// expected rows. False when it may show anything else, or is of another
// kind; only a full decode can tell then.
[[nodiscard]] bool pngShowsExactly(std::span<const std::uint8_t> png, const ExpectedImage& expected);

}  // namespace korvel
