// The PNG writer makes the image data of symbols from the structure of their
// rows (runs of one colour, rows equal to the row above) with its own deflate
// coder, and falls back to libpng and zlib for rasters without that
// structure. Whatever path a picture takes, the PNG must decode with libpng
// (whose zlib checks the Adler-32 checksum) to exactly the pixels drawn.

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "deflate/adler_sums.hpp"
#include "deflate/huffman_code.hpp"
#include "png/png_stream.hpp"
#include "png/two_colour_rows.hpp"
#include "korvel/png_writer.hpp"
#include "korvel/rendering.hpp"
#include "support/png_file.hpp"

namespace korvel {
namespace {

void expectDecodesTo(const std::vector<std::uint8_t>& png, const RasterImage& raster, const std::string& what)
{
    const auto decoded = testing::decodePng(png);
    ASSERT_TRUE(decoded.has_value()) << what << ": libpng refused the stream";
    ASSERT_EQ(decoded->width, static_cast<std::uint32_t>(raster.width())) << what;
    ASSERT_EQ(decoded->height, static_cast<std::uint32_t>(raster.height())) << what;
    for (std::int32_t y = 0; y < raster.height(); ++y) {
        const auto row = decoded->pixels.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * raster.rowBytes());
        ASSERT_TRUE(std::equal(raster.row(y), raster.row(y) + raster.rowBytes(), row)) << what << ", row " << y;
    }
}

// The raster through the raster writer (analysed into runs, or handed to
// zlib); the number of IDAT chunks written.
std::size_t expectRasterRoundTrip(const RasterImage& raster, int level, const std::string& what)
{
    std::vector<std::uint8_t> png;
    EXPECT_TRUE(writePngStream(raster, level, 0, bufferSink(png)).ok()) << what;
    expectDecodesTo(png, raster, what + ", level " + std::to_string(level));
    const auto chunks = testing::readPngChunks(png).value_or(std::vector<testing::PngChunk>{});
    return static_cast<std::size_t>(
        std::count_if(chunks.begin(), chunks.end(), [](const auto& chunk) { return chunk.type == "IDAT"; }));
}

struct SymbolCase {
    int format;
    double moduleSize;
    RenderOptions render;
};

std::string describe(const SymbolCase& c)
{
    return "format " + std::to_string(c.format) + ", " + std::to_string(c.moduleSize) + " px, " +
           std::to_string(static_cast<int>(c.render.orientation)) + " degrees, background " +
           std::to_string(c.render.background.rgb()) + ", image " +
           (c.render.imageSize ? std::to_string(c.render.imageSize->width) + " x " +
                                     std::to_string(c.render.imageSize->height)
                               : std::string("sized by the modules"));
}

// The symbol written without a raster must decode to the raster renderSymbol
// paints; the same raster through the raster writer as well.
void checkSymbol(const SymbolCase& c)
{
    SymbolOptions options;
    options.data = std::to_string(c.format);  // fits the smallest format
    options.preferredFormat = c.format;
    Symbol symbol;
    ASSERT_TRUE(encode(options, symbol).ok()) << describe(c);
    RenderOptions render = c.render;
    render.moduleSize = c.moduleSize;
    ImageSize size;
    ASSERT_TRUE(imageSize(symbol, render, size).ok()) << describe(c);
    RasterImage raster(size.width, size.height, render.background);
    ASSERT_TRUE(raster.allocate());
    ASSERT_TRUE(renderSymbol(symbol, render, raster).ok()) << describe(c);

    std::vector<std::uint8_t> png;
    ASSERT_TRUE(writePng(symbol, render, {}, bufferSink(png)).ok()) << describe(c);
    expectDecodesTo(png, raster, describe(c));
    expectRasterRoundTrip(raster, kDefaultPngCompression, describe(c));

    // At one bit per pixel: the background is index 0, every other pixel 1.
    if (render.foreground == render.background) {
        return;
    }
    PngOptions palette;
    palette.palette = true;
    png.clear();
    ASSERT_TRUE(writePng(symbol, render, palette, bufferSink(png)).ok()) << describe(c);
    const auto decoded = testing::decodePng(png);
    ASSERT_TRUE(decoded.has_value()) << describe(c) << ", palette";
    const std::size_t rowBytes = packedRowBytes(static_cast<std::size_t>(size.width));
    std::vector<std::uint8_t> packed(rowBytes);
    for (std::int32_t y = 0; y < size.height; ++y) {
        packTwoColourRow(raster.row(y), static_cast<std::size_t>(size.width), render.background, packed.data());
        const auto row = decoded->pixels.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * rowBytes);
        ASSERT_TRUE(std::equal(packed.begin(), packed.end(), row)) << describe(c) << ", palette, row " << y;
    }
}

