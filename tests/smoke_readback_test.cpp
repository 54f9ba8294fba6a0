#include <gtest/gtest.h>

#include "support/symbol_readers.hpp"

namespace korvel {
namespace {

// The default symbol reads back as its data with both readers, and libdmtx
// reads exactly the codewords that were placed.
TEST(Smoke, DefaultSymbolReadsBack)
{
    DataMatrixBarcode barcode;
    ASSERT_TRUE(barcode.isEncoded());
    const testing::RenderedSymbol symbol(barcode);
    ASSERT_TRUE(symbol.ok);
    const auto zxing = testing::readWithZxing(*symbol.image);
    EXPECT_TRUE(zxing.found);
    EXPECT_EQ(zxing.bytes, "1234567");
    const auto dmtx = testing::readWithDmtx(*symbol.image);
    EXPECT_EQ(dmtx.output, "1234567");
    EXPECT_EQ(dmtx.codewords, barcode.codewords());
}

}  // namespace
}  // namespace korvel
