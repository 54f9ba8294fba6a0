// Fuzz target over rasters written as PNG. The bytes describe a raster as
// groups of equal rows made of colour runs, the shape of a drawn symbol, but
// with any run lengths, repeats and colours. It is written three ways, and
// each must give back exactly the raster's pixels:
//   - the raster through the raster writer (runs found by analysis, or libpng
//     and zlib for rasters without that structure), decoded by libpng;
//   - the same rows given as their structure, without a raster, decoded by
//     libpng; both also at one bit per pixel, where the pixels of the first
//     colour must decode to index 0 and all others to 1;
//   - the run coder's zlib stream on its own, whatever the writer would have
//     chosen, inflated by zlib and un-filtered (it uses filters None and Up),
//     in 8-bit RGB and at one bit per pixel (the first colour as 0).
//
// Input layout (missing bytes read as 0):
//   0, 1   width: 1 + (16 bits little-endian) % 640
//   2      height: 1 + value % 160
//   3      compression level: value % 10; from 128 on, the PNGs are also
//          written at one bit per pixel against the first two colours
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
#include "png/png_image_data.hpp"
#include "png/png_stream.hpp"
#include "png/row_structure.hpp"
#include "png/two_colour_rows.hpp"
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
void readRow(Bytes& in, std::uint32_t width, const std::array<Color, 4>& colours, std::vector<ColorRun>& runs)
{
    runs.clear();
    for (std::uint32_t x = 0; x < width;) {
        const std::uint8_t run = in.next();
        x = std::min(width, x + 1 + (run >> 2U));
        runs.push_back({x, packedPixel(colours[run & 3U])});
    }
}

bool decodesTo(const std::vector<std::uint8_t>& png, const std::vector<std::uint8_t>& stored)
{
    const auto decoded = testing::decodePng(png);
    return decoded.has_value() && decoded->pixels == stored;
}

// The run coder's whole stream, inflated and un-filtered, against the
// image's rows as stored (`expected`, rowBytes each).
bool runCodingGivesBack(const RowStructure& rows, std::optional<std::uint32_t> paletteZero,
                        const std::vector<std::uint8_t>& expected, std::size_t rowBytes)
{
    PngImageData imageData(rows, paletteZero);
    std::vector<std::uint8_t> stream;
    for (std::vector<std::uint8_t> part; imageData.next(part, 1000);) {
        stream.insert(stream.end(), part.begin(), part.end());
    }
    const std::size_t height = rows.height();
    std::vector<std::uint8_t> filtered((rowBytes + 1) * height + 1);
    uLongf length = static_cast<uLongf>(filtered.size());
    if (uncompress(filtered.data(), &length, stream.data(), static_cast<uLong>(stream.size())) != Z_OK ||
        length != filtered.size() - 1) {
        return false;
    }
    std::vector<std::uint8_t> stored(rowBytes * height);
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t filter = filtered[y * (rowBytes + 1)];
        if (filter != 0 && filter != 2) {
            return false;
        }
        for (std::size_t i = 0; i < rowBytes; ++i) {
            const std::uint8_t above = y == 0 || filter == 0 ? 0 : stored[(y - 1) * rowBytes + i];
            stored[y * rowBytes + i] = static_cast<std::uint8_t>(filtered[y * (rowBytes + 1) + 1 + i] + above);
        }
    }
    return stored == expected;
}

// The raster packed at one bit per pixel, 0 for the colour `zero`.
std::vector<std::uint8_t> packedRows(const RasterImage& raster, Color zero)
{
    const std::size_t rowBytes = packedRowBytes(static_cast<std::size_t>(raster.width()));
    std::vector<std::uint8_t> packed(rowBytes * static_cast<std::size_t>(raster.height()));
    for (std::int32_t y = 0; y < raster.height(); ++y) {
        packTwoColourRow(raster.row(y), static_cast<std::size_t>(raster.width()), zero,
                         packed.data() + static_cast<std::size_t>(y) * rowBytes);
    }
    return packed;
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
    const bool palette = header[3] >= 128;
    std::array<Color, 4> colours{};
    for (std::size_t c = 0; c < colours.size(); ++c) {
        colours[c] = Color{header[4 + 3 * c], header[5 + 3 * c], header[6 + 3 * c]};
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

    const std::vector<std::uint8_t> pixels(raster.row(0), raster.row(0) + raster.rowBytes() * height);
    const std::vector<std::uint8_t> packed = packedRows(raster, colours[0]);
    PngStreamExtras extras;
    if (palette) {
        extras.palette = std::array<Color, 2>{colours[0], colours[1]};
    }
    const std::vector<std::uint8_t>& stored = palette ? packed : pixels;
    std::vector<std::uint8_t> png;
    if (!writePngStream(raster, level, 0, bufferSink(png), extras).ok() || !decodesTo(png, stored)) {
        return "the raster's PNG does not decode to the raster";
    }
    png.clear();
    if (!writePngStream(rows, level, 0, bufferSink(png), extras).ok() || !decodesTo(png, stored)) {
        return "the PNG of the rows' structure does not decode to the raster";
    }
    if (!runCodingGivesBack(rows, std::nullopt, pixels, raster.rowBytes())) {
        return "the run coder's stream does not inflate to the raster";
    }
    if (!runCodingGivesBack(rows, packedPixel(colours[0]), packed, packedRowBytes(width))) {
        return "the run coder's one-bit stream does not inflate to the packed rows";
    }
    return nullptr;
}

}  // namespace korvel::fuzz
