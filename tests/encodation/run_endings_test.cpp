// The data codewords of every way a run ends or splits (run_ending_cases.hpp),
// and a split run that no longer fits its preferred format. Both readers read
// the same symbols in run_endings_readback_test.cpp.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "encodation/run_ending_cases.hpp"
#include "korvel/data_matrix_barcode.hpp"

namespace korvel {
namespace {

using enum EncodingMode;

std::vector<int> dataCodewords(const DataMatrixBarcode& barcode)
{
    const CodewordString& all = barcode.codewords();
    return {all.begin(), all.begin() + barcode.format().dataCodewords};
}

TEST(RunEndings, DataCodewords)
{
    for (const testing::RunEndingCase& c : testing::kRunEndingCases) {
        SCOPED_TRACE(c.name);
        DataMatrixBarcode barcode;
        ASSERT_EQ(testing::configure(barcode, c.data, c.mode, c.preferredFormat), ResultCode::Ok);
        EXPECT_EQ(barcode.format().id, c.formatId);
        EXPECT_EQ(dataCodewords(barcode), c.codewords);
    }
}

// Splitting a run around a ready codeword costs codewords; a preferred format
// that no longer holds them is reported, not overfilled.
TEST(RunEndings, SplitRunThatNoLongerFitsThePreferredFormat)
{
    DataMatrixBarcode barcode;
    EXPECT_EQ(testing::configure(barcode, "AB~1CD", C40, 3), ResultCode::DataDoesNotFitFormat);
    EXPECT_EQ(testing::configure(barcode, "AB~1CD", C40, 4), ResultCode::Ok);
}

}  // namespace
}  // namespace korvel
