// Vector output checked by real consumers: SVG rendered by rsvg-convert, EPS
// and PDF by Ghostscript, must give exactly the pixels of the raster drawing
// of the same symbol (so no gaps between modules, the same orientation,
// colours, quiet zone and alignment) and be read back by zxing-cpp; qpdf
// checks the PDF's structure; the physical size stands in each format's own
// terms.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "image/eps_writer.hpp"
#include "image/pdf_writer.hpp"
#include "image/svg_writer.hpp"
#include "korvel/data_matrix_barcode.hpp"
#include "support/process_runner.hpp"
#include "support/symbol_readers.hpp"
#include "support/vector_rendering.hpp"

namespace korvel {
namespace {

using testing::VectorFormat;

std::string documentOf(VectorFormat format, const VectorPicture& picture)
{
    switch (format) {
    case VectorFormat::Svg: return svgDocument(picture);
    case VectorFormat::Eps: return epsDocument(picture);
    default: return pdfDocument(picture);
    }
}

struct DrawingCase {
    const char* name;
    const char* data;
    std::int32_t format;  // 0: the smallest that holds the data
    std::int32_t orientation;
    Color foreground;
    Color background;
    std::int32_t quietZoneSize;
    std::int32_t width;  // 0: the symbol's own size at modulePixels
    std::int32_t height;
    std::int32_t modulePixels;
    std::int32_t alignment;  // horizontal and vertical
    int dotsPerInch;
};

void PrintTo(const DrawingCase& c, std::ostream* os) { *os << c.name; }

const DrawingCase kDrawings[] = {
    {"Default", "1234567", 0, 0, kBlack, kWhite, 1, 0, 0, 5, 1, 96},
    {"TurnedColouredCentred", "Hello, vector world", 0, 90, 0x0000B0, 0xCCFFFF, 2, 101, 83, 0, 1, 300},
    {"RectangularUpsideDownAtTheEnd", "12345678", 25, 180, 0x402010, 0xF0F0F0, 1, 97, 61, 0, 2, 72},
    {"LargestTurnedClockwiseAtTheStart", "Data Matrix at 144 x 144", 24, 270, kBlack, kWhite, 4, 0, 0, 2, 0, 150},
};

class VectorDrawing : public ::testing::TestWithParam<std::tuple<DrawingCase, VectorFormat>> {};

// Channels may differ by one where a renderer converts a colour through
// fractions of full intensity.
int differingPixels(const RasterImage& a, const RasterImage& b)
{
    int count = 0;
    for (std::int32_t y = 0; y < a.height(); ++y) {
        for (std::size_t i = 0; i < a.rowBytes(); i += 3) {
            bool differs = false;
            for (std::size_t c = 0; c < 3; ++c) {
                differs = differs || std::abs(a.row(y)[i + c] - b.row(y)[i + c]) > 1;
            }
            count += differs ? 1 : 0;
        }
    }
    return count;
}

TEST_P(VectorDrawing, RendersToTheRasterPixelsAndReadsBack)
{
    const auto& [c, format] = GetParam();
    if (!testing::findProgram(testing::rendererOf(format))) {
        GTEST_SKIP() << testing::rendererOf(format) << " is not installed";
    }
    DataMatrixBarcode barcode;
    for (const ResultCode result :
         {barcode.setEncodingMode(Automatic), barcode.setData(c.data), barcode.setPreferredFormat(c.format), barcode.setOrientation(c.orientation),
          barcode.setForegroundColor(c.foreground), barcode.setBackgroundColor(c.background),
          barcode.setQuietZoneSize(c.quietZoneSize), barcode.setHorizontalAlignment(c.alignment),
          barcode.setVerticalAlignment(c.alignment)}) {
        ASSERT_EQ(result, ResultCode::Ok);
    }
    ImageSize size{c.width, c.height};
    if (c.width == 0) {
        ASSERT_EQ(barcode.getImageSize(c.modulePixels, size), ResultCode::Ok);
    }
    RasterImage raster(size.width, size.height, kWhite);
    ASSERT_TRUE(raster.allocate());
    ASSERT_EQ(barcode.draw(raster, {0, size.width, 0, size.height}), ResultCode::Ok);

    ModuleMatrix matrix = barcode.matrix();
    matrix.setViewOrientation(c.orientation);
    const auto extent = symbolExtent(matrix.viewColumns(), matrix.viewRows(), c.quietZoneSize);
    ASSERT_TRUE(extent);
    const auto layout = fitSymbol(*extent, c.quietZoneSize, size.width, size.height, c.alignment, c.alignment);
    ASSERT_TRUE(layout);
    const std::string document = documentOf(
        format, VectorPicture(matrix, *layout, millimetresPerPixel(c.dotsPerInch), c.foreground, c.background));

    const testing::Rendering rendering =
        testing::renderDocument(format, document, c.dotsPerInch, size.width, size.height);
    ASSERT_TRUE(rendering.image) << rendering.problem;
    ASSERT_EQ(rendering.image->width(), size.width);
    ASSERT_EQ(rendering.image->height(), size.height);
    EXPECT_EQ(differingPixels(*rendering.image, raster), 0);
    const testing::ZxingReading reading = testing::readWithZxing(*rendering.image);
    EXPECT_TRUE(reading.found);
    EXPECT_EQ(reading.bytes, c.data);

    const auto qpdf = testing::findProgram("qpdf");
    if (format == VectorFormat::Pdf && qpdf) {
        const testing::ScratchDirectory scratch;
        std::ofstream(scratch.file("check.pdf"), std::ios::binary) << document;
        const auto check = testing::runProcess(*qpdf, {"--check", "check.pdf"}, scratch.path());
        EXPECT_TRUE(check.exited && check.exitStatus == 0) << check.out << check.err;
    }
}

std::string drawingName(const ::testing::TestParamInfo<VectorDrawing::ParamType>& info)
{
    const char* const formats[] = {"Svg", "Eps", "Pdf"};
    return std::string(std::get<0>(info.param).name) + formats[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(Symbols, VectorDrawing,
                         ::testing::Combine(::testing::ValuesIn(kDrawings),
                                            ::testing::Values(VectorFormat::Svg, VectorFormat::Eps,
                                                              VectorFormat::Pdf)),
                         drawingName);

// The documented physical sizes, worked out by hand: a module size in
// millimetres sizes the image exactly; otherwise a pixel is 1/dpi inch.
struct SizeCase {
    const char* name;
    std::int64_t width;  // units
    std::int64_t height;
    double unitMillimetres;
    const char* svgSize;
    const char* mediaBox;
    const char* boundingBox;
    const char* hiResBoundingBox;
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

const SizeCase kSizes[] = {
    {"HalfMillimetreModules", 12, 12, 0.5, "width=\"6mm\" height=\"6mm\"", "[0 0 17.0079 17.0079]", "0 0 18 18",
     "0 0 17.0079 17.0079"},
    {"PixelsAt96Dpi", 60, 60, 25.4 / 96, "width=\"15.875mm\" height=\"15.875mm\"", "[0 0 45 45]", "0 0 45 45",
     "0 0 45 45"},
    {"RectangleAt300Dpi", 60, 30, 25.4 / 300, "width=\"5.08mm\" height=\"2.54mm\"", "[0 0 14.4 7.2]", "0 0 15 8",
     "0 0 14.4 7.2"},
};

class VectorSize : public ::testing::TestWithParam<SizeCase> {};

TEST_P(VectorSize, StandsInEachFormatsOwnTerms)
{
    const SizeCase& c = GetParam();
    const VectorPicture picture(ModuleMatrix{}, {c.width, c.height, 1, 0, 0}, c.unitMillimetres, kBlack, kWhite);
    EXPECT_NE(svgDocument(picture).find(c.svgSize), std::string::npos) << svgDocument(picture);
    EXPECT_NE(pdfDocument(picture).find(std::string("/MediaBox ") + c.mediaBox), std::string::npos);
    const std::string eps = epsDocument(picture);
    EXPECT_NE(eps.find(std::string("\n%%BoundingBox: ") + c.boundingBox + "\n"), std::string::npos) << eps;
    EXPECT_NE(eps.find(std::string("\n%%HiResBoundingBox: ") + c.hiResBoundingBox + "\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Sizes, VectorSize, ::testing::ValuesIn(kSizes));

}  // namespace
}  // namespace korvel
