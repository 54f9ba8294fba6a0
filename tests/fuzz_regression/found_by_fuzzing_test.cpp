// Inputs on which fuzzing found a fault, each reduced to the settings that
// matter. Their raw fuzz inputs are also kept in fuzz/corpus/.

#include <gtest/gtest.h>

#include <string>

#include "korvel/data_matrix_barcode.hpp"

namespace korvel {
namespace {

// An invalid encodation mode is reported as such (6) whatever the data; the
// refusal of reader programming behind a structured append header (5) must
// not come first. Raw input: fuzz/corpus/barcode/95095458b9e42046a7004959610ae3eb9557df4d.
TEST(FoundByFuzzing, InvalidModeWinsOverReaderProgrammingWithStructuredAppend)
{
    for (const std::int32_t mode : {-1, 7}) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        DataMatrixBarcode barcode;
        ASSERT_EQ(barcode.suspendUpdates(true), ResultCode::Ok);
        ASSERT_EQ(barcode.setData("~3@C*>\r 123X%%"), ResultCode::Ok);
        ASSERT_EQ(barcode.setEncodingMode(mode), ResultCode::Ok);
        ASSERT_EQ(barcode.setStructuredAppend(true), ResultCode::Ok);
        EXPECT_EQ(barcode.suspendUpdates(false), ResultCode::InvalidEncodingMode);
    }
}

}  // namespace
}  // namespace korvel
