// UTF-8 data text: ill-formed UTF-8 refused with the place it goes wrong.
// Text in several scripts is read back in utf8_text_readback_test.cpp.

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "encodation/data_preparation.hpp"
#include "encodation/utf8_text.hpp"
#include "korvel/symbol.hpp"

namespace korvel {
namespace {

TEST(Utf8Text, IllFormedTextIsRefusedWhereItGoesWrong)
{
    const std::pair<std::string, std::size_t> kCases[] = {
        {"\xC3", 1},              // cut short
        {"ab\xC3(", 3},           // no continuation byte
        {"\x80", 1},              // continuation byte first
        {"\xC0\xAF", 1},          // overlong
        {"\xE0\x80\xAF", 1},      // overlong
        {"\xED\xA0\x80", 1},      // surrogate
        {"\xF4\x90\x80\x80", 1},  // above U+10FFFF
        {"é\xFF", 3},             // never in UTF-8
        {"\xC3~1\xA9", 1},        // split by FNC1
    };
    for (const auto& [data, position] : kCases) {
        const auto result = utf8DataItems(prepareData(data));
        ASSERT_TRUE(std::holds_alternative<InvalidUtf8>(result)) << ::testing::PrintToString(data);
        EXPECT_EQ(std::get<InvalidUtf8>(result).byte, position) << ::testing::PrintToString(data);
        SymbolOptions options;
        options.data = data;
        options.utf8 = true;
        Symbol symbol;
        const Outcome outcome = encode(options, symbol);
        EXPECT_EQ(outcome.code, ResultCode::InvalidData);
        EXPECT_EQ(outcome.detail, "ill-formed UTF-8 at byte " + std::to_string(position) + " of the data");
    }
}

}  // namespace
}  // namespace korvel
