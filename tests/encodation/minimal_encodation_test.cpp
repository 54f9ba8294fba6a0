// The minimal encodation against the look-ahead and every explicit mode:
// never a larger symbol, over every short string of an alphabet that calls on
// each scheme and on many random ones. What it writes is read back in
// minimal_encodation_readback_test.cpp.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "encodation/data_preparation.hpp"
#include "encodation/encodation_driver.hpp"
#include "symbol/symbol_codewords.hpp"
#include "encodation/minimal_layouts.hpp"
#include "korvel/symbol.hpp"
#include "support/mixed_text.hpp"

namespace korvel {
namespace {

using testing::forEveryString;
using testing::Layout;
using testing::kLayouts;
using testing::optionsFor;

// The capacity of the format chosen, or nothing when encoding fails. The
// encodation alone, without the module matrix, keeps the sweeps quick.
std::optional<int> chosenCapacity(const SymbolOptions& options)
{
    const EncodationInput input{prepareData(options.data), options.mode,  options.preferredFormat,
                                options.structuredAppend,  options.shape, options.dmre,
                                options.minimal};
    CodewordString codewords;
    SymbolFormat format;
    if (encodeData(input, codewords, format) != ResultCode::Ok) {
        return std::nullopt;
    }
    return format.dataCodewords;
}

// Fails the test when the minimal encodation fails or picks a larger format
// than automatic mode or any explicit mode that succeeds.
void expectNoLargerThanAnyMode(const std::string& data, const Layout& layout)
{
    const auto minimal = chosenCapacity(optionsFor(data, EncodingMode::Automatic, layout, true));
    for (std::int32_t number = 0; number <= 6; ++number) {
        const auto other = chosenCapacity(optionsFor(data, *encodingModeFromNumber(number), layout, false));
        if (other && (!minimal || *minimal > *other)) {
            ADD_FAILURE() << layout.name << ", mode " << number << ": " << ::testing::PrintToString(data)
                          << " minimal " << (minimal ? std::to_string(*minimal) : "fails") << ", mode " << *other;
        }
    }
}

// A, a, 0, *, carriage return, !, a byte above 127 and FNC1: C40, Text, ASCII
// digit pairs, X12, EDIFACT, Base 256 and ready codewords.
const std::vector<std::string> kAlphabet{"A", "a", "0", "*", "\r", "!", "\xC4", "~1"};

TEST(MinimalEncodation, NeverLargerOnEveryShortString)
{
    forEveryString(kAlphabet, 4, [](const std::string& data) {
        for (const Layout& layout : kLayouts) {
            expectNoLargerThanAnyMode(data, layout);
        }
    });
    // Longer strings where X12 and EDIFACT groups fill a symbol exactly.
    std::size_t n = 0;
    forEveryString({"A", "*", "!", "0"}, 6, [&n](const std::string& data) {
        expectNoLargerThanAnyMode(data, kLayouts[n++ % std::size(kLayouts)]);
    });
}

// One character over and over, then perhaps a digit pair: every scheme's
// groups against every capacity up to 26 x 26's.
TEST(MinimalEncodation, NeverLargerOnLongRunsOfOneCharacter)
{
    for (const char c : {'!', '*', 'A', '0', 'a', '\xC4'}) {
        for (const char* ending : {"", "12"}) {
            for (std::size_t length = 1; length <= 48; ++length) {
                for (const Layout& layout : kLayouts) {
                    expectNoLargerThanAnyMode(std::string(length, c) + ending, layout);
                }
            }
        }
    }
}

TEST(MinimalEncodation, NeverLargerOnRandomMixedText)
{
    std::mt19937 random(1500);
    std::uniform_int_distribution<std::size_t> length(6, 120);
    for (int n = 0; n < 1000; ++n) {
        expectNoLargerThanAnyMode(testing::mixedText(random, length(random)), kLayouts[n % std::size(kLayouts)]);
    }
}

// HELLO: the look-ahead takes C40 and needs 14 x 14; five ASCII codewords
// fill 12 x 12, and 8 x 18 too when it is preferred.
TEST(MinimalEncodation, TakesTheSmallerSymbolTheLookAheadMisses)
{
    const Layout& square = kLayouts[0];
    EXPECT_EQ(chosenCapacity(optionsFor("HELLO", EncodingMode::Automatic, square, false)), 8);
    SymbolOptions options = optionsFor("HELLO", EncodingMode::Automatic, square, true);
    EXPECT_EQ(chosenCapacity(options), 5);
    options.preferredFormat = 25;
    EXPECT_EQ(chosenCapacity(options), 5);
    options.preferredFormat = 1;
    Symbol symbol;
    EXPECT_EQ(encode(options, symbol).code, ResultCode::DataDoesNotFitFormat);
    options.preferredFormat = 0;
    options.mode = EncodingMode::Ascii;
    EXPECT_EQ(encode(options, symbol).code, ResultCode::InvalidArgument);  // explicit modes choose no schemes
}

}  // namespace
}  // namespace korvel
