// What the minimal encodation writes, read back by zxing-cpp and libdmtx.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "encodation/minimal_layouts.hpp"
#include "korvel/symbol.hpp"
#include "support/mixed_text.hpp"
#include "support/symbol_image.hpp"
#include "support/symbol_readers.hpp"

namespace korvel {
namespace {

using testing::kLayouts;
using testing::Layout;
using testing::optionsFor;

// What the minimal encodation writes, read back: zxing-cpp always, libdmtx
// for the formats it knows without a structured append header (which it
// prints as data); FNC1 inside the data reads as GS.
TEST(MinimalEncodation, ReadsBack)
{
    std::mt19937 random(16022);
    std::uniform_int_distribution<std::size_t> length(1, 90);
    for (int n = 0; n < 400; ++n) {
        const Layout& layout = kLayouts[static_cast<std::size_t>(n) % std::size(kLayouts)];
        std::string text = testing::mixedText(random, length(random));
        std::string data = text;
        if (n % 4 == 3) {
            data.insert(data.size() / 2, "~1");
            text.insert(text.size() / 2, "\x1D");
        }
        Symbol symbol;
        ASSERT_TRUE(encode(optionsFor(data, EncodingMode::Automatic, layout, true), symbol).ok())
            << ::testing::PrintToString(data);
        const SymbolFormat& format = symbol.format();
        const auto image = testing::drawSymbol(symbol);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(testing::readWithZxing(*image).bytes, text) << layout.name << ", format " << format.id;
        if (format.id < kFirstDmreFormat && !layout.structuredAppend) {
            // libdmtx now and then fails to find a symbol at one module size.
            testing::DmtxReading dmtx = testing::readWithDmtx(*image, format.id - 1);
            if (!dmtx.found) {
                dmtx = testing::readWithDmtx(*testing::drawSymbol(symbol, Orientation::Degrees0, 5), format.id - 1);
            }
            EXPECT_EQ(dmtx.output, text) << layout.name << ", format " << format.id;
        }
    }
}

// Data that reaches the end of the symbol, where a run may leave out its
// unlatch or give its length as "to the end": the symbol is the smaller one
// that this allows, and both readers read it.
TEST(MinimalEncodation, EndsRunsWhereTheSymbolEnds)
{
    struct Case {
        std::string data;
        std::int32_t formatId;
        std::size_t dataCodewordsUsed;
    };
    const Case cases[] = {
        // Text to the last data codeword, the g in ASCII without an unlatch.
        {"the quick brown fox jumps over the lazy dog", 7, 30},
        // Base 256, 278 bytes: with its length 0 the run fills 64 x 64 exactly.
        {std::string(278, '\xD7'), 16, 280},
    };
    for (const Case& c : cases) {
        SymbolOptions options;
        options.data = c.data;
        options.minimal = true;
        Symbol symbol;
        ASSERT_TRUE(encode(options, symbol).ok());
        EXPECT_EQ(symbol.format().id, c.formatId) << c.data;
        EXPECT_EQ(symbol.dataCodewordsUsed(), c.dataCodewordsUsed) << c.data;
        const auto image = testing::drawSymbol(symbol);
        EXPECT_EQ(testing::readWithZxing(*image).bytes, c.data);
        EXPECT_EQ(testing::readWithDmtx(*image, c.formatId - 1).output, c.data);
    }
}

}  // namespace
}  // namespace korvel
