// The rectangular extension formats: each filled to capacity with random
// bytes, read back by zxing-cpp in all four orientations (libdmtx does not
// read these sizes), and unreachable unless enabled.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/matrix_image.hpp"
#include "support/symbol_readers.hpp"

namespace korvel {
namespace {

TEST(DmreRoundTrip, EveryFormatReadsBackInEveryOrientation)
{
    std::mt19937 random(21471);
    std::uniform_int_distribution<int> byte(0, 255);
    for (const SymbolFormat& format : dmreFormatTable) {
        SCOPED_TRACE("format " + std::to_string(format.id));
        std::string bytes;
        std::string data;  // the bytes, with each tilde escaped
        for (int k = 0; k + 2 < format.dataCodewords; ++k) {
            const auto b = static_cast<char>(byte(random));
            bytes += b;
            data += b == '~' ? std::string("~~") : std::string(1, b);
        }
        EncodationSettings settings{data, Base256, format.id};
        settings.dmre = true;
        const testing::EncodedSymbol symbol = testing::encodeSymbol(settings);
        ASSERT_EQ(symbol.result, ResultCode::Ok);
        ASSERT_EQ(symbol.format, format);
        for (const int orientation : {0, 90, 180, 270}) {
            const auto image = testing::drawMatrix(symbol.matrix, orientation);
            ASSERT_NE(image, nullptr);
            const testing::ZxingReading reading = testing::readWithZxing(*image);
            EXPECT_TRUE(reading.found) << "orientation " << orientation;
            EXPECT_EQ(reading.bytes, bytes) << "orientation " << orientation;
        }
    }
}

TEST(DmreRoundTrip, FormatsAreReachableOnlyWhenEnabled)
{
    for (const bool dmre : {false, true}) {
        EncodationSettings settings{"DMRE", Automatic, 31};
        settings.dmre = dmre;
        const testing::EncodedSymbol symbol = testing::encodeSymbol(settings);
        EXPECT_EQ(symbol.result, dmre ? ResultCode::Ok : ResultCode::InvalidPreferredFormat);
    }
}

}  // namespace
}  // namespace korvel
