// Vector output checked by real consumers: SVG rendered by rsvg-convert, EPS
// and PDF by Ghostscript, must give exactly the pixels of the raster drawing
// of the same symbol (so no gaps between modules, and the same orientation,
// colours, quiet zone and alignment) and be read back by zxing-cpp; qpdf
// checks the PDF. Physical sizes stand in each format's own terms.

#include <gtest/gtest.h>

#include <cstdlib>

#include "korvel/rendering.hpp"
#include "korvel/vector_writer.hpp"
#include "support/symbol_readers.hpp"
#include "support/vector_rendering.hpp"

namespace korvel {
namespace {

using testing::VectorFormat;

std::string documentOf(VectorFormat format, const Symbol& symbol, const RenderOptions& render,
                       const VectorOptions& vector)
{
    std::vector<std::uint8_t> bytes;
    const auto sink = bufferSink(bytes);
    const Outcome written = format == VectorFormat::Svg   ? writeSvg(symbol, render, vector, sink)
                            : format == VectorFormat::Eps ? writeEps(symbol, render, vector, sink)
                                                          : writePdf(symbol, render, vector, sink);
    EXPECT_TRUE(written.ok()) << outcomeMessage(written);
    return {bytes.begin(), bytes.end()};
}

struct DrawingCase {
    const char* name;
    const char* data;
    std::int32_t format;  // 0: the smallest that holds the data
    Orientation orientation;
    std::uint32_t foreground;  // 0xRRGGBB
    std::uint32_t background;
    std::int32_t quietZoneSize;
    std::optional<ImageSize> size;  // the symbol's own size at modulePixels when absent
    double modulePixels;
    Alignment alignment;  // horizontal and vertical
    VectorOptions vector;
};

const DrawingCase kDrawings[] = {
    {"Default", "1234567", 0, Orientation::Degrees0, 0x000000, 0xFFFFFF, 1, {}, 5, Alignment::Center, {}},
    {"TurnedColouredCentred", "Hello, vector world", 0, Orientation::Degrees90, 0xB00000, 0xFFFFCC, 2,
     ImageSize{101, 83}, 0, Alignment::Center, {std::nullopt, 300}},
    {"RectangularUpsideDownAtTheEnd", "12345678", 25, Orientation::Degrees180, 0x102040, 0xF0F0F0, 1,
     ImageSize{97, 61}, 0, Alignment::End, {std::nullopt, 72}},
    {"LargestTurnedClockwiseAtTheStart", "Data Matrix at 144 x 144", 24, Orientation::Degrees270, 0x000000,
     0xFFFFFF, 4, {}, 2, Alignment::Start, {std::nullopt, 150}},
    // 0.508 mm is 2 pixels at 100 dpi, so the raster drawing is the same picture.
    {"ModulesInMillimetres", "print", 0, Orientation::Degrees0, 0x000000, 0xFFFFFF, 1, {}, 2, Alignment::Center,
     {0.508, 100}},
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
    SymbolOptions options;
    options.data = c.data;
    options.preferredFormat = c.format;
    Symbol symbol;
    ASSERT_TRUE(encode(options, symbol).ok());
    RenderOptions render;
    render.orientation = c.orientation;
    render.foreground = Color::fromRgb(c.foreground);
    render.background = Color::fromRgb(c.background);
    render.quietZoneSize = c.quietZoneSize;
    render.imageSize = c.size;
    render.moduleSize = c.modulePixels;
    render.horizontal = render.vertical = c.alignment;
    ImageSize size;
    ASSERT_TRUE(imageSize(symbol, render, size).ok());
    RasterImage raster(size.width, size.height, kWhite);
    ASSERT_TRUE(raster.allocate());
    ASSERT_TRUE(renderSymbol(symbol, render, raster).ok());
    const std::string document = documentOf(format, symbol, render, c.vector);

    const int dpi = c.vector.dotsPerInch;
    const auto rendering = testing::renderDocument(format, document, dpi, size.width, size.height);
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
        std::int32_t format;  // 1: 10 x 10, 25: 8 x 18; one module of quiet zone
        double modulePixels;
        VectorOptions vector;
        std::string svg, pdf, eps;
    } const cases[] = {
        {1, 5, {0.5, 96}, "width=\"6mm\" height=\"6mm\" viewBox=\"0 0 12 12\"", "/MediaBox [0 0 17.0079 17.0079]",
         "%%BoundingBox: 0 0 18 18\n%%HiResBoundingBox: 0 0 17.0079 17.0079\n"},
        {1, 5, {std::nullopt, 96}, "width=\"15.875mm\" height=\"15.875mm\" viewBox=\"0 0 60 60\"",
         "/MediaBox [0 0 45 45]", "%%BoundingBox: 0 0 45 45\n%%HiResBoundingBox: 0 0 45 45\n"},
        {25, 3, {std::nullopt, 300}, "width=\"5.08mm\" height=\"2.54mm\" viewBox=\"0 0 60 30\"",
         "/MediaBox [0 0 14.4 7.2]", "%%BoundingBox: 0 0 15 8\n%%HiResBoundingBox: 0 0 14.4 7.2\n"},
    };
    for (const auto& c : cases) {
        SymbolOptions options;
        options.data = "123";
        options.preferredFormat = c.format;
        Symbol symbol;
        ASSERT_TRUE(encode(options, symbol).ok());
        RenderOptions render;
        render.moduleSize = c.modulePixels;
        for (const auto& [format, part] : {std::pair{VectorFormat::Svg, c.svg}, std::pair{VectorFormat::Pdf, c.pdf},
                                           std::pair{VectorFormat::Eps, c.eps}}) {
            const std::string document = documentOf(format, symbol, render, c.vector);
            EXPECT_NE(document.find(part), std::string::npos) << part << " not in\n" << document;
        }
    }
}

}  // namespace
}  // namespace korvel
