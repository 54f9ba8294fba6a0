// Any byte string as data, in every mode and with several preferred formats,
// gives a symbol that can be drawn, or result 5, 8 or 10: never a crash, a
// hang or any other result. Inputs come from a fixed seed, plus fixed ones
// at and beyond the capacity of the largest symbol. Some of them are read
// back in hostile_data_readback_test.cpp, and given to the program in
// hostile_data_process_test.cpp.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "encodation/data_preparation.hpp"
#include "hardening/hostile_inputs.hpp"
#include "korvel/data_matrix_barcode.hpp"

namespace korvel {
namespace {

using enum EncodingMode;

// 0 first; the largest format (24) is left to the long data, its error
// correction being the slowest step under the sanitizers.
const std::vector<std::int32_t> kFormats{0, 1, 12, 25, 30};
constexpr std::size_t kBase256Limit = 1555;  // data items a Base 256 run can count

// Data items after the leading ready codewords.
std::size_t dataItems(const std::string& data)
{
    const DataItemList items = prepareData(data);
    std::size_t leading = 0;
    while (leading < items.size() && items[leading].isCodeword) {
        ++leading;
    }
    return items.size() - leading;
}

// Encodes `data` in every mode and format and checks each answer; the symbol
// of the first format is drawn.
void checkAllModes(const std::string& data, const std::vector<std::int32_t>& formats)
{
    DataMatrixBarcode barcode;
    ASSERT_EQ(barcode.suspendUpdates(true), ResultCode::Ok);
    ASSERT_EQ(barcode.setData(data), ResultCode::Ok);
    for (const EncodingMode mode : testing::kAllModes) {
        for (const std::int32_t format : formats) {
            SCOPED_TRACE("mode " + std::to_string(static_cast<int>(mode)) + ", format " + std::to_string(format));
            ASSERT_EQ(barcode.suspendUpdates(true), ResultCode::Ok);
            ASSERT_EQ(barcode.setEncodingMode(mode), ResultCode::Ok);
            ASSERT_EQ(barcode.setPreferredFormat(format), ResultCode::Ok);
            const ResultCode result = barcode.suspendUpdates(false);
            ASSERT_TRUE(result == ResultCode::Ok || result == ResultCode::InvalidData ||
                        result == ResultCode::NoMatrixFormat || result == ResultCode::DataDoesNotFitFormat)
                << "result " << static_cast<unsigned>(result);
            EXPECT_EQ(barcode.isEncoded(), result == ResultCode::Ok);
            if (result == ResultCode::InvalidData) {
                // ASCII, C40 and Text encode every byte; Base 256 and the
                // automatic choice refuse only what no length field can count.
                EXPECT_NE(mode, Ascii);
                EXPECT_NE(mode, C40);
                EXPECT_NE(mode, Text);
                if (mode == Base256 || mode == Automatic) {
                    EXPECT_GT(dataItems(data), kBase256Limit);
                }
            }
            if (result == ResultCode::Ok && format == formats.front()) {
                ImageSize size;
                ASSERT_EQ(barcode.getImageSize(2.0, size), ResultCode::Ok);
                RasterImage image(size.width, size.height, kWhite);
                ASSERT_TRUE(image.allocate());
                EXPECT_EQ(barcode.draw(image, {0, size.width, 0, size.height}), ResultCode::Ok);
            }
        }
    }
}

TEST(HostileData, SeededInputsInEveryModeAndFormat)
{
    std::mt19937 rng(testing::kHostileSeed);
    for (int i = 0; i < testing::kHostileInputs; ++i) {
        const std::string data = testing::randomData(rng);
        SCOPED_TRACE("input " + std::to_string(i) + " of " + std::to_string(data.size()) + " bytes");
        checkAllModes(data, kFormats);
        if (::testing::Test::HasFatalFailure()) {
            return;
        }
    }
}

TEST(HostileData, DataAtAndBeyondTheLargestSymbol)
{
    for (const std::string& data : testing::longData()) {
        SCOPED_TRACE(std::to_string(data.size()) + " bytes starting with " +
                     std::to_string(static_cast<std::uint8_t>(data[0])));
        checkAllModes(data, {0, 24});
        if (::testing::Test::HasFatalFailure()) {
            return;
        }
    }
}

// Each length around the capacity of the largest symbol fits exactly up to
// the longest one that fits, in 144 x 144; a longer one is refused with 8
// (5 for Base 256, whose length field counts at most 1555 bytes).
TEST(HostileData, CapacityEdgeOfTheLargestSymbol)
{
    for (const testing::CapacityCase& c : testing::kCapacityCases) {
        SCOPED_TRACE(c.name);
        DataMatrixBarcode barcode;
        ASSERT_EQ(barcode.setEncodingMode(c.mode), ResultCode::Ok);
        for (std::size_t n = c.first; n < c.first + 10; ++n) {
            SCOPED_TRACE(std::to_string(n) + " characters");
            const ResultCode result = barcode.setData(std::string(n, c.fill));
            if (n <= c.longest) {
                EXPECT_EQ(result, ResultCode::Ok);
                EXPECT_EQ(barcode.format().id, 24);
            } else {
                EXPECT_EQ(result, c.mode == Base256 ? ResultCode::InvalidData : ResultCode::NoMatrixFormat)
                    << static_cast<unsigned>(result);
            }
        }
    }
}

}  // namespace
}  // namespace korvel
