#pragma once
// The PNG stream of a raster, or of an image given by the structure of its
// rows: the one entry into the PNG library.

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>

#include "png/row_structure.hpp"
#include "korvel/output.hpp"
#include "korvel/raster_image.hpp"
#include "korvel/result_code.hpp"

namespace korvel {

// What a stream may hold beyond the fixed chunks.
struct PngStreamExtras {
    std::optional<std::int32_t> dotsPerInch;  // a pHYs chunk with this resolution
    // 1-bit indexed colour: pixels of the first colour as index 0, all others
    // as index 1 (the second colour); for images of these two colours only.
    std::optional<std::array<Color, 2>> palette;
    // A tRNS chunk that makes this colour fully transparent (with a
    // palette, it must be the first colour).
    std::optional<Color> transparent;
};

// Writes the image as a PNG stream (8-bit RGB, gamma, time stamp `when`,
// the fixed text chunks) to the sink. 2 when the image is not allocated, the
// level is outside 0..9, or the PNG library fails (its message is the detail).
[[nodiscard]] Outcome writePngStream(const RasterImage& image, int compressionLevel, std::time_t when,
                                     const ByteSink& sink, const PngStreamExtras& extras = {});

// The same stream for an image given by its rows' structure, without a
// raster. 2 when the level is outside 0..9 or the PNG library fails.
[[nodiscard]] Outcome writePngStream(const RowStructure& rows, int compressionLevel, std::time_t when,
                                     const ByteSink& sink, const PngStreamExtras& extras = {});

}  // namespace korvel
