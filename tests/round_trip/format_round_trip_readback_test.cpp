// Every symbol format filled close to its capacity, drawn in all four
// orientations with quiet zones of 1 to 3 modules, with and without
// structured append, ECI, FNC1, macros and reader programming: both readers
// must read back exactly what went in, and libdmtx exactly the codewords
// placed. Without a quiet zone the symbol is checked on its pixels.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "support/expected_reading.hpp"
#include "support/symbol_readers.hpp"

namespace korvel {
namespace {

using enum EncodingMode;


constexpr std::array<int, 4> kOrientations{0, 90, 180, 270};

int moduleSizeFor(const SymbolFormat& format)
{
    return format.symbolRows > 52 ? 3 : 4;
}

// What one symbol of a format carries besides its filler text.
struct Variant {
    const char* name;
    EncodingMode mode;
    std::function<std::string(const SymbolFormat&)> prefix;
    std::function<char(std::size_t)> filler;  // the k-th character of the text that fills the symbol
    bool structuredAppend;
};

std::string eciEscape(const SymbolFormat& format)
{
    // Designators of one, two and three codewords after 241 where there is room.
    static constexpr std::array<const char*, 6> kLarge{"~7000003", "~7000026", "~7000127", "~7000899", "~7016383", "~7999999"};
    if (format.dataCodewords < 8) {
        return "~7000026";
    }
    return kLarge[static_cast<std::size_t>(format.id) % kLarge.size()];
}

const std::vector<Variant>& variants()
{
    static const std::vector<Variant> list{
        {"digits in ASCII", Ascii, [](const SymbolFormat&) { return std::string(); },
         [](std::size_t k) { return static_cast<char>('0' + (k * 7 + 3) % 10); }, false},
        {"structured append, FNC1 first, capitals and digits", Automatic,
         [](const SymbolFormat&) { return std::string("~1"); },
         [](std::size_t k) { return k % 9 == 8 ? static_cast<char>('0' + k % 10) : static_cast<char>('A' + (k * 5) % 26); },
         true},
        {"ECI, then text with an FNC1 inside", Automatic,
         [](const SymbolFormat& format) {
             const std::string text = format.dataCodewords < 5 ? "" : format.dataCodewords < 8 ? "L" : "Lot";
             return eciEscape(format) + text + "~1";
         },
         [](std::size_t k) { return "korvel data matrix 0123 "[k % 24]; }, false},
        {"macro or reader programming, Text and C40", Text,
         [](const SymbolFormat& format) { return std::string(format.id % 3 == 0 ? "~3" : format.id % 3 == 1 ? "~5" : "~6"); },
         [](std::size_t k) { return "lower case words "[k % 17]; }, false},
    };
    return list;
}

ResultCode encode(DataMatrixBarcode& barcode, const SymbolFormat& format, const Variant& variant, const std::string& data)
{
    (void)barcode.suspendUpdates(true);
    (void)barcode.setData(data);
    (void)barcode.setEncodingMode(variant.mode == Text && format.id % 2 == 1 ? C40 : variant.mode);
    (void)barcode.setPreferredFormat(format.id);
    // Structured append needs four codewords: not in 10 x 10.
    const bool structuredAppend = variant.structuredAppend && format.dataCodewords > 4;
    (void)barcode.setStructuredAppend(structuredAppend);
    if (structuredAppend) {
        const int total = 2 + format.id % 15;
        (void)barcode.setStructuredAppendTotal(total);
        (void)barcode.setStructuredAppendPosition(1 + (format.id * 7) % total);
        (void)barcode.setStructuredAppendId(format.id * 2131 % DataMatrixBarcode::kMaxStructuredAppendId + 1);
    }
    return barcode.suspendUpdates(false);
}

// The longest filler that still fits the format, found by bisection.
std::string fillFormat(const SymbolFormat& format, const Variant& variant)
{
    const std::string prefix = variant.prefix(format);
    const auto text = [&](std::size_t length) {
        std::string data = prefix;
        for (std::size_t k = 0; k < length; ++k) {
            data += variant.filler(k);
        }
        return data;
    };
    std::size_t fits = 0;
    std::size_t tooLong = 2 * static_cast<std::size_t>(format.dataCodewords) + 2;  // no scheme packs more
    while (tooLong - fits > 1) {
        const std::size_t middle = (fits + tooLong) / 2;
        DataMatrixBarcode barcode;
        (encode(barcode, format, variant, text(middle)) == ResultCode::Ok ? fits : tooLong) = middle;
    }
    return text(fits);
}

// Checks the outermost ring of modules on the pixels: two solid dark edges
// and two alternating ones, turned with the orientation, the quiet zone
// around them light. Returns a description of the first fault, or nothing.
std::string checkSymbolEdges(const RasterImage& image, const DataMatrixBarcode& barcode, int moduleSize, int quiet)
{
    const int rows = barcode.format().symbolRows;
    const int columns = barcode.format().symbolColumns;
    const int orientation = barcode.orientation();
    const bool turned = orientation == 90 || orientation == 270;
    const int viewRows = turned ? columns : rows;
    const int viewColumns = turned ? rows : columns;
    const int s = moduleSize;
    if (image.width() != (viewColumns + 2 * quiet) * s || image.height() != (viewRows + 2 * quiet) * s) {
        return "image is " + std::to_string(image.width()) + " x " + std::to_string(image.height());
    }
    const auto pixelDark = [&](int x, int y) { return image.row(y)[3 * x] == 0; };
    // Where a module (r, c) of the upright symbol shows in the turned view.
    const auto view = [&](int r, int c) -> std::pair<int, int> {
        switch (orientation) {
        case 90: return {columns - 1 - c, r};    // a quarter turn counter-clockwise
        case 180: return {rows - 1 - r, columns - 1 - c};
        case 270: return {c, rows - 1 - r};      // a quarter turn clockwise
        default: return {r, c};
        }
    };
    // Upright: left column and bottom row solid; top row dark on even
    // columns, right column dark on odd rows.
    const auto expectedDark = [&](int r, int c) {
        if (c == 0 || r == rows - 1) {
            return true;
        }
        return r == 0 ? c % 2 == 0 : r % 2 == 1;
    };
    const auto checkModule = [&](int r, int c) -> std::string {
        const auto [i, j] = view(r, c);
        const bool dark = expectedDark(r, c);
        for (int y = (quiet + i) * s; y < (quiet + i + 1) * s; ++y) {
            for (int x = (quiet + j) * s; x < (quiet + j + 1) * s; ++x) {
                if (pixelDark(x, y) != dark) {
                    return "module (" + std::to_string(r) + ", " + std::to_string(c) + ") at pixel (" +
                           std::to_string(x) + ", " + std::to_string(y) + ") should be " + (dark ? "dark" : "light");
                }
            }
        }
        return {};
    };
    for (int c = 0; c < columns; ++c) {
        for (const int r : {0, rows - 1}) {
            if (auto fault = checkModule(r, c); !fault.empty()) {
                return fault;
            }
        }
    }
    for (int r = 0; r < rows; ++r) {
        for (const int c : {0, columns - 1}) {
            if (auto fault = checkModule(r, c); !fault.empty()) {
                return fault;
            }
        }
    }
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool inQuietZone = x < quiet * s || y < quiet * s || x >= image.width() - quiet * s ||
                                     y >= image.height() - quiet * s;
            if (inQuietZone && pixelDark(x, y)) {
                return "quiet zone pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is dark";
            }
        }
    }
    return {};
}