constexpr std::array<Orientation, 4> kOrientations{Orientation::Degrees0, Orientation::Degrees90,
                                                   Orientation::Degrees180, Orientation::Degrees270};
constexpr std::array<std::pair<std::uint32_t, std::uint32_t>, 5> kColours{{
    {0x000000, 0xFFFFFF},  // uniform byte differences: matches at distance 1
    {0x8B0000, 0xFFF8DC},  // three different bytes: matches at distance 3
    {0x404040, 0x404040},  // nothing to see
    {0xFFFFFF, 0x000000},
    {0x00FF00, 0x0000FF},
}};

RenderOptions renderOf(std::size_t i, std::int32_t quietZone)
{
    RenderOptions render;
    render.orientation = kOrientations[i % kOrientations.size()];
    render.foreground = Color::fromRgb(kColours[i % kColours.size()].first);
    render.background = Color::fromRgb(kColours[i % kColours.size()].second);
    render.quietZone = quietZone >= 0;
    render.quietZoneSize = std::max(quietZone, 0);
    return render;
}

TEST(StructuredImageData, EveryModuleSizeFrom1To20)
{
    for (int pixels = 1; pixels <= 20; ++pixels) {
        const auto i = static_cast<std::size_t>(pixels);
        checkSymbol({1 + pixels % 6, static_cast<double>(pixels), renderOf(i, pixels % 4 - 1)});
    }
}

TEST(StructuredImageData, EveryFormat)
{
    for (int format = 1; format <= 30; ++format) {
        const auto i = static_cast<std::size_t>(format);
        checkSymbol({format, format % 3 == 0 ? 2.0 : 3.0, renderOf(i, format % 3)});
    }
}

TEST(StructuredImageData, FixedImageSizesAndAlignments)
{
    const std::array<ImageSize, 4> sizes{{{101, 77}, {333, 100}, {64, 64}, {31, 500}}};
    for (std::size_t i = 0; i < sizes.size() * 9; ++i) {
        RenderOptions render = renderOf(i, static_cast<std::int32_t>(i % 3));
        render.imageSize = sizes[i % sizes.size()];
        render.horizontal = static_cast<Alignment>(i % 3);
        render.vertical = static_cast<Alignment>(i / 3 % 3);
        checkSymbol({2 + static_cast<int>(i % 5), 1, render});
    }
}

// Rasters that no symbol gives: noise, runs of random colours and lengths in
// rows repeated a random number of times (many distinct rows make several
// deflate blocks and IDAT chunks), and a symbol with stray pixels.
TEST(StructuredImageData, OtherRastersAndLevels)
{
    std::mt19937 engine(16);
    const auto random = [&engine] { return static_cast<std::uint32_t>(engine()); };
    const auto below = [&random](std::uint32_t n) { return static_cast<std::int32_t>(random() % n); };
    const auto colour = [&random] { return Color::fromRgb(random() % 2 == 0 ? random() : 0xFFFFFF * (random() % 2)); };

    RasterImage noise(257, 31, kWhite);
    ASSERT_TRUE(noise.allocate());
    for (std::int32_t y = 0; y < noise.height(); ++y) {
        for (std::int32_t x = 0; x < noise.width(); ++x) {
            noise.fillRect(x, y, 1, 1, Color::fromRgb(random()));
        }
    }
    for (const int level : {0, 1, 6, 9}) {
        expectRasterRoundTrip(noise, level, "noise");
    }

    RasterImage runs(3001, 1200, kWhite);
    ASSERT_TRUE(runs.allocate());
    for (std::int32_t y = 0; y < runs.height();) {
        const std::int32_t rows = 3 + below(4);
        for (std::int32_t x = 0; x < runs.width();) {
            const std::int32_t length = 3 + below(30);
            runs.fillRect(x, y, length, rows, colour());
            x += length;
        }
        y += rows;
    }
    for (const int level : {0, 1, 9}) {
        expectRasterRoundTrip(runs, level, "random runs");
    }
    EXPECT_GE(expectRasterRoundTrip(runs, 6, "random runs"), 2U) << "image data of several parts";
    for (int stray = 0; stray < 40; ++stray) {
        runs.fillRect(below(3001), below(1200), 1, 1, Color::fromRgb(random()));
    }
    expectRasterRoundTrip(runs, 6, "random runs with stray pixels");
}

