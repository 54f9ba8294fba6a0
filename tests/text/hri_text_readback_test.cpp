// The human-readable line under the symbol and the terminal preview, checked
// by real consumers: zxing-cpp reads every output, rsvg-convert and
// Ghostscript render the vector files, pdftotext, Ghostscript's text device
// and Python's XML parser find the line, and a PNG keeps the symbol above
// its band pixel for pixel.

#include <gtest/gtest.h>

#include "korvel/png_writer.hpp"
#include "korvel/rendering.hpp"
#include "korvel/text_writer.hpp"
#include "korvel/vector_writer.hpp"
#include "support/png_file.hpp"
#include "support/symbol_readers.hpp"
#include "support/vector_rendering.hpp"
#include "text/text_font.hpp"

namespace korvel {
namespace {

using testing::VectorFormat;

struct HriCase {
    const char* name;
    const char* data;
    DataSyntax syntax;
    const char* line;  // what the band shows
    const char* read;  // what zxing-cpp reads
};

void PrintTo(const HriCase& c, std::ostream* os) { *os << c.name; }

const HriCase kCases[] = {
    {"Gs1", "[01]09501101530003[17]261231", DataSyntax::Gs1, "(01) 09501101530003 (17) 261231",
     "010950110153000317261231"},
    {"Hibc", "A123BJC5D6E71", DataSyntax::Hibc, "+A123BJC5D6E71G", "+A123BJC5D6E71G"},
    {"PlainWithEscapedCharacters", "A&B <x> (y) \\z", DataSyntax::Literal, "A&B <x> (y) \\z", "A&B <x> (y) \\z"},
};

class HriTextTest : public ::testing::TestWithParam<HriCase> {
protected:
    void SetUp() override
    {
        SymbolOptions options;
        options.data = GetParam().data;
        options.syntax = GetParam().syntax;
        ASSERT_TRUE(encode(options, symbol_).ok());
        render_.moduleSize = 4;
        render_.hriText = true;
    }
    // The document with the line, and what `program` (given the document
    // as its last argument, writing out.png) makes of it.
    std::string extracted(VectorFormat format, const std::string& program, const std::vector<std::string>& arguments)
    {
        const auto run = testing::runOnDocument(format, document(format), program, arguments);
        return {run.output.begin(), run.output.end()};
    }
    std::string document(VectorFormat format)
    {
        std::vector<std::uint8_t> bytes;
        const auto write = format == VectorFormat::Svg ? writeSvg : format == VectorFormat::Eps ? writeEps : writePdf;
        EXPECT_TRUE(write(symbol_, render_, {}, bufferSink(bytes)).ok());
        return {bytes.begin(), bytes.end()};
    }
    Symbol symbol_;
    RenderOptions render_;
};

std::optional<testing::DecodedPng> pngOf(const Symbol& symbol, const RenderOptions& render, bool palette = false)
{
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(writePng(symbol, render, {6, 0, std::nullopt, palette}, bufferSink(bytes)).ok());
    return testing::decodePng(bytes, testing::PngPixels::Rgb);
}

TEST_P(HriTextTest, PngKeepsTheSymbolAboveItsBandAndReadsBack)
{
    RenderOptions plain = render_;
    plain.hriText = false;
    const auto without = pngOf(symbol_, plain);
    for (const bool palette : {false, true}) {
        const auto with = pngOf(symbol_, render_, palette);
        ASSERT_TRUE(with && without);
        ASSERT_EQ(with->height, without->height + 4 * kTextBandModules);
        EXPECT_TRUE(std::equal(without->pixels.begin(), without->pixels.end(), with->pixels.begin()));
        const auto band = std::span(with->pixels).subspan(without->pixels.size());
        const auto inked = std::count_if(band.begin(), band.end(), [](std::uint8_t v) { return v != 255; });
        EXPECT_GT(inked, palette ? 0 : 20) << "no line drawn";  // a long line is small, and few pixels are over half inked
        if (palette) {
            EXPECT_TRUE(std::all_of(band.begin(), band.end(), [](std::uint8_t v) { return v == 0 || v == 255; }));
        }
        EXPECT_EQ(testing::readWithZxing(*testing::toRaster(*with)).bytes, GetParam().read);
    }
}

TEST_P(HriTextTest, VectorOutputRendersReadsBackAndHoldsTheLineAsText)
{
    ImageSize size;
    ASSERT_TRUE(imageSize(symbol_, render_, size).ok());
    for (const VectorFormat format : {VectorFormat::Svg, VectorFormat::Eps, VectorFormat::Pdf}) {
        // 96 dpi: a pixel of the picture is a pixel of the rendering.
        const auto rendering = testing::renderDocument(format, document(format), 96, size.width, size.height);
        ASSERT_TRUE(rendering.image) << rendering.problem;
        EXPECT_EQ(testing::readWithZxing(*rendering.image).bytes, GetParam().read);
    }
    const std::string line = GetParam().line;
    EXPECT_EQ(extracted(VectorFormat::Pdf, "sh", {"-c", "pdftotext -raw \"$0\" out.png"}), line + "\n\f");
    EXPECT_NE(extracted(VectorFormat::Eps, "gs", {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=txtwrite",
                                                   "-sOutputFile=out.png"})
                  .find(line),
              std::string::npos);
    EXPECT_EQ(extracted(VectorFormat::Svg, "python3",
                        {"-c", "import sys, xml.etree.ElementTree as E\n"
                               "t = E.parse(sys.argv[1]).find('{http://www.w3.org/2000/svg}text')\n"
                               "open('out.png', 'w').write(t.text + '|' + t.get('font-family'))"}),
              line + "|'OCR B', 'OCR-B', 'DejaVu Sans Mono', monospace");
}

INSTANTIATE_TEST_SUITE_P(Data, HriTextTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HriText, DataWithoutPrintableTextIsRefusedByEveryWriter)
{
    RenderOptions render;
    render.hriText = true;
    for (const char* data : {"~1ABC", "tab\there", "\xC3\x84pfel"}) {
        SymbolOptions options;
        options.data = data;
        options.utf8 = data[0] == '\xC3';
        Symbol symbol;
        ASSERT_TRUE(encode(options, symbol).ok());
        EXPECT_FALSE(symbol.hriText());
        const ByteSink sink = [](std::span<const std::uint8_t>) { return true; };
        EXPECT_EQ(writePng(symbol, render, {}, sink).code, ResultCode::InvalidArgument);
        EXPECT_EQ(writePdf(symbol, render, {}, sink).code, ResultCode::InvalidArgument);
        EXPECT_EQ(writeText(symbol, render, {}, sink).code, ResultCode::InvalidArgument);
    }
}

TEST(HriText, AMissingFontIsNamedWithItsPackage)
{
    TextFont font;
    const FontChoice missing[] = {{"No Such Face", "fonts-none"}, {"Nor This", "fonts-neither"}};
    const Outcome found = findTextFont(missing, font);
    EXPECT_EQ(found.code, ResultCode::InvalidArgument);
    EXPECT_EQ(found.detail,
              "no font for the human-readable text: install No Such Face (fonts-none) or Nor This (fonts-neither)");
}

TEST(TextPreview, ReadsBackPlainAndColouredTurnedAndWithItsLine)
{
    SymbolOptions options;
    options.data = "Preview in a terminal";
    Symbol symbol;
    ASSERT_TRUE(encode(options, symbol).ok());
    RenderOptions render;
    render.orientation = Orientation::Degrees90;
    render.hriText = true;
    for (const bool ansi : {false, true}) {
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(writeText(symbol, render, {ansi}, bufferSink(bytes)).ok());
        const std::string text(bytes.begin(), bytes.end());
        EXPECT_EQ(text.find('\x1b') != std::string::npos, ansi);
        EXPECT_NE(text.find("Preview in a terminal"), std::string::npos);
        EXPECT_EQ(testing::readWithZxing(*testing::textPreviewImage(text)).bytes, "Preview in a terminal");
    }
}

}  // namespace
}  // namespace korvel
