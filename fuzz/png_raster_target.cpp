// Fuzz target over rasters written as PNG. The bytes describe a raster as
// groups of equal rows made of colour runs, the shape of a drawn symbol, but
// with any run lengths, repeats and colours. It is written three ways, and
// each must give back exactly the raster's pixels:
//   - the raster through the raster writer (runs found by analysis, or libpng
//     and zlib for rasters without that structure), decoded by libpng;
//   - the same rows given as their structure, without a raster, decoded by
//     libpng;
//   - the run coder's zlib stream on its own, whatever the writer would have
//     chosen, inflated by zlib and un-filtered (it uses filters None and Up).
//
// Input layout (missing bytes read as 0):
//   0, 1   width: 1 + (16 bits little-endian) % 640
//   2      height: 1 + value % 160
//   3      compression level: value % 10
//   4..15  four colours, 3 bytes each (red, green, blue)
//   16..   groups: a byte with the rows of the group, 1 + value % 8; then runs
//          until the row is full: a byte with the colour (bits 0-1) and the
//          length minus 1 (bits 2-7)

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "fuzz_targets.hpp"
#include "image/png_image_data.hpp"
#include "image/png_stream.hpp"
#include "image/row_structure.hpp"
#include "support/png_file.hpp"

namespace korvel::fuzz {
namespace {

constexpr std::size_t kHeaderSize = 16;

class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t next() { return at_ < size_ ? data_[at_++] : 0; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// Appends one row of runs read from the input.
void readRow(Bytes& in, std::uint32_t width, const std::array<std::uint32_t, 4>& colours, std::vector<ColorRun>& runs)
{
    runs.clear();
    for (std::uint32_t x = 0; x < width;) {
        const std::uint8_t run = in.next();
        x = std::min(width, x + 1 + (run >> 2U));
        runs.push_back({x, colours[run & 3U]});
    }
}

bool samePixels(std::span<const std::uint8_t> decoded, const RasterImage& raster)
{
    return decoded.size() == raster.rowBytes() * static_cast<std::size_t>(raster.height()) &&
           std::equal(decoded.begin(), decoded.end(), raster.row(0));
}

bool decodesTo(const std::vector<std::uint8_t>& png, const RasterImage& raster)
{
    const auto decoded = testing::decodePng(png);
    return decoded.has_value() && samePixels(decoded->pixels, raster);
}

// The run coder's whole stream, inflated and un-filtered.
bool runCodingGivesBack(const RowStructure& rows, const RasterImage& raster)
{
    PngImageData imageData(rows);
    std::vector<std::uint8_t> stream;
    for (std::vector<std::uint8_t> part; imageData.next(part, 1000);) {
        stream.insert(stream.end(), part.begin(), part.end());
    }
    const std::size_t filteredRow = raster.rowBytes() + 1;
    std::vector<std::uint8_t> filtered(filteredRow * static_cast<std::size_t>(raster.height()) + 1);
    uLongf length = static_cast<uLongf>(filtered.size());
    if (uncompress(filtered.data(), &length, stream.data(), static_cast<uLong>(stream.size())) != Z_OK ||
        length != filtered.size() - 1) {
        return false;
    }
    std::vector<std::uint8_t> pixels(raster.rowBytes() * static_cast<std::size_t>(raster.height()));
    for (std::size_t y = 0; y < static_cast<std::size_t>(raster.height()); ++y) {
        const std::uint8_t filter = filtered[y * filteredRow];
        if (filter != 0 && filter != 2) {
            return false;
        }
        for (std::size_t i = 0; i < raster.rowBytes(); ++i) {
            const std::uint8_t above = y == 0 || filter == 0 ? 0 : pixels[(y - 1) * raster.rowBytes() + i];
            pixels[y * raster.rowBytes() + i] = static_cast<std::uint8_t>(filtered[y * filteredRow + 1 + i] + above);
        }
    }
    return samePixels(pixels, raster);
}

}  // namespace

const char* fuzzPngRaster(const std::uint8_t* data, std::size_t size)
{
    Bytes in(data, size);
    std::array<std::uint8_t, kHeaderSize> header{};
    for (std::uint8_t& b : header) {
        b = in.next();
    }
    const auto width = static_cast<std::uint32_t>(1 + (header[0] | (header[1] << 8U)) % 640);
    const auto height = static_cast<std::uint32_t>(1 + header[2] % 160);
    const int level = header[3] % 10;
    std::array<std::uint32_t, 4> colours{};
    for (std::size_t c = 0; c < colours.size(); ++c) {
        colours[c] = header[4 + 3 * c] | (std::uint32_t{header[5 + 3 * c]} << 8U) |
                     (std::uint32_t{header[6 + 3 * c]} << 16U);
    }

    RowStructure rows(width);
    RasterImage raster(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), kWhite);
    if (!raster.allocate()) {
        return "a small raster could not be had";
    }
    std::vector<ColorRun> runs;
    while (rows.height() < height) {
        const std::uint32_t count = std::min<std::uint32_t>(1 + in.next() % 8, height - rows.height());
        readRow(in, width, colours, runs);
        for (std::uint32_t r = 0; r < count; ++r) {
            paintRow(runs, raster.row(static_cast<std::int32_t>(rows.height() + r)));
        }
        rows.appendRows(runs, count);
    }

    std::vector<std::uint8_t> png;
    if (!writePngStream(raster, level, 0, bufferSink(png)).ok() || !decodesTo(png, raster)) {
        return "the raster's PNG does not decode to the raster";
    }
    png.clear();
    if (!writePngStream(rows, level, 0, bufferSink(png)).ok() || !decodesTo(png, raster)) {
        return "the PNG of the rows' structure does not decode to the raster";
    }
    if (!runCodingGivesBack(rows, raster)) {
        return "the run coder's stream does not inflate to the raster";
    }
    return nullptr;
}

}  // namespace korvel::fuzz

#ifdef KORVEL_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (const char* failure = korvel::fuzz::fuzzPngRaster(data, size)) {
        std::fprintf(stderr, "fuzzPngRaster: %s\n", failure);
        std::abort();
    }
    return 0;
}
#endif