// The checksum worked out from runs equals zlib's over the bytes, also for
// runs long enough to take the reduced path and for many repeats.
TEST(AdlerSums, EqualZlibsChecksumOfTheBytes)
{
    struct Piece {
        std::vector<std::uint8_t> bytes;
        std::uint64_t repeats;
    };
    const std::vector<Piece> pieces{{{2}, 1},
                                    {{0, 0, 0}, 70000},
                                    {{255, 1, 128}, (std::uint64_t{1} << 22) + 5},
                                    {{9, 9, 9}, 1},
                                    {{2, 0, 0, 0, 0, 0, 0}, 65537},
                                    {{254, 255, 253}, 4095}};
    AdlerSums sums;
    uLong expected = adler32(0, nullptr, 0);
    for (const Piece& piece : pieces) {
        if (piece.bytes.size() == 3) {
            sums.appendPattern(piece.bytes[0], piece.bytes[1], piece.bytes[2], piece.repeats);
        } else if (piece.bytes.size() == 1) {
            sums.appendByte(piece.bytes[0]);
        } else {
            std::uint64_t weighted = 0;
            for (std::size_t j = 0; j < piece.bytes.size(); ++j) {
                weighted += (piece.bytes.size() - j) * piece.bytes[j];
            }
            sums.appendRepeated(piece.bytes.size(), std::accumulate(piece.bytes.begin(), piece.bytes.end(), 0U),
                                weighted, piece.repeats);
        }
        for (std::uint64_t k = 0; k < piece.repeats; ++k) {
            expected = adler32(expected, piece.bytes.data(), static_cast<uInt>(piece.bytes.size()));
        }
        EXPECT_EQ(sums.value(), expected) << "after " << piece.repeats << " x " << piece.bytes.size() << " bytes";
    }
}

// Frequencies that grow like Fibonacci numbers make an unlimited Huffman
// tree as deep as the alphabet is long; the code must still be complete and
// within the limit, with no longer code for a more frequent symbol.
TEST(HuffmanLengths, AreLimitedAndComplete)
{
    for (const unsigned maxBits : {7U, 15U}) {
        for (const std::size_t symbols : {2UL, 19UL, 30UL}) {
            std::vector<std::uint64_t> frequencies(symbols, 1);
            for (std::size_t s = 2; s < symbols; ++s) {
                frequencies[s] = frequencies[s - 1] + frequencies[s - 2];
            }
            std::vector<std::uint8_t> lengths(symbols);
            huffmanLengths(frequencies, maxBits, lengths);
            double kraft = 0;
            for (std::size_t s = 0; s < symbols; ++s) {
                ASSERT_GE(lengths[s], 1U);
                ASSERT_LE(lengths[s], maxBits);
                kraft += std::ldexp(1.0, -lengths[s]);
                if (s > 1) {
                    EXPECT_LE(lengths[s], lengths[s - 1]) << symbols << " symbols, symbol " << s;
                }
            }
            EXPECT_EQ(kraft, 1.0) << symbols << " symbols, at most " << maxBits << " bits";
        }
    }
    // One used symbol or none: two codes of one bit all the same.
    std::vector<std::uint8_t> lengths(30);
    huffmanLengths(std::vector<std::uint64_t>(30, 0), 15, lengths);
    EXPECT_EQ(std::count(lengths.begin(), lengths.end(), 1), 2);
}

}  // namespace
}  // namespace korvel
