// UTF-8 data text: text in several scripts read back by zxing-cpp as the same
// bytes, with the ECI designator exactly where ISO 8859-1 cannot hold the
// text; and ill-formed UTF-8 refused with the place it goes wrong.

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "encodation/data_preparation.hpp"
#include "encodation/utf8_text.hpp"
#include "korvel/symbol.hpp"
#include "support/symbol_image.hpp"
#include "support/symbol_readers.hpp"

namespace korvel {
namespace {

struct ScriptCase {
    const char* name;
    std::string data;          // as given, UTF-8
    std::string bytes;         // what the reader must return
    std::string eciReading;    // how zxing-cpp marks the symbol and its ECI ahead of the bytes
    std::vector<int> leading;  // the first codewords
};

const std::string kEci26 = "\\000026";

const ScriptCase kScripts[] = {
    {"German in ISO 8859-1", "Grüße aus Köln", "Gr\xFC\xDF" "e aus K\xF6ln", "]d4", {}},
    {"French with the euro sign", "Ça coûte 5 €", "Ça coûte 5 €", "]d4" + kEci26, {241, 27}},
    {"Cyrillic", "Привет, мир", "Привет, мир", "]d4" + kEci26, {241, 27}},
    {"Greek", "Καλημέρα κόσμε", "Καλημέρα κόσμε", "]d4" + kEci26, {241, 27}},
    {"Chinese", "数据矩阵条码", "数据矩阵条码", "]d4" + kEci26, {241, 27}},
    {"outside the basic plane", "ok 😀", "ok 😀", "]d4" + kEci26, {241, 27}},
    {"FNC1 first, then the designator", "~1Ελλάδα", "Ελλάδα", "]d5" + kEci26, {232, 241, 27}},
    {"structured append header first", "Ελλάδα", "Ελλάδα", "]d4" + kEci26, {233, 15, 0, 1, 241, 27}},
    {"an ECI in the data keeps the bytes", "~7000026é", "é", "]d4" + kEci26, {241, 27, 231}},
};

TEST(Utf8Text, ScriptsReadBackWithTheirEci)
{
    int n = 0;
    for (const ScriptCase& c : kScripts) {
        SCOPED_TRACE(c.name);
        SymbolOptions options;
        options.data = c.data;
        options.utf8 = true;
        options.minimal = n++ % 2 == 1;
        options.structuredAppend.enabled = !c.leading.empty() && c.leading.front() == 233;
        Symbol symbol;
        ASSERT_TRUE(encode(options, symbol).ok());
        EXPECT_EQ(std::vector<int>(symbol.codewords().begin(),
                                   symbol.codewords().begin() + static_cast<std::ptrdiff_t>(c.leading.size())),
                  c.leading);
        const testing::ZxingReading reading = testing::readWithZxing(*testing::drawSymbol(symbol));
        EXPECT_EQ(reading.bytes, c.bytes);
        EXPECT_EQ(reading.bytesEci, c.eciReading + c.bytes);
    }
}

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
