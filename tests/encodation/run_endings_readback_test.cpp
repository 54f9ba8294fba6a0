// The symbols of every way a run ends or splits (run_ending_cases.hpp) read
// back by zxing-cpp and, where it reads such symbols reliably, by libdmtx;
// and automatic mode over random punctuation read back exactly.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "encodation/run_ending_cases.hpp"
#include "support/symbol_readers.hpp"

namespace korvel {
namespace {

using enum EncodingMode;

TEST(RunEndings, BothReadersReadTheData)
{
    for (const testing::RunEndingCase& c : testing::kRunEndingCases) {
        SCOPED_TRACE(c.name);
        DataMatrixBarcode barcode;
        ASSERT_EQ(testing::configure(barcode, c.data, c.mode, c.preferredFormat), ResultCode::Ok);
        const testing::RenderedSymbol symbol(barcode);
        ASSERT_TRUE(symbol.ok);
        const testing::ZxingReading zxing = testing::readWithZxing(*symbol.image);
        EXPECT_TRUE(zxing.found);
        EXPECT_EQ(zxing.bytes, c.zxingText);
        if (c.dmtxText != nullptr) {
            const testing::DmtxReading dmtx = testing::readWithDmtx(*symbol.image);
            EXPECT_TRUE(dmtx.found);
            EXPECT_EQ(dmtx.output, c.dmtxText);
            EXPECT_EQ(dmtx.codewords, barcode.codewords());
        }
    }
}

// Automatic mode over random text rich in X12 and EDIFACT punctuation with a
// few small letters: every symbol is written and reads back exactly.
TEST(RunEndings, AutomaticRandomPunctuationReadsBack)
{
    const std::string alphabets[] = {"ABC*> \r0a", "!\"#$%&AB1 a", "AB*>!a0 :"};
    std::mt19937 random(31337);
    for (const std::string& alphabet : alphabets) {
        std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
        std::uniform_int_distribution<std::size_t> length(8, 30);
        for (int n = 0; n < 60; ++n) {
            std::string data;
            for (std::size_t k = length(random); k > 0; --k) {
                data += alphabet[pick(random)];
            }
            DataMatrixBarcode barcode;
            ASSERT_EQ(testing::configure(barcode, data, Automatic, 0), ResultCode::Ok) << data;
            const testing::RenderedSymbol symbol(barcode);
            ASSERT_TRUE(symbol.ok);
            EXPECT_EQ(testing::readWithZxing(*symbol.image).bytes, data);
        }
    }
}

}  // namespace
}  // namespace korvel
