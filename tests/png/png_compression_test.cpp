// The PNG writer trades some file size for speed. This checks the trade on
// symbol rasters of every scale: the compressed image data stays within
// 1.5 times what libpng and zlib produce with their own defaults (adaptive
// row filters, default strategy, level 6) for the same pixels.

#include <gtest/gtest.h>

#include <png.h>

#include <csetjmp>
#include <ostream>
#include <string>
#include <vector>

#include "korvel/data_matrix_barcode.hpp"
#include "korvel/png_creator.hpp"
#include "support/png_file.hpp"

namespace korvel {
namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

// Writes the raster with libpng's defaults and nothing but IHDR, IDAT and IEND.
bool writeWithLibpngDefaults(png_structp png, png_infop info, const RasterImage& image,
                             std::vector<std::uint8_t>& out, std::vector<png_bytep>& rows)
{
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_set_write_fn(png, &out, appendBytes, flushNothing);
    png_set_compression_level(png, 6);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width()), static_cast<png_uint_32>(image.height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    return true;
}

std::vector<std::uint8_t> libpngDefaultsPng(const RasterImage& image)
{
    std::vector<png_bytep> rows;
    for (std::int32_t y = 0; y < image.height(); ++y) {
        rows.push_back(const_cast<png_bytep>(image.row(y)));
    }
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    const bool written = writeWithLibpngDefaults(png, info, image, out, rows);
    png_destroy_write_struct(&png, &info);
    return written ? out : std::vector<std::uint8_t>{};
}

std::size_t imageDataBytes(const std::vector<std::uint8_t>& png)
{
    const auto chunks = testing::readPngChunks(png);
    std::size_t total = 0;
    for (const auto& chunk : chunks.value_or(std::vector<testing::PngChunk>{})) {
        total += chunk.type == "IDAT" ? chunk.data.size() : 0;
    }
    return total;
}

struct ScaleCase {
    std::int32_t format;   // preferred format, 0 for the smallest that fits
    std::size_t length;    // characters of data
    double pixelsPerModule;
};

void PrintTo(const ScaleCase& c, std::ostream* os)
{
    *os << c.length << " characters, format " << c.format << ", " << c.pixelsPerModule << " pixels per module";
}

class PngCompression : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(PngCompression, StaysWithinOneAndAHalfTimesLibpngDefaults)
{
    const ScaleCase& c = GetParam();
    std::string data;
    std::uint32_t state = static_cast<std::uint32_t>(c.length * 7919 + static_cast<std::size_t>(c.pixelsPerModule));
    for (std::size_t i = 0; i < c.length; ++i) {
        state = state * 1664525U + 1013904223U;
        data += "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"[(state >> 16) % 62];
    }
    DataMatrixBarcode barcode;
    static_cast<void>(barcode.suspendUpdates(true));
    ASSERT_EQ(barcode.setData(data), ResultCode::Ok);
    ASSERT_EQ(barcode.setPreferredFormat(c.format), ResultCode::Ok);
    ASSERT_EQ(barcode.suspendUpdates(false), ResultCode::Ok);
    ImageSize size;
    ASSERT_EQ(barcode.getImageSize(c.pixelsPerModule, size), ResultCode::Ok);
    PngCreator image(size.width, size.height, kWhite, -2);
    ASSERT_TRUE(image.allocate());
    ASSERT_EQ(barcode.draw(image, {0, size.width, 0, size.height}), ResultCode::Ok);

    std::vector<std::uint8_t> ours;
    ASSERT_EQ(image.write(ours, 0), ResultCode::Ok);
    const std::size_t ourBytes = imageDataBytes(ours);
    const std::size_t referenceBytes = imageDataBytes(libpngDefaultsPng(image));
    ASSERT_GT(ourBytes, 0U);
    ASSERT_GT(referenceBytes, 0U);
    EXPECT_LE(2 * ourBytes, 3 * referenceBytes)
        << size.width << " x " << size.height << ": " << ourBytes << " bytes of image data, libpng's defaults "
        << referenceBytes;
}

INSTANTIATE_TEST_SUITE_P(Scales, PngCompression,
                         ::testing::Values(ScaleCase{0, 10, 1}, ScaleCase{0, 10, 2}, ScaleCase{0, 10, 5},
                                           ScaleCase{0, 200, 1}, ScaleCase{0, 200, 2}, ScaleCase{0, 200, 3},
                                           ScaleCase{0, 200, 4}, ScaleCase{24, 1500, 1}, ScaleCase{24, 1500, 2},
                                           ScaleCase{24, 1500, 3}, ScaleCase{24, 1500, 5}, ScaleCase{24, 1500, 8},
                                           ScaleCase{24, 1500, 12}));

}  // namespace
}  // namespace korvel
