// The print options in every output kind: dots, ink spread, CMYK colours and
// no background. Each output is rendered by a real renderer (libpng for the
// PNG, rsvg-convert, Ghostscript, poppler) and read back with zxing-cpp; the
// library's output check accepts it and refuses it for plain squares; CMYK
// files set no RGB colour; a PNG without background composites to the
// colour behind it.

#include <gtest/gtest.h>

#include <algorithm>

#include "korvel/png_writer.hpp"
#include "korvel/rendering.hpp"
#include "korvel/vector_writer.hpp"
#include "korvel/verification.hpp"
#include "support/png_file.hpp"
#include "support/symbol_readers.hpp"
#include "support/vector_rendering.hpp"

namespace korvel {
namespace {

using testing::VectorFormat;

constexpr const char* kData = "Print marks 0123456789";

struct MarkCase {
    const char* name;
    std::optional<double> dots;
    double inkSpread;
    bool cmyk;
    bool noBackground;
    std::uint32_t foreground;
    std::uint32_t background;
};

void PrintTo(const MarkCase& c, std::ostream* os) { *os << c.name; }

const MarkCase kMarks[] = {
    {"Dots", 0.8, 0.0, false, false, 0x000000, 0xFFFFFF},
    {"TouchingDots", 1.0, 0.0, false, false, 0x000000, 0xFFFFFF},
    {"InkSpread", std::nullopt, 0.5, false, false, 0x000000, 0xFFFFFF},
    {"DotsWithSpread", 1.0, 0.2, false, false, 0x000000, 0xFFFFFF},
    {"CmykColours", std::nullopt, 0.0, true, false, 0x102040, 0xFFEEDD},
    {"NoBackground", std::nullopt, 0.0, false, true, 0x000000, 0xFFFF00},
    {"Everything", 0.9, 0.1, true, true, 0x000000, 0xFFFFFF},
};

RenderOptions renderOptionsOf(const MarkCase& c, int modulePixels)
{
    RenderOptions render;
    render.moduleSize = modulePixels;
    render.quietZoneSize = 2;
    render.dotDiameter = c.dots;
    render.inkSpread = c.inkSpread;
    render.cmyk = c.cmyk;
    render.transparentBackground = c.noBackground;
    render.foreground = Color::fromRgb(c.foreground);
    render.background = Color::fromRgb(c.background);
    return render;
}

Symbol encoded()
{
    SymbolOptions options;
    options.data = kData;
    Symbol symbol;
    EXPECT_TRUE(encode(options, symbol).ok());
    return symbol;
}

// The output check follows the options, and refuses the same bytes checked
// as plain squares on a background.
// `differs`: the bytes are not those of plain squares (a PNG's marks may
// come to whole squares at few pixels per module).
void expectCheckFollowsOptions(OutputType type, const std::vector<std::uint8_t>& bytes, const Symbol& symbol,
                               const RenderOptions& render, bool differs)
{
    const Outcome checked = verifyOutput({type, bytes}, symbol, render);
    EXPECT_TRUE(checked.ok()) << outcomeMessage(checked);
    RenderOptions plain = render;
    plain.dotDiameter.reset();
    plain.inkSpread = 0.0;
    plain.transparentBackground = false;
    if (type != OutputType::Svg) {
        plain.cmyk = false;
    }
    EXPECT_EQ(verifyOutput({type, bytes}, symbol, plain).ok(), !differs);
}

// A light blur: the mean of a (2k + 1)-pixel square, which readers that
// look for solid lines need where dots do not touch.
std::unique_ptr<RasterImage> blurred(const RasterImage& image, int k)
{
    auto out = std::make_unique<RasterImage>(image.width(), image.height(), kWhite);
    EXPECT_TRUE(out->allocate());
    const int side = 2 * k + 1;
    for (std::int32_t y = 0; y < image.height(); ++y) {
        for (std::int32_t x = 0; x < image.width(); ++x) {
            for (int channel = 0; channel < 3; ++channel) {
                int sum = 0;
                for (int dy = -k; dy <= k; ++dy) {
                    for (int dx = -k; dx <= k; ++dx) {
                        const std::int32_t yy = std::clamp(y + dy, 0, image.height() - 1);
                        const std::int32_t xx = std::clamp(x + dx, 0, image.width() - 1);
                        sum += image.row(yy)[3 * xx + channel];
                    }
                }
                out->row(y)[3 * x + channel] = static_cast<std::uint8_t>(sum / (side * side));
            }
        }
    }
    return out;
}

// Read as it is, or else after the lightest blur that a reader needs: a
// 3 x 3 box once, twice or three times.
std::string readBack(const RasterImage& image)
{
    std::string read = testing::readWithZxing(image).bytes;
    std::unique_ptr<RasterImage> soft;
    for (int pass = 1; pass <= 3 && read != kData; ++pass) {
        soft = blurred(soft ? *soft : image, 1);
        read = testing::readWithZxing(*soft).bytes;
    }
    return read;
}

class PrintMarks : public ::testing::TestWithParam<MarkCase> {};

// PNG at 3 to 6 pixels per module: decoded with its transparency, every
// light pixel fully transparent (and no dark one) when the background is
// left out; composited over white, it reads back.
TEST_P(PrintMarks, PngReadsBackAtThreeToSixPixelsPerModule)
{
    const MarkCase& c = GetParam();
    const Symbol symbol = encoded();
    for (int s = 3; s <= 6; ++s) {
        const RenderOptions render = renderOptionsOf(c, s);
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(writePng(symbol, render, {}, bufferSink(bytes)).ok());
        RenderOptions plain = renderOptionsOf({}, s);
        plain.foreground = render.foreground;
        plain.background = render.background;
        std::vector<std::uint8_t> plainBytes;
        ASSERT_TRUE(writePng(symbol, plain, {}, bufferSink(plainBytes)).ok());
        expectCheckFollowsOptions(OutputType::Png, bytes, symbol, render, bytes != plainBytes);
        const auto png = testing::decodePng(bytes, testing::PngPixels::Rgba);
        ASSERT_TRUE(png.has_value());
        RasterImage composite(static_cast<std::int32_t>(png->width), static_cast<std::int32_t>(png->height), kWhite);
        ASSERT_TRUE(composite.allocate());
        std::size_t clear = 0;
        for (std::uint32_t y = 0; y < png->height; ++y) {
            for (std::uint32_t x = 0; x < png->width; ++x) {
                const std::uint8_t* p = png->pixels.data() + y * png->rowBytes + 4 * x;
                const bool light = Color{p[0], p[1], p[2]} == render.background;
                EXPECT_EQ(p[3], light && c.noBackground ? 0 : 255) << x << "," << y;
                clear += p[3] == 0 ? 1 : 0;
                const std::uint8_t level = light ? 255 : 0;  // over white; dark as black for the reader
                std::fill_n(composite.row(static_cast<std::int32_t>(y)) + 3 * x, 3, level);
            }
        }
        EXPECT_EQ(clear > 0, c.noBackground);
        EXPECT_EQ(readBack(composite), kData) << s << " pixels per module";
    }
}

// Vector output at 4 pixels per module (96 dpi): rendered on white by
// rsvg-convert, Ghostscript (EPS, PDF) and poppler (PDF), read back.
TEST_P(PrintMarks, VectorsRenderAndReadBack)
{
    const MarkCase& c = GetParam();
    const Symbol symbol = encoded();
    const RenderOptions render = renderOptionsOf(c, 4);
    ImageSize size;
    ASSERT_TRUE(imageSize(symbol, render, size).ok());
    for (const VectorFormat format : {VectorFormat::Svg, VectorFormat::Eps, VectorFormat::Pdf}) {
        std::vector<std::uint8_t> bytes;
        const auto sink = bufferSink(bytes);
        const Outcome written = format == VectorFormat::Svg   ? writeSvg(symbol, render, {}, sink)
                                : format == VectorFormat::Eps ? writeEps(symbol, render, {}, sink)
                                                              : writePdf(symbol, render, {}, sink);
        ASSERT_TRUE(written.ok());
        const auto type = format == VectorFormat::Svg   ? OutputType::Svg
                          : format == VectorFormat::Eps ? OutputType::Eps
                                                        : OutputType::Pdf;
        const bool plain = !c.dots && c.inkSpread == 0 && !c.noBackground && (!c.cmyk || type == OutputType::Svg);
        expectCheckFollowsOptions(type, bytes, symbol, render, !plain);
        const std::string document(bytes.begin(), bytes.end());
        std::vector<testing::Rendering> renderings;
        if (format == VectorFormat::Svg) {
            const auto run = testing::runOnDocument(format, document, "rsvg-convert",
                                                    {"-b", "white", "-o", "out.png"});
            renderings.push_back({run.process.exitStatus == 127, nullptr, run.process.err});
            if (const auto png = testing::decodePng(run.output, testing::PngPixels::Rgb)) {
                renderings.back().image = testing::toRaster(*png);
            }
        } else {
            renderings.push_back(testing::renderDocument(format, document, 96, size.width, size.height));
        }
        if (format == VectorFormat::Pdf) {
            renderings.push_back(testing::renderWithPoppler(document, 96));
        }
        for (const auto& rendering : renderings) {
            if (rendering.rendererMissing) {
                GTEST_SKIP() << "a renderer is not installed";
            }
            ASSERT_TRUE(rendering.image) << rendering.problem;
            EXPECT_EQ(rendering.image->width(), size.width);
            EXPECT_EQ(readBack(*rendering.image), kData) << static_cast<int>(format);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Options, PrintMarks, ::testing::ValuesIn(kMarks));

// With CMYK colours the PDF page (uncompressed by qpdf) and the EPS set
// their colours with k and setcmykcolor only; black is black ink alone.
TEST(PrintColours, CmykFilesSetNoRgbColour)
{
    const Symbol symbol = encoded();
    RenderOptions render;
    render.cmyk = true;
    render.background = Color::fromRgb(0xFFEEDD);
    std::vector<std::uint8_t> eps;
    std::vector<std::uint8_t> pdf;
    ASSERT_TRUE(writeEps(symbol, render, {}, bufferSink(eps)).ok());
    ASSERT_TRUE(writePdf(symbol, render, {}, bufferSink(pdf)).ok());
    const std::string epsText(eps.begin(), eps.end());
    const auto page = testing::runOnDocument(VectorFormat::Pdf, std::string(pdf.begin(), pdf.end()), "sh",
                                             {"-c", "qpdf --qdf --object-streams=disable \"$0\" -"})
                          .process;
    if (page.exitStatus == 127) {
        GTEST_SKIP() << "qpdf is not installed";
    }
    for (const auto& [text, cmyk, rgb] : {std::tuple{epsText, " setcmykcolor\n", " setrgbcolor\n"},
                                          std::tuple{page.out, " k\n", " rg\n"}}) {
        EXPECT_NE(text.find("\n0 0 0 1" + std::string(cmyk)), std::string::npos) << text.substr(0, 800);
        EXPECT_NE(text.find("\n0 0.0667 0.1333 0" + std::string(cmyk)), std::string::npos);
        EXPECT_EQ(text.find(rgb), std::string::npos);
    }
}

}  // namespace
}  // namespace korvel
