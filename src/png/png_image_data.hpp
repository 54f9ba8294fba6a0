#pragma once
// The zlib stream of a PNG's image data, made from the structure of its rows
// rather than from its pixels. A row that repeats the one above is filtered
// with UP (the difference to the row above): its filter byte and zeros, a
// few matches at distance 1 that are worked out once. Any other row is not
// filtered: runs of one pixel, a literal or three and matches at distance 1
// or 3 (8-bit RGB), or runs of one byte (two colours at one bit per pixel).
// The checksum is worked out from the runs too.

#include <cstdint>
#include <optional>
#include <vector>

#include "deflate/adler_sums.hpp"
#include "deflate/deflate_blocks.hpp"
#include "png/row_structure.hpp"

namespace korvel {

class PngImageData {
public:
    // `rows` must outlive this object. With `paletteZero` the image is coded
    // at one bit per pixel: 0 for pixels of that colour (packedPixel), 1 for
    // any other; else as 8-bit RGB.
    explicit PngImageData(const RowStructure& rows, std::optional<std::uint32_t> paletteZero = std::nullopt);
    PngImageData(const PngImageData&) = delete;
    PngImageData& operator=(const PngImageData&) = delete;

    // Replaces `out` with the next part of the stream, at least `minimum`
    // bytes unless it is the last part. False, with `out` empty, once the
    // whole stream has been handed out. Throws std::bad_alloc.
    [[nodiscard]] bool next(std::vector<std::uint8_t>& out, std::size_t minimum);

private:
    void codeGroup(std::size_t g);
    void codePixels(std::uint32_t pixel, std::uint64_t count);
    void codeRun(std::uint8_t byte, std::uint64_t length);
    void copyBack(std::uint64_t length, std::uint32_t distance);
    void literal(std::uint8_t byte)
    {
        blocks_.literal(byte);
        recent_ = ((recent_ << 8) | byte) & 0xFFFFFFU;
        recentCount_ = recentCount_ < 3 ? recentCount_ + 1 : 3;
    }
    void finish();

    const RowStructure& rows_;
    std::optional<std::uint32_t> paletteZero_;
    std::uint64_t rowBytes_;
    std::vector<ByteRun> packed_;  // the row being coded, at one bit per pixel
    std::vector<std::uint8_t> pending_;
    DeflateBlocks blocks_;
    std::size_t group_ = 0;
    bool finished_ = false;
    // The last three bytes of the filtered image so far, the latest in the
    // lowest byte, and how many there have been (up to 3).
    std::uint32_t recent_ = 0;
    unsigned recentCount_ = 0;
    AdlerSums adler_;
};

}  // namespace korvel
