#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "korvel/data_matrix_barcode.hpp"
#include "korvel/png_creator.hpp"
#include "support/png_file.hpp"

namespace korvel {
namespace {

using testing::PngChunk;

struct Instant {
    int year, month, day, hour, minute, second;
};

// The text of a "Creation Time" chunk for an instant, built independently of
// the library that writes it.
std::string creationTimeText(const Instant& t)
{
    static constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[64];
    std::snprintf(text, sizeof text, "%d %s %d %02d:%02d:%02d +0000", t.day,
                  kMonths.at(static_cast<std::size_t>(t.month - 1)), t.year, t.hour, t.minute, t.second);
    return text;
}

Instant tIME(const PngChunk& chunk)
{
    const auto& d = chunk.data;
    return {testing::bigEndian16(d, 0), d[2], d[3], d[4], d[5], d[6]};
}

std::pair<std::string, std::string> textEntry(const PngChunk& chunk)
{
    const std::string all(chunk.data.begin(), chunk.data.end());
    const std::size_t nul = all.find('\0');
    return {all.substr(0, nul), nul == std::string::npos ? "" : all.substr(nul + 1)};
}

// Checks everything but the instant and returns the tIME chunk.
PngChunk expectChunkLayout(const std::vector<PngChunk>& chunks, std::uint32_t width, std::uint32_t height)
{
    std::vector<std::string> types;
    for (const PngChunk& chunk : chunks) {
        if (types.empty() || !(chunk.type == "IDAT" && types.back() == "IDAT")) {
            types.push_back(chunk.type);
        }
    }
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "gAMA", "tIME", "tEXt", "tEXt", "tEXt", "tEXt", "tEXt",
                                               "IDAT", "IEND"}));
    if (chunks.size() < 10) {
        return {};
    }
    const auto& ihdr = chunks[0].data;
    EXPECT_EQ(ihdr.size(), 13U);
    EXPECT_EQ(testing::bigEndian32(ihdr, 0), width);
    EXPECT_EQ(testing::bigEndian32(ihdr, 4), height);
    EXPECT_EQ((std::vector<std::uint8_t>(ihdr.begin() + 8, ihdr.end())), (std::vector<std::uint8_t>{8, 2, 0, 0, 0}))
        << "bit depth 8, truecolour RGB, deflate, adaptive filters, no interlace";
    EXPECT_EQ(testing::bigEndian32(chunks[1].data, 0), 50000U);
    EXPECT_EQ(chunks[2].data.size(), 7U);

    const std::array<std::pair<const char*, const char*>, 5> texts{{{"Title", "Title_Text"},
                                                                    {"Author", "Author_Text"},
                                                                    {"Description", "Description_Text"},
                                                                    {"Creation Time", nullptr},
                                                                    {"Software", "Software_Text"}}};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const auto [keyword, text] = textEntry(chunks[3 + i]);
        EXPECT_EQ(keyword, texts[i].first);
        if (texts[i].second != nullptr) {
            EXPECT_EQ(text, texts[i].second);
        } else {
            EXPECT_EQ(text, creationTimeText(tIME(chunks[2]))) << "Creation Time and tIME must be one instant";
        }
    }
    EXPECT_TRUE(chunks.back().data.empty());
    return chunks[2];
}

struct StampCase {
    std::time_t when;
    Instant instant;
    const char* text;
};

class PngStamp : public ::testing::TestWithParam<StampCase> {};

TEST_P(PngStamp, ChunksTimeAndPixelsAreExact)
{
    const StampCase& c = GetParam();
    PngCreator image(7, 5, kWhite, -2);
    ASSERT_TRUE(image.allocate());
    image.fillRect(1, 1, 3, 2, Color::fromRgb(0xFF0000));  // red
    image.fillRect(5, 0, 2, 5, Color::fromRgb(0x204080));  // red 0x20, green 0x40, blue 0x80
    image.fillRect(0, 4, 1, 1, kBlack);

    std::vector<std::uint8_t> bytes;
    ASSERT_EQ(image.write(bytes, c.when), ResultCode::Ok);
    const auto chunks = testing::readPngChunks(bytes);
    ASSERT_TRUE(chunks.has_value()) << "malformed PNG stream";
    const PngChunk time = expectChunkLayout(*chunks, 7, 5);
    const Instant got = tIME(time);
    EXPECT_EQ((std::array{got.year, got.month, got.day, got.hour, got.minute, got.second}),
              (std::array{c.instant.year, c.instant.month, c.instant.day, c.instant.hour, c.instant.minute,
                          c.instant.second}));
    EXPECT_EQ(textEntry((*chunks)[6]).second, c.text);

    const auto decoded = testing::decodePng(bytes);
    ASSERT_TRUE(decoded.has_value());
    ASSERT_EQ(decoded->rowBytes, image.rowBytes());
    for (std::int32_t y = 0; y < 5; ++y) {
        EXPECT_TRUE(std::equal(image.row(y), image.row(y) + image.rowBytes(),
                               decoded->pixels.begin() + static_cast<std::ptrdiff_t>(y) * 21))
            << "row " << y;
    }
    EXPECT_EQ(decoded->rgb(1, 1), (std::array<std::uint8_t, 3>{255, 0, 0}));
    EXPECT_EQ(decoded->rgb(6, 3), (std::array<std::uint8_t, 3>{0x20, 0x40, 0x80}));

    // The stream written to a file is the same byte for byte.
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), std::fclose);
    ASSERT_TRUE(file);
    ASSERT_EQ(image.write(file.get(), c.when), ResultCode::Ok);
    std::rewind(file.get());
    std::vector<std::uint8_t> fromFile;
    for (int ch = std::fgetc(file.get()); ch != EOF; ch = std::fgetc(file.get())) {
        fromFile.push_back(static_cast<std::uint8_t>(ch));
    }
    EXPECT_TRUE(fromFile == bytes);
}

