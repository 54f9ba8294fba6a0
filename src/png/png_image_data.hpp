#pragma once
// The zlib stream of a PNG's image data, made from the structure of its rows
// rather than from its pixels. A row that repeats the one above is filtered
// with UP (the difference to the row above): its filter byte and zeros, one
// phrase of the stream repeated. Any other row is not filtered: runs of one
// pixel (8-bit RGB), or runs of one byte (two colours at one bit per pixel).
// ZlibStream codes them and works out the checksum.

#include <cstdint>
#include <optional>
#include <vector>

#include "deflate/zlib_stream.hpp"
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
    void codePackedRow(std::size_t g);
    void codeRgbRow(std::size_t g);

    const RowStructure& rows_;
    std::optional<std::uint32_t> paletteZero_;
    std::vector<ByteRun> packed_;  // the row being coded, at one bit per pixel
    ZlibStream stream_;
    std::size_t group_ = 0;
    bool finished_ = false;
};

}  // namespace korvel