class FormatRoundTrip : public ::testing::TestWithParam<int> {
protected:
    static std::vector<std::pair<std::string, testing::RoundTripTally>>& rows()
    {
        static std::vector<std::pair<std::string, testing::RoundTripTally>> perFormat;
        return perFormat;
    }
    static void TearDownTestSuite()
    {
        if (!rows().empty()) {
            testing::printTallies("formats, 4 variants x 4 orientations each", rows());
        }
    }
};

TEST_P(FormatRoundTrip, EveryVariantReadsBackInEveryOrientation)
{
    const SymbolFormat format = *findFormat(GetParam());
    const int s = moduleSizeFor(format);
    testing::RoundTripTally tally;
    for (std::size_t v = 0; v < variants().size(); ++v) {
        const Variant& variant = variants()[v];
        const std::string data = fillFormat(format, variant);
        DataMatrixBarcode barcode;
        ASSERT_EQ(encode(barcode, format, variant, data), ResultCode::Ok) << variant.name << ": " << data;
        ASSERT_EQ(barcode.format().id, format.id);
        const testing::CodewordWalk walk = testing::walkDataCodewords(barcode.codewords(), format.dataCodewords);
        EXPECT_GE(walk.encodedLength + 3, format.dataCodewords)
            << variant.name << ": only " << walk.encodedLength << " of " << format.dataCodewords << " codewords used";

        for (std::size_t o = 0; o < kOrientations.size(); ++o) {
            const int quiet = 1 + static_cast<int>((static_cast<std::size_t>(format.id) + v + o) % 3);
            ASSERT_EQ(barcode.setOrientation(kOrientations[o]), ResultCode::Ok);
            ASSERT_EQ(barcode.setQuietZoneSize(quiet), ResultCode::Ok);
            const testing::RoundTripOutcome outcome = testing::roundTrip(barcode, s);
            tally.add(outcome);
            EXPECT_TRUE(outcome.report.empty()) << variant.name << "\n" << outcome.report;
            const testing::RenderedSymbol symbol(barcode, s);
            ASSERT_TRUE(symbol.ok);
            EXPECT_EQ(checkSymbolEdges(*symbol.image, barcode, s, quiet), "")
                << variant.name << " orientation " << kOrientations[o] << " quiet zone " << quiet;
        }
    }
    rows().emplace_back("format " + std::to_string(format.id), tally);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, FormatRoundTrip, ::testing::Range(1, 31),
                         [](const ::testing::TestParamInfo<int>& info) { return "Format" + std::to_string(info.param); });

