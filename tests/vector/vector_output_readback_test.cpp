// Vector output rendered by rsvg-convert (SVG) and Ghostscript (EPS, PDF)
// must be exactly the raster drawing of the same symbol and read back with
// zxing-cpp; qpdf checks the PDF.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

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
    const char* name;  // shown with the test's parameters
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

void PrintTo(const DrawingCase& c, std::ostream* os) { *os << c.name; }

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

// Rows in which the images differ: renderers must give exactly the raster
// drawing's pixels, also along the edges between modules.
int differingRows(const RasterImage& a, const RasterImage& b)
{
    int count = 0;
    for (std::int32_t y = 0; y < a.height(); ++y) {
        count += std::equal(a.row(y), a.row(y) + a.rowBytes(), b.row(y)) ? 0 : 1;
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
    EXPECT_EQ(differingRows(*rendering.image, raster), 0);
    EXPECT_EQ(testing::readWithZxing(*rendering.image).bytes, c.data);
    if (format == VectorFormat::Pdf) {
        const auto check = testing::runOnDocument(format, document, "qpdf", {"--check"}).process;
        EXPECT_TRUE(check.exitStatus == 0 || check.exitStatus == 127) << check.out << check.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Symbols, VectorDrawing,
                         ::testing::Combine(::testing::ValuesIn(kDrawings),
                                            ::testing::Values(VectorFormat::Svg, VectorFormat::Eps,
                                                              VectorFormat::Pdf)));

// Sizes worked out by hand: a module size in millimetres sizes the image
// exactly; otherwise a pixel is 1/dpi inch. Formats 1 (10 x 10) and 25 (8 x 18).
TEST(VectorSize, StandsInEachFormatsOwnTerms)
{
    const struct {
        std::int32_t format;
        VectorOptions vector;
        std::array<std::string, 3> parts;  // SVG, EPS, PDF
    } cases[] = {
        {1, {0.5, 96}, {"width=\"6mm\" height=\"6mm\" viewBox=\"0 0 12 12\"",
                        "%%BoundingBox: 0 0 18 18\n%%HiResBoundingBox: 0 0 17.0079 17.0079\n",
                        "/MediaBox [0 0 17.0079 17.0079]"}},
        {25, {std::nullopt, 300}, {"width=\"5.08mm\" height=\"2.54mm\" viewBox=\"0 0 60 30\"",
                                   "%%BoundingBox: 0 0 15 8\n%%HiResBoundingBox: 0 0 14.4 7.2\n",
                                   "/MediaBox [0 0 14.4 7.2]"}},
    };
    for (const auto& c : cases) {
        SymbolOptions options;
        options.preferredFormat = c.format;
        options.data = "123";
        Symbol symbol;
        ASSERT_TRUE(encode(options, symbol).ok());
        RenderOptions render;
        render.moduleSize = 3;
        for (const VectorFormat format : {VectorFormat::Svg, VectorFormat::Eps, VectorFormat::Pdf}) {
            const std::string document = documentOf(format, symbol, render, c.vector);
            const std::string& part = c.parts[static_cast<std::size_t>(format)];
            EXPECT_NE(document.find(part), std::string::npos) << part << " not in\n" << document;
        }
    }
}

// A page beyond 14,400 points gets a larger unit (UserUnit): Ghostscript,
// which honours it, renders the page at its physical size and poppler at
// its size in units; both read back. A page below 3 points is refused.
TEST(PdfPage, StaysWithinThreeToFourteenThousandFourHundredUnits)
{
    const struct {
        double moduleMillimetres;
        std::int32_t format;
        bool refused;
        const char* userUnit;   // nullptr: none, and PDF 1.4
        int ghostscriptPixels;  // the page's width rendered at 4 dpi
    } cases[] = {
        {100, 24, false, "/UserUnit 2.8741", 2299},  // 146 modules of 100 mm: 41,386 points
        {20, 24, false, nullptr, 460},               // 8,277 points
        {0.01, 1, true, nullptr, 0},                 // 0.34 points
    };
    for (const auto& c : cases) {
        SymbolOptions options;
        options.data = "x";
        options.preferredFormat = c.format;
        Symbol symbol;
        ASSERT_TRUE(encode(options, symbol).ok());
        std::vector<std::uint8_t> bytes;
        const Outcome written = writePdf(symbol, {}, {c.moduleMillimetres, 96}, bufferSink(bytes));
        if (c.refused) {
            EXPECT_EQ(written.detail, "the PDF page would be 0.3402 x 0.3402 points; PDF pages are 3 to 14,400 "
                                      "units a side");
            EXPECT_TRUE(bytes.empty());
            continue;
        }
        ASSERT_TRUE(written.ok());
        const std::string document(bytes.begin(), bytes.end());
        const bool scaled = c.userUnit != nullptr;
        EXPECT_NE(document.find(scaled ? c.userUnit : " /Resources"), std::string::npos);
        EXPECT_EQ(document.find("/UserUnit") != std::string::npos, scaled);
        EXPECT_EQ(document.rfind(scaled ? "%PDF-1.6" : "%PDF-1.4", 0), 0U);
        const auto check = testing::runOnDocument(VectorFormat::Pdf, document, "qpdf", {"--check"}).process;
        EXPECT_TRUE(check.exitStatus == 0 || check.exitStatus == 127) << check.out << check.err;
        const auto rendering = testing::renderDocument(VectorFormat::Pdf, document, 4, 0, 0);
        if (rendering.rendererMissing) {
            GTEST_SKIP() << "Ghostscript is not installed";
        }
        ASSERT_TRUE(rendering.image) << rendering.problem;
        EXPECT_EQ(rendering.image->width(), c.ghostscriptPixels);
        EXPECT_EQ(testing::readWithZxing(*rendering.image).bytes, "x");
        const auto poppler = testing::renderWithPoppler(document, 4);
        ASSERT_TRUE(poppler.image) << poppler.problem;
        EXPECT_EQ(poppler.image->width(), scaled ? 800 : c.ghostscriptPixels);  // poppler ignores UserUnit
        EXPECT_EQ(testing::readWithZxing(*poppler.image).bytes, "x");
    }
}

}  // namespace
}  // namespace korvel
