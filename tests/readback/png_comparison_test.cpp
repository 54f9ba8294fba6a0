// The PNG comparison against libpng's own decoding: PNGs the writer makes,
// and PNGs libpng makes with every filter and zlib strategy, are confirmed
// against the pixels libpng decodes from them; a damaged stream is never
// confirmed unless libpng decodes it to the very same pixels.

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <random>

#include "korvel/png_writer.hpp"
#include "korvel/symbol.hpp"
#include "support/png_file.hpp"
#include "readback/png_comparison.hpp"

namespace korvel {
namespace {

using testing::DecodedPng;

// The pixels libpng decoded, as the image to compare with; a row has the
// key of the row above when the two are equal.
class DecodedImage final : public ExpectedImage {
public:
    explicit DecodedImage(const DecodedPng& png) : png_(png), keys_(png.height)
    {
        for (std::uint32_t y = 1; y < png.height; ++y) {
            keys_[y] = std::equal(rowData(y), rowData(y) + png.rowBytes, rowData(y - 1)) ? keys_[y - 1] : y;
        }
    }
    [[nodiscard]] std::int32_t width() const override { return static_cast<std::int32_t>(png_.width); }
    [[nodiscard]] std::int32_t height() const override { return static_cast<std::int32_t>(png_.height); }
    [[nodiscard]] std::int64_t rowKey(std::int32_t y) const override { return keys_[static_cast<std::size_t>(y)]; }
    void row(std::int32_t y, std::vector<ColourRun>& runs) const override
    {
        runs.clear();
        for (std::uint32_t x = 0; x < png_.width; ++x) {
            const auto [r, g, b] = png_.rgb(x, static_cast<std::uint32_t>(y));
            if (runs.empty() || runs.back().colour != Color{r, g, b}) {
                runs.push_back({Color{r, g, b}, 0});
            }
            ++runs.back().length;
        }
    }

private:
    const std::uint8_t* rowData(std::uint32_t y) const { return png_.pixels.data() + y * png_.rowBytes; }

    const DecodedPng& png_;
    std::vector<std::int64_t> keys_;
};

// The image again, written by libpng with its filter choice over all five
// filters and the given zlib level and strategy.
std::vector<std::uint8_t> libpngEncoding(const DecodedPng& rgb, int level, int strategy)
{
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* bytes = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(p));
            bytes->insert(bytes->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, rgb.width, rgb.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    png_set_compression_level(png, level);
    png_set_compression_strategy(png, strategy);
    png_write_info(png, info);
    for (std::uint32_t y = 0; y < rgb.height; ++y) {
        png_write_row(png, rgb.pixels.data() + y * rgb.rowBytes);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// A writer's PNG of a random symbol in a random rendering.
std::vector<std::uint8_t> randomSymbolPng(std::mt19937& random)
{
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    SymbolOptions options;
    options.syntax = DataSyntax::Literal;
    options.preferredFormat = pick(0, 1) == 0 ? 0 : pick(25, 30);
    options.data = std::string(static_cast<std::size_t>(options.preferredFormat == 0 ? pick(1, 400) : pick(1, 5)), 'A');
    for (char& c : options.data) {
        c = static_cast<char>(pick(32, 126));
    }
    Symbol symbol;
    EXPECT_TRUE(encode(options, symbol).ok());
    RenderOptions render;
    render.moduleSize = pick(1, 7);
    render.orientation = static_cast<Orientation>(90 * pick(0, 3));
    render.quietZone = pick(0, 2) != 0;
    render.quietZoneSize = pick(0, 3);
    render.foreground = Color::fromRgb(static_cast<std::uint32_t>(random()));
    render.background = Color::fromRgb(static_cast<std::uint32_t>(random()));
    PngOptions png;
    png.palette = pick(0, 2) == 0 && render.foreground != render.background;
    png.compressionLevel = pick(0, 9);
    png.time = 0;
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(writePng(symbol, render, png, bufferSink(bytes)).ok());
    return bytes;
}

TEST(PngComparison, ConfirmsEveryPngOfTheWriterAndOfLibpngAgainstLibpngsPixels)
{
    std::mt19937 random(20261207);
    constexpr std::array<int, 5> kStrategies{Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
    for (int n = 0; n < 60; ++n) {
        const std::vector<std::uint8_t> written = randomSymbolPng(random);
        const auto rgb = testing::decodePng(written, testing::PngPixels::Rgb);
        ASSERT_TRUE(rgb);
        const DecodedImage expected(*rgb);
        EXPECT_TRUE(pngShowsExactly(written, expected)) << "writer's PNG " << n;
        const int level = n % 10;
        const int strategy = kStrategies[static_cast<std::size_t>(n) % kStrategies.size()];
        EXPECT_TRUE(pngShowsExactly(libpngEncoding(*rgb, level, strategy), expected))
            << "libpng's PNG " << n << ", level " << level << ", strategy " << strategy;
    }
}

// Damage in the image data (with the chunk's CRC made right again, so that
// the damage reaches the inflater): whatever the comparison confirms, libpng
// decodes to the same pixels.
TEST(PngComparison, ConfirmsNoDamagedStreamThatShowsOtherPixels)
{
    std::mt19937 random(7);
    int confirmed = 0;
    int damaged = 0;
    for (int n = 0; n < 40; ++n) {
        const std::vector<std::uint8_t> written = randomSymbolPng(random);
        const auto rgb = testing::decodePng(written, testing::PngPixels::Rgb);
        ASSERT_TRUE(rgb);
        const DecodedImage expected(*rgb);
        for (int k = 0; k < 50; ++k) {
            std::vector<std::uint8_t> bytes = written;
            std::size_t at = 8;  // the first chunk, after the signature
            while (std::string(bytes.begin() + static_cast<std::ptrdiff_t>(at + 4),
                               bytes.begin() + static_cast<std::ptrdiff_t>(at + 8)) != "IDAT") {
                at += 12 + testing::bigEndian32(bytes, at);
            }
            const std::uint32_t length = testing::bigEndian32(bytes, at);
            bytes[at + 8 + random() % length] ^= static_cast<std::uint8_t>(1 + random() % 255);
            const auto crc = static_cast<std::uint32_t>(crc32(0, bytes.data() + at + 4, 4 + length));
            for (int b = 0; b < 4; ++b) {
                bytes[at + 8 + length + static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(crc >> (24 - 8 * b));
            }
            ++damaged;
            if (!pngShowsExactly(bytes, expected)) {
                continue;
            }
            ++confirmed;
            const auto decoded = testing::decodePng(bytes, testing::PngPixels::Rgb);
            ASSERT_TRUE(decoded) << "PNG " << n << ": confirmed, but libpng refuses it";
            EXPECT_EQ(decoded->pixels, rgb->pixels) << "PNG " << n << ": confirmed, but libpng shows other pixels";
        }
    }
    EXPECT_LT(confirmed, damaged / 20);
}

}  // namespace
}  // namespace korvel
