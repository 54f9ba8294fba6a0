#pragma once
// Compatibility interface: kept working for programs written against it; new
// code uses encode() and the writers (korvel.hpp lists the typed path).
//
// A raster image that writes itself as a PNG stream: 8-bit RGB, no interlace,
// gamma 0.5, a time stamp (tIME and a "Creation Time" text of one instant) and
// four fixed text chunks.

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <iosfwd>
#include <optional>
#include <vector>

#include "korvel/output.hpp"
#include "korvel/raster_image.hpp"
#include "korvel/result_code.hpp"

namespace korvel {

class PngCreator : public RasterImage {
public:
    // The compression level that stands for zlib's default, level 6.
    static constexpr std::int32_t kDefaultCompression = -2;

    // compressionLevel: 0..9, or kDefaultCompression; what it does is
    // described at PngOptions::compressionLevel (png_writer.hpp).
    PngCreator(std::int32_t width, std::int32_t height, Color initialColor, std::int32_t compressionLevel) noexcept;

    // Writes the whole PNG stream to the sink. The time stamp is `when`
    // (UTC), or the current time when none is given. Returns 0, or 2 ("Error:
    // Fail.") when the image is not allocated, the compression level is none
    // of the above, the sink refuses bytes or the PNG library reports an
    // error. Nothing is printed.
    [[nodiscard]] ResultCode write(const ByteSink& sink, std::optional<std::time_t> when = std::nullopt) const;

    // The same stream to an open binary C stream, which stays open.
    [[nodiscard]] ResultCode write(std::FILE* stream, std::optional<std::time_t> when = std::nullopt) const;

    // The same stream appended to a byte buffer.
    [[nodiscard]] ResultCode write(std::vector<std::uint8_t>& out,
                                   std::optional<std::time_t> when = std::nullopt) const;

    // The same stream written to an output stream; 2 also when the stream fails.
    [[nodiscard]] ResultCode write(std::ostream& out, std::optional<std::time_t> when = std::nullopt) const;

    [[nodiscard]] std::int32_t compressionLevel() const noexcept { return compressionLevel_; }

private:
    std::int32_t compressionLevel_;
};

}  // namespace korvel
