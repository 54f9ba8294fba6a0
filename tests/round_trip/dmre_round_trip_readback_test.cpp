// The rectangular extension formats: each filled to capacity with random
// bytes, read back by zxing-cpp in all four orientations (libdmtx does not
// read these sizes), and unreachable unless enabled.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "korvel/data_matrix_barcode.hpp"
#include "korvel/symbol.hpp"
#include "support/symbol_image.hpp"
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
        SymbolOptions options;
        options.data = data;
        options.mode = EncodingMode::Base256;
        options.preferredFormat = format.id;
        options.dmre = true;
        Symbol symbol;
        ASSERT_TRUE(encode(options, symbol).ok());
        ASSERT_EQ(symbol.format(), format);
        for (const auto orientation :
             {Orientation::Degrees0, Orientation::Degrees90, Orientation::Degrees180, Orientation::Degrees270}) {
            const auto image = testing::drawSymbol(symbol, orientation);
            ASSERT_NE(image, nullptr);
            const testing::ZxingReading reading = testing::readWithZxing(*image);
            EXPECT_TRUE(reading.found) << "orientation " << static_cast<int>(orientation);
            EXPECT_EQ(reading.bytes, bytes) << "orientation " << static_cast<int>(orientation);
        }
    }
}

TEST(DmreRoundTrip, FormatsAreReachableOnlyWhenEnabled)
{
    for (const bool dmre : {false, true}) {
        SymbolOptions options;
        options.data = "DMRE";
        options.preferredFormat = kFirstDmreFormat;
        options.dmre = dmre;
        Symbol symbol;
        EXPECT_EQ(encode(options, symbol).code, dmre ? ResultCode::Ok : ResultCode::InvalidPreferredFormat);
    }
    DataMatrixBarcode barcode;
    EXPECT_EQ(barcode.setPreferredFormat(kFirstDmreFormat), ResultCode::InvalidPreferredFormat);
}

}  // namespace
}  // namespace korvel
