// UTF-8 data text: text in several scripts read back by zxing-cpp as the same
// bytes, with the ECI designator exactly where ISO 8859-1 cannot hold the
// text.

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
    {"an ECI in the data keeps bytes that are no UTF-8", "~7000003caf~XE9", "caf\xE9", "]d4\\000003", {241, 4}},
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

}  // namespace
}  // namespace korvel
