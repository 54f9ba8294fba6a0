#pragma once
// The PNG stream of a raster, or of an image given by the structure of its
// rows: the one entry into the PNG library.

#include <ctime>

#include "image/row_structure.hpp"
#include "korvel/output.hpp"
#include "korvel/raster_image.hpp"
#include "korvel/result_code.hpp"

namespace korvel {

// Writes the image as a PNG stream (8-bit RGB, gamma, time stamp `when`,
// the fixed text chunks) to the sink. 2 when the image is not allocated, the
// level is outside 0..9, or the PNG library fails (its message is the detail).
[[nodiscard]] Outcome writePngStream(const RasterImage& image, int compressionLevel, std::time_t when,
                                     const ByteSink& sink);

// The same stream for an image given by its rows' structure, without a
// raster. 2 when the level is outside 0..9 or the PNG library fails.
[[nodiscard]] Outcome writePngStream(const RowStructure& rows, int compressionLevel, std::time_t when,
                                     const ByteSink& sink);

}  // namespace korvel
