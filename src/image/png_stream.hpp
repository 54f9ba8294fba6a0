#pragma once
// PNG streams of images given as rows described by their structure, so that
// no raster is needed: the same chunks as PngCreator writes (8-bit RGB,
// gamma 0.5, the time stamp and the four fixed texts), and the same pixels.

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>
#include <vector>

#include "image/row_structure.hpp"
#include "korvel/result_code.hpp"

namespace korvel {

// compressionLevel: a zlib level 0..9, or -2 for level 6. The time stamp is
// `when` (UTC), or the current time. 2 ("Error: Fail.") when the PNG library
// reports an error or memory runs out.
[[nodiscard]] ResultCode writePngRows(const RowStructure& rows, std::int32_t compressionLevel,
                                      std::optional<std::time_t> when, std::FILE* stream);
[[nodiscard]] ResultCode writePngRows(const RowStructure& rows, std::int32_t compressionLevel,
                                      std::optional<std::time_t> when, std::vector<std::uint8_t>& out);

}  // namespace korvel