// Without a quiet zone the symbol fills the image to its edges; framed by a
// white margin it reads back.
TEST(FormatRoundTripWithoutQuietZone, SymbolTouchesTheImageEdgesAndReadsBackInAMargin)
{
    testing::RoundTripTally tally;
    for (const SymbolFormat& format : formatTable) {
        const int s = moduleSizeFor(format);
        // FNC1 and digit pairs fill the symbol exactly.
        std::string data = "~1";
        for (std::size_t k = 0; k < 2u * (format.dataCodewords - 1u); ++k) {
            data += static_cast<char>('0' + (k * k + 5) % 10);
        }
        for (const int orientation : kOrientations) {
            DataMatrixBarcode barcode;
            (void)barcode.suspendUpdates(true);
            (void)barcode.setData(data);
            (void)barcode.setEncodingMode(Ascii);
            (void)barcode.setPreferredFormat(format.id);
            (void)barcode.setOrientation(orientation);
            (void)barcode.setQuietZoneSize(0);
            ASSERT_EQ(barcode.suspendUpdates(false), ResultCode::Ok) << "format " << format.id;
            const testing::RenderedSymbol symbol(barcode, s);
            ASSERT_TRUE(symbol.ok);
            EXPECT_EQ(checkSymbolEdges(*symbol.image, barcode, s, 0), "")
                << "format " << format.id << " orientation " << orientation;

            const auto framed = testing::withMargin(*symbol.image, 2 * s);
            ASSERT_NE(framed, nullptr);
            const testing::ExpectedReading expected =
                testing::expectReading(testing::SymbolInput::of(barcode), barcode.codewords());
            const testing::ZxingReading z = testing::readWithZxing(*framed);
            EXPECT_TRUE(z.found && z.bytes == expected.content && z.symbologyId == expected.symbologyId)
                << "format " << format.id << " orientation " << orientation << ": \"" << testing::printable(z.bytes)
                << "\" " << z.symbologyId;
            ++tally.symbols;
            ++tally.zxingRead;
            tally.zxingMatched += z.found && z.bytes == expected.content ? 1 : 0;
        }
    }
    testing::printTallies("formats without quiet zone, read in a margin", {{"symbols", tally}});
}

}  // namespace
}  // namespace korvel
