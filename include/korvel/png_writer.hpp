#pragma once
// Writing a symbol as a PNG image: 8-bit RGB, no interlace, with gamma, a
// time stamp and fixed text chunks.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "korvel/output.hpp"
#include "korvel/render_options.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol.hpp"

namespace korvel {

inline constexpr std::int32_t kDefaultPngCompression = 6;

struct PngOptions {
    // 0..9. Level 0 stores the image data uncompressed. Levels 1 to 9 give
    // the same bytes for a symbol whose pixel rows mostly repeat the row
    // above and are made of runs three pixels long or more on average (in
    // practice three pixels per module or more): its image data is coded
    // from the rows' structure, where no level has anything to trade. Only
    // other images (one or two pixels per module) reach zlib, at this level.
    std::int32_t compressionLevel = kDefaultPngCompression;
    std::optional<std::time_t> time;                        // the time stamp; the clock's time when absent
    // The resolution stored in a pHYs chunk (dots per inch, 1..100000); no
    // such chunk when absent.
    std::optional<std::int32_t> dotsPerInch;
    // An indexed image of two colours (background, foreground) at 1 bit per
    // pixel instead of 8-bit RGB: the same pixels in about a twentieth of the
    // raw data.
    bool palette = false;
};

// Draws the symbol and writes the PNG stream to the sink. Failures: those of
// imageSize and renderSymbol, 1 for a compression level outside 0..9 or a
// resolution outside 1..100000, 3 when
// the raster cannot be had, 2 when the PNG library fails or the sink refuses
// bytes (the library's message is the outcome's detail).
[[nodiscard]] Outcome writePng(const Symbol& symbol, const RenderOptions& render, const PngOptions& png,
                               const ByteSink& sink);

// The same PNG into the file at `path` (see writeFile): the image is drawn
// before the file is opened, and a file that cannot be finished is removed.
[[nodiscard]] Outcome writePngFile(const Symbol& symbol, const RenderOptions& render, const PngOptions& png,
                                   const std::string& path);

}  // namespace korvel