INSTANTIATE_TEST_SUITE_P(Instants, PngStamp,
                         ::testing::Values(StampCase{1772874303, {2026, 3, 7, 9, 5, 3}, "7 Mar 2026 09:05:03 +0000"},
                                           StampCase{946684798, {1999, 12, 31, 23, 59, 58},
                                                     "31 Dec 1999 23:59:58 +0000"},
                                           StampCase{1917043200, {2030, 10, 1, 0, 0, 0}, "1 Oct 2030 00:00:00 +0000"}));

// Rows are handed to the PNG library with one fixed filter and a compression
// strategy chosen for module rasters; whatever the content, scale and
// compression level, the image must decode to exactly the raster it was
// written from.
struct PixelCase {
    const char* name;
    const char* data;    // a symbol's data, or nullptr for a raster of noise
    double pixelsPerModule;
    std::int32_t compressionLevel;
    Color background, foreground;
};

const PixelCase kPixelCases[] = {
    {"DefaultSymbol70", "1234567890", 5, -2, kWhite, kBlack},
    {"Alphanumerics130", "THE0QUICK1BROWN2FOX3JUMPS4OVER5THE6LAZY7DOG8", 5, -2, kWhite, kBlack},
    {"ColouredAtLevel0", "colours, stored", 3, 0, Color::fromRgb(0xFFFF00), Color::fromRgb(0x000080)},
    {"ColouredAtLevel1", "colours, fastest", 7, 1, Color::fromRgb(0x40C020), Color::fromRgb(0x302010)},
    {"OnePixelModulesAtLevel9", "one pixel per module, best", 1, 9, kWhite, kBlack},
    {"LargeSymbol2920", nullptr, 20, -2, kWhite, kBlack},  // data filled in below
    {"Noise", nullptr, 0, -2, kWhite, kBlack},
};

void drawSymbol(const PixelCase& c, std::unique_ptr<PngCreator>& image)
{
    DataMatrixBarcode barcode;
    static_cast<void>(barcode.suspendUpdates(true));
    const std::string data = c.data != nullptr ? c.data : std::string(1500, 'K') + "7";
    ASSERT_EQ(barcode.setData(data), ResultCode::Ok);
    if (c.data == nullptr) {
        ASSERT_EQ(barcode.setPreferredFormat(24), ResultCode::Ok);
    }
    ASSERT_EQ(barcode.setBackgroundColor(c.background), ResultCode::Ok);
    ASSERT_EQ(barcode.setForegroundColor(c.foreground), ResultCode::Ok);
    ASSERT_EQ(barcode.suspendUpdates(false), ResultCode::Ok);
    ImageSize size;
    ASSERT_EQ(barcode.getImageSize(c.pixelsPerModule, size), ResultCode::Ok);
    image = std::make_unique<PngCreator>(size.width, size.height, kWhite, c.compressionLevel);
    ASSERT_TRUE(image->allocate());
    ASSERT_EQ(barcode.draw(*image, {0, size.width, 0, size.height}), ResultCode::Ok);
}

void drawNoise(std::unique_ptr<PngCreator>& image)
{
    image = std::make_unique<PngCreator>(257, 31, kWhite, -2);
    ASSERT_TRUE(image->allocate());
    std::uint32_t state = 12345;
    for (std::int32_t y = 0; y < image->height(); ++y) {
        for (std::int32_t x = 0; x < image->width(); ++x) {
            state = state * 1664525U + 1013904223U;
            image->fillRect(x, y, 1, 1, Color::fromRgb(state >> 8));
        }
    }
}

class PngPixels : public ::testing::TestWithParam<PixelCase> {};

TEST_P(PngPixels, DecodeToTheRasterTheyWereWrittenFrom)
{
    const PixelCase& c = GetParam();
    std::unique_ptr<PngCreator> image;
    if (c.pixelsPerModule == 0) {
        drawNoise(image);
    } else {
        drawSymbol(c, image);
    }
    ASSERT_TRUE(image);
    std::vector<std::uint8_t> bytes;
    ASSERT_EQ(image->write(bytes, 0), ResultCode::Ok);
    const auto decoded = testing::decodePng(bytes);
    ASSERT_TRUE(decoded.has_value());
    ASSERT_EQ(decoded->width, static_cast<std::uint32_t>(image->width()));
    ASSERT_EQ(decoded->height, static_cast<std::uint32_t>(image->height()));
    ASSERT_EQ(decoded->rowBytes, image->rowBytes());
    for (std::int32_t y = 0; y < image->height(); ++y) {
        ASSERT_TRUE(std::equal(image->row(y), image->row(y) + image->rowBytes(),
                               decoded->pixels.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * image->rowBytes())))
            << "row " << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Rasters, PngPixels, ::testing::ValuesIn(kPixelCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PngOutput, UnallocatedImageWritesNothing)
{
    const PngCreator image(4, 4, kWhite, -2);
    std::vector<std::uint8_t> bytes;
    EXPECT_NE(image.write(bytes, 0), ResultCode::Ok);
    EXPECT_TRUE(bytes.empty());
}

}  // namespace
}  // namespace korvel
