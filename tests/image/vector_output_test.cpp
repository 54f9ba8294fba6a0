// Vector output checked by real consumers: SVG rendered by rsvg-convert, EPS
// and PDF by Ghostscript, must give exactly the pixels of the raster drawing
// of the same symbol (so no gaps between modules, and the same orientation,
// colours, quiet zone and alignment) and be read back by zxing-cpp; qpdf
// checks the PDF. Physical sizes stand in each format's own terms.

#include <gtest/gtest.h>

#include <cstdlib>

#include "image/eps_writer.hpp"
#include "image/pdf_writer.hpp"
#include "image/svg_writer.hpp"
#include "korvel/data_matrix_barcode.hpp"
#include "support/symbol_readers.hpp"
#include "support/vector_rendering.hpp"

namespace korvel {
namespace {

using testing::VectorFormat;

std::string documentOf(VectorFormat format, const VectorPicture& picture)
{
    return format == VectorFormat::Svg   ? svgDocument(picture)
           : format == VectorFormat::Eps ? epsDocument(picture)
                                         : pdfDocument(picture);
}

struct DrawingCase {
    const char* name;
    const char* data;
    std::int32_t format;  // 0: the smallest that holds the data
    std::int32_t orientation;
    Color foreground;
    Color background;
    std::int32_t quietZoneSize;
    ImageSize size;  // 0 x 0: the symbol's own size at modulePixels
    std::int32_t modulePixels;
    std::int32_t alignment;  // horizontal and vertical
    int dotsPerInch;
};

const DrawingCase kDrawings[] = {
    {"Default", "1234567", 0, 0, kBlack, kWhite, 1, {0, 0}, 5, 1, 96},
    {"TurnedColouredCentred", "Hello, vector world", 0, 90, 0x0000B0, 0xCCFFFF, 2, {101, 83}, 0, 1, 300},
    {"RectangularUpsideDownAtTheEnd", "12345678", 25, 180, 0x402010, 0xF0F0F0, 1, {97, 61}, 0, 2, 72},
    {"LargestTurnedClockwiseAtTheStart", "Data Matrix at 144 x 144", 24, 270, kBlack, kWhite, 4, {0, 0}, 2, 0, 150},
};

// Pixels of equal images; a channel may differ by one where a renderer
// converts a colour through fractions of full intensity.
int differingPixels(const RasterImage& a, const RasterImage& b)
{
    int count = 0;
    for (std::int32_t y = 0; y < a.height(); ++y) {
        for (std::size_t i = 0; i < a.rowBytes(); i += 3) {
            count += std::abs(a.row(y)[i] - b.row(y)[i]) > 1 || std::abs(a.row(y)[i + 1] - b.row(y)[i + 1]) > 1 ||
                     std::abs(a.row(y)[i + 2] - b.row(y)[i + 2]) > 1;
        }
    }
    return count;
}

class VectorDrawing : public ::testing::TestWithParam<std::tuple<DrawingCase, VectorFormat>> {};

TEST_P(VectorDrawing, RendersToTheRasterPixelsAndReadsBack)
{
    const auto& [c, format] = GetParam();
    DataMatrixBarcode barcode;
    for (const ResultCode result :
         {barcode.setEncodingMode(Automatic), barcode.setData(c.data), barcode.setPreferredFormat(c.format),
          barcode.setOrientation(c.orientation), barcode.setForegroundColor(c.foreground),
          barcode.setBackgroundColor(c.background), barcode.setQuietZoneSize(c.quietZoneSize),
          barcode.setHorizontalAlignment(c.alignment), barcode.setVerticalAlignment(c.alignment)}) {
        ASSERT_EQ(result, ResultCode::Ok);
    }
    ImageSize size = c.size;
    ASSERT_TRUE(size.width > 0 || barcode.getImageSize(c.modulePixels, size) == ResultCode::Ok);
    RasterImage raster(size.width, size.height, kWhite);
    ASSERT_TRUE(raster.allocate());
    ASSERT_EQ(barcode.draw(raster, {0, size.width, 0, size.height}), ResultCode::Ok);

    ModuleMatrix matrix = barcode.matrix();
    matrix.setViewOrientation(c.orientation);
    const auto extent = symbolExtent(matrix.viewColumns(), matrix.viewRows(), c.quietZoneSize);
    const auto layout = fitSymbol(*extent, c.quietZoneSize, size.width, size.height, c.alignment, c.alignment);
    ASSERT_TRUE(layout);
    const std::string document = documentOf(
        format, VectorPicture(matrix, *layout, millimetresPerPixel(c.dotsPerInch), c.foreground, c.background));

    const auto rendering = testing::renderDocument(format, document, c.dotsPerInch, size.width, size.height);
    if (rendering.rendererMissing) {
        GTEST_SKIP() << "the renderer is not installed";
    }
    ASSERT_TRUE(rendering.image) << rendering.problem;
    ASSERT_EQ(rendering.image->width(), size.width);
    ASSERT_EQ(rendering.image->height(), size.height);
    EXPECT_EQ(differingPixels(*rendering.image, raster), 0);
    EXPECT_EQ(testing::readWithZxing(*rendering.image).bytes, c.data);
    if (format == VectorFormat::Pdf) {
        const auto check = testing::runOnDocument(format, document, "qpdf", {"--check"}).process;
        EXPECT_TRUE(check.exitStatus == 0 || check.exitStatus == 127) << check.out << check.err;
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

// Sizes worked out by hand: a module size in millimetres sizes the image
// exactly; otherwise a pixel is 1/dpi inch.
TEST(VectorSize, StandsInEachFormatsOwnTerms)
{
    struct {
        SymbolLayout layout;
        double unitMillimetres;
        std::vector<std::string> svg, pdf, eps;
    } const cases[] = {
        {{12, 12, 1, 1, 1}, 0.5, {"width=\"6mm\" height=\"6mm\" viewBox=\"0 0 12 12\""},
         {"/MediaBox [0 0 17.0079 17.0079]"},
         {"\n%%BoundingBox: 0 0 18 18\n", "\n%%HiResBoundingBox: 0 0 17.0079 17.0079\n"}},
        {{60, 60, 5, 5, 5}, 25.4 / 96, {"width=\"15.875mm\" height=\"15.875mm\" viewBox=\"0 0 60 60\""},
         {"/MediaBox [0 0 45 45]"}, {"\n%%BoundingBox: 0 0 45 45\n", "\n%%HiResBoundingBox: 0 0 45 45\n"}},
        {{60, 30, 3, 3, 3}, 25.4 / 300, {"width=\"5.08mm\" height=\"2.54mm\" viewBox=\"0 0 60 30\""},
         {"/MediaBox [0 0 14.4 7.2]"}, {"\n%%BoundingBox: 0 0 15 8\n", "\n%%HiResBoundingBox: 0 0 14.4 7.2\n"}},
    };
    for (const auto& c : cases) {
        const VectorPicture picture(ModuleMatrix{}, c.layout, c.unitMillimetres, kBlack, kWhite);
        for (const auto& [document, parts] : {std::pair{svgDocument(picture), c.svg},
                                              std::pair{pdfDocument(picture), c.pdf},
                                              std::pair{epsDocument(picture), c.eps}}) {
            for (const std::string& part : parts) {
                EXPECT_NE(document.find(part), std::string::npos) << part << " not in\n" << document;
            }
        }
    }
}

}  // namespace
}  // namespace korvel
