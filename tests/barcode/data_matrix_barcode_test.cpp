#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

#include "korvel/data_matrix_barcode.hpp"

namespace korvel {
namespace {

using enum EncodingMode;


using Call = std::function<ResultCode(DataMatrixBarcode&)>;

CodewordString firstCodewords(const DataMatrixBarcode& barcode, std::size_t count)
{
    return {barcode.codewords().begin(), barcode.codewords().begin() + static_cast<std::ptrdiff_t>(count)};
}

TEST(DataMatrixBarcode, NewObjectHoldsItsDefaultsEncodedInBase256)
{
    DataMatrixBarcode barcode;
    EXPECT_TRUE(barcode.isEncoded());
    EXPECT_FALSE(barcode.updatesSuspended());
    EXPECT_EQ(barcode.data(), "1234567");
    EXPECT_EQ(barcode.encodingMode(), static_cast<std::int32_t>(Base256));
    EXPECT_EQ(barcode.preferredFormat(), 0);
    EXPECT_EQ(barcode.orientation(), 0);
    EXPECT_EQ(barcode.backgroundColor(), kWhite);
    EXPECT_EQ(barcode.foregroundColor(), kBlack);
    EXPECT_TRUE(barcode.quietZone());
    EXPECT_EQ(barcode.quietZoneSize(), 1);
    EXPECT_EQ(barcode.horizontalAlignment(), 1);
    EXPECT_EQ(barcode.verticalAlignment(), 1);
    EXPECT_FALSE(barcode.structuredAppend());
    EXPECT_EQ(barcode.structuredAppendPosition(), 1);
    EXPECT_EQ(barcode.structuredAppendTotal(), 2);
    EXPECT_EQ(barcode.structuredAppendId(), 1);

    // Latch, randomised length 7, seven randomised bytes, then the pad: 16 x 16.
    EXPECT_EQ(barcode.format().id, 4);
    EXPECT_EQ(barcode.codewords().size(), 24U);
    EXPECT_EQ(firstCodewords(barcode, 12), (CodewordString{231, 51, 242, 137, 31, 182, 77, 227, 122, 129, 251, 147}));
    EXPECT_EQ(barcode.matrix().rows(), 16);

    // Automatic selection packs the digits in pairs: 12 x 12.
    ASSERT_EQ(barcode.setEncodingMode(Automatic), ResultCode::Ok);
    EXPECT_EQ(barcode.format().id, 2);
    EXPECT_EQ(firstCodewords(barcode, 5), (CodewordString{142, 164, 186, 56, 129}));
    EXPECT_EQ(barcode.matrix().rows(), 12);
}

// Every update of an object whose preferred format does not exist fails with
// 7, so a setter's result shows whether it ran an update.
struct UpdateCase {
    const char* name;
    bool structuredAppendOn;
    Call call;
    ResultCode result;
};

void PrintTo(const UpdateCase& c, std::ostream* os) { *os << c.name; }

class SetterUpdates : public ::testing::TestWithParam<UpdateCase> {};

TEST_P(SetterUpdates, UpdatesOnlyWhenTheRulesSaySo)
{
    const UpdateCase& c = GetParam();
    DataMatrixBarcode barcode;
    ASSERT_EQ(barcode.setStructuredAppend(c.structuredAppendOn), ResultCode::Ok);
    ASSERT_EQ(barcode.setPreferredFormat(31), ResultCode::InvalidPreferredFormat);
    ASSERT_FALSE(barcode.isEncoded());
    EXPECT_EQ(c.call(barcode), c.result);
    EXPECT_FALSE(barcode.isEncoded());
}

constexpr auto kNoUpdate = ResultCode::Ok;
constexpr auto kUpdated = ResultCode::InvalidPreferredFormat;

INSTANTIATE_TEST_SUITE_P(
    SameValueAndDrawingSettings, SetterUpdates,
    ::testing::Values(
        UpdateCase{"SameData", false, [](auto& b) { return b.setData("1234567"); }, kNoUpdate},
        UpdateCase{"OtherData", false, [](auto& b) { return b.setData("1234568"); }, kUpdated},
        UpdateCase{"SameFormat", false, [](auto& b) { return b.setPreferredFormat(31); }, kNoUpdate},
        UpdateCase{"SameMode", false, [](auto& b) { return b.setEncodingMode(Base256); }, kNoUpdate},
        UpdateCase{"OtherMode", false, [](auto& b) { return b.setEncodingMode(Ascii); }, kUpdated},
        UpdateCase{"SameAppend", false, [](auto& b) { return b.setStructuredAppend(false); }, kNoUpdate},
        UpdateCase{"AppendOn", false, [](auto& b) { return b.setStructuredAppend(true); }, kUpdated},
        UpdateCase{"AppendOff", true, [](auto& b) { return b.setStructuredAppend(false); }, kUpdated},
        UpdateCase{"SamePosition", true, [](auto& b) { return b.setStructuredAppendPosition(1); }, kNoUpdate},
        UpdateCase{"PositionAppendOn", true, [](auto& b) { return b.setStructuredAppendPosition(2); }, kUpdated},
        UpdateCase{"PositionAppendOff", false, [](auto& b) { return b.setStructuredAppendPosition(16); }, kNoUpdate},
        UpdateCase{"SameTotal", true, [](auto& b) { return b.setStructuredAppendTotal(2); }, kNoUpdate},
        UpdateCase{"TotalAppendOn", true, [](auto& b) { return b.setStructuredAppendTotal(16); }, kUpdated},
        UpdateCase{"TotalAppendOff", false, [](auto& b) { return b.setStructuredAppendTotal(16); }, kNoUpdate},
        UpdateCase{"SameId", true, [](auto& b) { return b.setStructuredAppendId(1); }, kNoUpdate},
        UpdateCase{"IdAppendOn", true, [](auto& b) { return b.setStructuredAppendId(64516); }, kUpdated},
        UpdateCase{"IdAppendOff", false, [](auto& b) { return b.setStructuredAppendId(64516); }, kNoUpdate},
        UpdateCase{"Orientation", false, [](auto& b) { return b.setOrientation(90); }, kNoUpdate},
        UpdateCase{"Background", false, [](auto& b) { return b.setBackgroundColor(Color::fromRgb(0x123456)); }, kNoUpdate},
        UpdateCase{"Foreground", false, [](auto& b) { return b.setForegroundColor(Color::fromRgb(0x123456)); }, kNoUpdate},
        UpdateCase{"QuietZone", false, [](auto& b) { return b.setQuietZone(false); }, kNoUpdate},
        UpdateCase{"AlignH", false, [](auto& b) { return b.setHorizontalAlignment(2); }, kNoUpdate},
        UpdateCase{"AlignV", false, [](auto& b) { return b.setVerticalAlignment(0); }, kNoUpdate},
        UpdateCase{"QuietZoneSize", false, [](auto& b) { return b.setQuietZoneSize(3); }, kNoUpdate},
        UpdateCase{"QuietZoneSizeZero", false, [](auto& b) { return b.setQuietZoneSize(0); }, kNoUpdate}),
    [](const auto& info) { return std::string(info.param.name); });

// Values outside a setter's range are refused with 1 and change nothing,
// whether updates run or not and whether structured append is on or off.
struct RangeCase {
    const char* name;
    Call call;
    std::function<std::int32_t(const DataMatrixBarcode&)> property;
    std::int32_t before;
};

void PrintTo(const RangeCase& c, std::ostream* os) { *os << c.name; }

class RangeRefusal : public ::testing::TestWithParam<RangeCase> {};

TEST_P(RangeRefusal, ReturnsOneAndKeepsTheValue)
{
    const RangeCase& c = GetParam();
    for (const bool suspended : {false, true}) {
        for (const bool appendOn : {false, true}) {
            DataMatrixBarcode barcode;
            ASSERT_EQ(barcode.setStructuredAppend(appendOn), ResultCode::Ok);
            ASSERT_EQ(barcode.suspendUpdates(suspended), ResultCode::Ok);
            const CodewordString codewords = barcode.codewords();
            EXPECT_EQ(c.call(barcode), ResultCode::InvalidArgument) << suspended << appendOn;
            EXPECT_EQ(c.property(barcode), c.before) << suspended << appendOn;
            EXPECT_EQ(barcode.codewords(), codewords);
            EXPECT_TRUE(barcode.isEncoded());
        }
    }
}

constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Setters, RangeRefusal,
    ::testing::Values(
        RangeCase{"Position0", [](auto& b) { return b.setStructuredAppendPosition(0); },
                  [](const auto& b) { return b.structuredAppendPosition(); }, 1},
        RangeCase{"Position17", [](auto& b) { return b.setStructuredAppendPosition(17); },
                  [](const auto& b) { return b.structuredAppendPosition(); }, 1},
        RangeCase{"PositionMin", [](auto& b) { return b.setStructuredAppendPosition(kMin32); },
                  [](const auto& b) { return b.structuredAppendPosition(); }, 1},
        RangeCase{"Total1", [](auto& b) { return b.setStructuredAppendTotal(1); },
                  [](const auto& b) { return b.structuredAppendTotal(); }, 2},
        RangeCase{"Total17", [](auto& b) { return b.setStructuredAppendTotal(17); },
                  [](const auto& b) { return b.structuredAppendTotal(); }, 2},
        RangeCase{"Id0", [](auto& b) { return b.setStructuredAppendId(0); },
                  [](const auto& b) { return b.structuredAppendId(); }, 1},
        RangeCase{"Id64517", [](auto& b) { return b.setStructuredAppendId(64517); },
                  [](const auto& b) { return b.structuredAppendId(); }, 1},
        RangeCase{"IdMax", [](auto& b) { return b.setStructuredAppendId(kMax32); },
                  [](const auto& b) { return b.structuredAppendId(); }, 1},
        RangeCase{"QuietZoneSizeNegative", [](auto& b) { return b.setQuietZoneSize(-1); },
                  [](const auto& b) { return b.quietZoneSize(); }, 1},
        RangeCase{"QuietZoneSizeMin", [](auto& b) { return b.setQuietZoneSize(kMin32); },
                  [](const auto& b) { return b.quietZoneSize(); }, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DataMatrixBarcode, RangeLimitsAreAccepted)
{
    DataMatrixBarcode barcode;
    ASSERT_EQ(barcode.setStructuredAppend(true), ResultCode::Ok);
    EXPECT_EQ(barcode.setStructuredAppendTotal(16), ResultCode::Ok);
    EXPECT_EQ(barcode.setStructuredAppendPosition(16), ResultCode::Ok);
    EXPECT_EQ(barcode.setStructuredAppendId(64516), ResultCode::Ok);
    EXPECT_EQ(barcode.setQuietZoneSize(0), ResultCode::Ok);
    EXPECT_EQ(barcode.structuredAppendPosition(), 16);
    EXPECT_EQ(barcode.structuredAppendTotal(), 16);
    EXPECT_EQ(barcode.structuredAppendId(), 64516);
    EXPECT_EQ(barcode.quietZoneSize(), 0);
    EXPECT_TRUE(barcode.isEncoded());
    EXPECT_EQ(barcode.codewords()[0], 233) << "structured append header first";
}

TEST(DataMatrixBarcode, InvalidPreferredFormatWhileRunningAndSuspended)
{
    DataMatrixBarcode running;
    EXPECT_EQ(running.setPreferredFormat(31), ResultCode::InvalidPreferredFormat);
    EXPECT_EQ(running.preferredFormat(), 31) << "a failed update rolls nothing back";
    EXPECT_FALSE(running.isEncoded());
    EXPECT_EQ(running.suspendUpdates(false), ResultCode::InvalidPreferredFormat) << "every later update fails too";
    EXPECT_EQ(running.setPreferredFormat(0), ResultCode::Ok);
    EXPECT_TRUE(running.isEncoded());

    DataMatrixBarcode suspended;
    EXPECT_EQ(suspended.suspendUpdates(true), ResultCode::Ok);
    EXPECT_TRUE(suspended.updatesSuspended());
    EXPECT_EQ(suspended.setPreferredFormat(31), ResultCode::Ok);
    EXPECT_TRUE(suspended.isEncoded()) << "no update ran";
    EXPECT_EQ(suspended.suspendUpdates(false), ResultCode::InvalidPreferredFormat);
    EXPECT_FALSE(suspended.updatesSuspended());
    EXPECT_FALSE(suspended.isEncoded());
}

TEST(DataMatrixBarcode, ResumingRunsOneUpdateWithEverySetting)
{
    DataMatrixBarcode fresh;
    EXPECT_EQ(fresh.suspendUpdates(false), ResultCode::Ok) << "never suspended: still updates";
    EXPECT_TRUE(fresh.isEncoded());

    DataMatrixBarcode batch;
    ASSERT_EQ(batch.suspendUpdates(true), ResultCode::Ok);
    ASSERT_EQ(batch.setEncodingMode(X12), ResultCode::Ok);
    ASSERT_EQ(batch.setData("abc"), ResultCode::Ok) << "X12 cannot hold it, but nothing is encoded yet";
    EXPECT_EQ(batch.suspendUpdates(false), ResultCode::InvalidData);
    EXPECT_FALSE(batch.isEncoded());
    EXPECT_EQ(batch.setEncodingMode(7), ResultCode::InvalidEncodingMode);
    EXPECT_EQ(batch.setEncodingMode(-1), ResultCode::InvalidEncodingMode);

    ASSERT_EQ(batch.suspendUpdates(true), ResultCode::Ok);
    ASSERT_EQ(batch.setEncodingMode(Ascii), ResultCode::Ok);
    ASSERT_EQ(batch.setPreferredFormat(25), ResultCode::Ok);
    ASSERT_EQ(batch.setData("ABCDE"), ResultCode::Ok);
    ASSERT_EQ(batch.suspendUpdates(false), ResultCode::Ok);

    DataMatrixBarcode direct;
    ASSERT_EQ(direct.setData("ABCDE"), ResultCode::Ok);
    ASSERT_EQ(direct.setEncodingMode(Ascii), ResultCode::Ok);
    ASSERT_EQ(direct.setPreferredFormat(25), ResultCode::Ok);
    EXPECT_EQ(batch.codewords(), direct.codewords());
    EXPECT_EQ(batch.format(), direct.format());
    EXPECT_EQ(batch.matrix().modules(), direct.matrix().modules());
}

// A preferred format that is too small is kept as the format; a missing one
// or data too long for any format leaves the previous format in place.
TEST(DataMatrixBarcode, FormatAfterFailedSelection)
{
    DataMatrixBarcode barcode;
    ASSERT_EQ(barcode.setEncodingMode(Ascii), ResultCode::Ok);
    ASSERT_EQ(barcode.setData("1234567890"), ResultCode::Ok);
    ASSERT_EQ(barcode.format().id, 2);
    EXPECT_EQ(barcode.setPreferredFormat(1), ResultCode::DataDoesNotFitFormat);
    EXPECT_EQ(barcode.format().id, 1);
    EXPECT_EQ(barcode.setPreferredFormat(31), ResultCode::InvalidPreferredFormat);
    EXPECT_EQ(barcode.format().id, 1);
    EXPECT_EQ(barcode.setPreferredFormat(0), ResultCode::Ok);
    EXPECT_EQ(barcode.format().id, 2);
    EXPECT_EQ(barcode.setData(std::string(3200, '1')), ResultCode::NoMatrixFormat);
    EXPECT_EQ(barcode.format().id, 2);
}

}  // namespace
}  // namespace korvel
