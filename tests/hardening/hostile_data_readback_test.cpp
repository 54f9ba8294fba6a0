// Hostile data read back: every fourth seeded input in every mode, and the
// longest data each scheme fits into 144 x 144, drawn and read by zxing-cpp.
// Data whose escapes resolve to plain bytes must read back as those bytes.

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>

#include "hardening/hostile_inputs.hpp"
#include "support/expected_reading.hpp"
#include "support/symbol_readers.hpp"

namespace korvel {
namespace {

// The bytes the data text stands for, or nothing when it holds an FNC1, ECI,
// macro or reader programming escape.
std::optional<std::string> plainBytes(const std::string& data)
{
    std::string bytes;
    for (const testing::DataElement& element : testing::resolveEscapes(data)) {
        if (element.kind != testing::DataElement::Kind::Byte) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(element.value));
    }
    return bytes;
}

void expectReadBack(DataMatrixBarcode& barcode, const std::string& data, int moduleSize)
{
    const testing::RenderedSymbol symbol(barcode, moduleSize);
    ASSERT_TRUE(symbol.ok);
    const testing::ZxingReading reading = testing::readWithZxing(*symbol.image);
    EXPECT_TRUE(reading.found);
    if (const auto bytes = plainBytes(data)) {
        EXPECT_EQ(reading.bytes, *bytes);
    }
}

TEST(HostileDataReadBack, EveryFourthSeededInputInEveryMode)
{
    std::mt19937 rng(testing::kHostileSeed);
    for (int i = 0; i < testing::kHostileInputs; ++i) {
        const std::string data = testing::randomData(rng);
        if (i % 4 != 0) {
            continue;
        }
        for (const EncodingMode mode : testing::kAllModes) {
            SCOPED_TRACE("input " + std::to_string(i) + ", mode " + std::to_string(static_cast<int>(mode)));
            DataMatrixBarcode barcode;
            ASSERT_EQ(barcode.suspendUpdates(true), ResultCode::Ok);
            ASSERT_EQ(barcode.setData(data), ResultCode::Ok);
            ASSERT_EQ(barcode.setEncodingMode(mode), ResultCode::Ok);
            if (barcode.suspendUpdates(false) == ResultCode::Ok) {
                // zxing-cpp misses some small symbols at 2 pixels a module.
                expectReadBack(barcode, data, 4);
            }
        }
    }
}

TEST(HostileDataReadBack, LongestDataOfTheLargestSymbol)
{
    for (const testing::CapacityCase& c : testing::kCapacityCases) {
        SCOPED_TRACE(c.name);
        const std::string data(c.longest, c.fill);
        DataMatrixBarcode barcode;
        ASSERT_EQ(barcode.setEncodingMode(c.mode), ResultCode::Ok);
        ASSERT_EQ(barcode.setData(data), ResultCode::Ok);
        expectReadBack(barcode, data, 2);
    }
}

}  // namespace
}  // namespace korvel
