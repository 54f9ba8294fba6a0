#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "encodation/data_preparation.hpp"
#include "encodation/encodation_driver.hpp"
#include "symbol/symbol_codewords.hpp"
#include "korvel/encoding_mode.hpp"
#include "korvel/symbol_options.hpp"

namespace korvel {
namespace {

struct Encoded {
    ResultCode result = ResultCode::Ok;
    std::int32_t formatId = 0;
    std::vector<int> data;  // the data codewords (on success)
};

Encoded encode(const SymbolOptions& settings)
{
    CodewordString codewords;
    SymbolFormat format = formatTable[16];  // a row the driver must overwrite or keep
    Encoded encoded;
    encoded.result = encodeData(
        {prepareData(settings.data), settings.mode, settings.preferredFormat, settings.structuredAppend}, codewords,
        format);
    encoded.formatId = format.id;
    if (encoded.result == ResultCode::Ok) {
        EXPECT_EQ(codewords.size(), std::size_t{format.dataCodewords} + format.errorCodewords);
        encoded.data.assign(codewords.begin(), codewords.begin() + format.dataCodewords);
    }
    return encoded;
}

SymbolOptions settingsFor(std::string_view data, EncodingMode mode, std::int32_t preferred = 0)
{
    SymbolOptions settings;
    settings.data = data;
    settings.mode = mode;
    settings.preferredFormat = preferred;
    return settings;
}

SymbolOptions withHeader(SymbolOptions settings, std::int32_t position, std::int32_t total, std::int32_t id)
{
    settings.structuredAppend = {true, position, total, id};
    return settings;
}

struct DriverCase {
    const char* name;
    SymbolOptions settings;
    std::int32_t formatId;
    std::vector<int> data;
};

// Whole encodations: header, leading ready codewords, the scheme's run and
// the pad codewords, as data codewords of the chosen format.
const DriverCase kDriverCases[] = {
    {"empty data: three pads", settingsFor("", Ascii), 1, {129, 175, 70}},
    {"single pad is not randomised", settingsFor("ABCD", Ascii), 2, {66, 67, 68, 69, 129}},
    {"pads at positions 4 and 5", settingsFor("ABC", Ascii, 2), 2, {66, 67, 68, 129, 115}},
    {"exact capacity: no pad", settingsFor("ABC", Ascii), 1, {66, 67, 68}},
    {"exact capacity of a preferred format", settingsFor("ABC", Ascii, 1), 1, {66, 67, 68}},
    {"reader programming only at the start", settingsFor("A~3", Ascii), 1, {66, 127, 52}},
    {"eci 3 at the start", settingsFor("~7000003A", Ascii), 1, {241, 4, 66}},

    // Leading ready codewords stand ahead of the latch in every mode.
    {"fnc1 first, automatic", settingsFor("~1AB", Automatic), 1, {232, 66, 67}},
    {"fnc1 first, ascii", settingsFor("~1AB", Ascii), 1, {232, 66, 67}},
    {"fnc1 first, c40", settingsFor("~1AB", C40), 2, {232, 230, 89, 217, 254}},
    {"fnc1 first, text", settingsFor("~1AB", Text), 3, {232, 239, 12, 171, 254, 67, 129, 56}},
    {"fnc1 first, base 256", settingsFor("~1AB", Base256), 2, {232, 231, 195, 152, 46}},
    {"fnc1 first, edifact", settingsFor("~1AB", Edifact), 2, {232, 240, 4, 39, 192}},
    {"fnc1 first, x12", settingsFor("~1AB", X12), 2, {232, 238, 254, 66, 67}},
    {"fnc1 and eci first, c40", settingsFor("~1~7000003AB", C40), 3, {232, 241, 4, 230, 89, 217, 254, 129}},
    {"macro 05 first, text", settingsFor("~5ab", Text), 2, {236, 239, 89, 217, 254}},

    // Structured append header.
    {"header, position 2 of 5, id 300", withHeader(settingsFor("A", Ascii), 2, 5, 300), 2, {233, 28, 1, 45, 66}},
    {"header then fnc1", withHeader(settingsFor("~1A", Ascii), 2, 5, 300), 3, {233, 28, 1, 45, 232, 66, 129, 56}},
    {"header then base 256: length at position 6", withHeader(settingsFor("A", Base256), 2, 5, 300), 3,
     {233, 28, 1, 45, 231, 131, 89, 129}},
    {"header then fnc1 ahead of the c40 latch", withHeader(settingsFor("~1AB", C40), 1, 2, 1), 4,
     {233, 15, 0, 1, 232, 230, 89, 217, 254, 129, 251, 147}},
};

TEST(EncodeData, DataCodewords)
{
    for (const DriverCase& c : kDriverCases) {
        const Encoded encoded = encode(c.settings);
        ASSERT_EQ(encoded.result, ResultCode::Ok) << c.name;
        EXPECT_EQ(encoded.formatId, c.formatId) << c.name;
        EXPECT_EQ(encoded.data, c.data) << c.name;
    }
}

// Each encodation starts from an empty codeword string, whatever it held.
TEST(EncodeData, StartsFromEmpty)
{
    CodewordString codewords(40, 7);
    SymbolFormat format;
    ASSERT_EQ(encodeData({prepareData(""), Ascii, 0, {}}, codewords, format), ResultCode::Ok);
    ASSERT_EQ(codewords.size(), 8U);
    EXPECT_EQ(CodewordString(codewords.begin(), codewords.begin() + 3), (CodewordString{129, 175, 70}));
}

struct HeaderCase {
    std::int32_t position;
    std::int32_t total;
    std::int32_t id;
    std::vector<int> codewords;
};

// The file identification is written as id / 255 and id mod 255, also where
// that gives the codeword 0.
const HeaderCase kHeaderCases[] = {
    {2, 5, 300, {233, 28, 1, 45}},
    {1, 2, 1, {233, 15, 0, 1}},
    {16, 16, 64516, {233, 241, 253, 1}},
    {1, 16, 254, {233, 1, 0, 254}},
    {1, 2, 255, {233, 15, 1, 0}},
    {3, 4, 510, {233, 45, 2, 0}},
    {1, 2, 64515, {233, 15, 253, 0}},
};

TEST(StructuredAppendHeader, FourCodewords)
{
    for (const HeaderCase& c : kHeaderCases) {
        CodewordString out;
        appendStructuredAppendHeader(c.position, c.total, c.id, out);
        EXPECT_EQ(std::vector<int>(out.begin(), out.end()), c.codewords)
            << c.position << " of " << c.total << ", id " << c.id;

        // The driver writes the same header in front of the data.
        const Encoded encoded = encode(withHeader(settingsFor("", Ascii), c.position, c.total, c.id));
        ASSERT_EQ(encoded.result, ResultCode::Ok);
        EXPECT_EQ(std::vector<int>(encoded.data.begin(), encoded.data.begin() + 4), c.codewords);
    }
}

TEST(TakeLeadingCodewords, StopsAtTheFirstDataCharacter)
{
    const DataItemList items{{232, true}, {241, true}, {4, true}, {'A', false}, {232, true}};
    CodewordString out{9};
    EXPECT_EQ(takeLeadingCodewords(items, out), 3U);
    EXPECT_EQ(out, (CodewordString{9, 232, 241, 4}));

    CodewordString none;
    EXPECT_EQ(takeLeadingCodewords({{'A', false}, {232, true}}, none), 0U);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(takeLeadingCodewords({}, none), 0U);
}

TEST(PadCodewords, FirstPlainThenRandomisedByPosition)
{
    CodewordString out{1, 2, 3};
    padCodewords(0, out);
    EXPECT_EQ(out.size(), 3U);
    padCodewords(2, out);
    EXPECT_EQ(out, (CodewordString{1, 2, 3, 129, 115}));
    CodewordString fresh;
    padCodewords(3, fresh);
    EXPECT_EQ(fresh, (CodewordString{129, 175, 70}));
}

std::string digits(std::size_t count) { return std::string(count, '5'); }

struct FormatChoiceCase {
    std::size_t codewords;  // encoded length: one ASCII codeword per digit pair
    std::int32_t preferred;
    ResultCode result;
    std::int32_t formatId;  // 17: the row the caller had, left unchanged
};

// The chosen format for an encoded length, automatic and preferred.
const FormatChoiceCase kFormatChoiceCases[] = {
    {0, 0, ResultCode::Ok, 1},
    {3, 0, ResultCode::Ok, 1},
    {4, 0, ResultCode::Ok, 2},
    {5, 0, ResultCode::Ok, 2},     // never the equally large 8 x 18
    {10, 0, ResultCode::Ok, 4},    // not the exactly fitting 8 x 32
    {44, 0, ResultCode::Ok, 9},
    {45, 0, ResultCode::Ok, 10},
    {1558, 0, ResultCode::Ok, 24},
    {1559, 0, ResultCode::NoMatrixFormat, 17},
    {5, 25, ResultCode::Ok, 25},
    {6, 25, ResultCode::DataDoesNotFitFormat, 25},
    {49, 30, ResultCode::Ok, 30},
    {50, 30, ResultCode::DataDoesNotFitFormat, 30},
    {1559, 24, ResultCode::DataDoesNotFitFormat, 24},
    {1, 31, ResultCode::InvalidPreferredFormat, 17},
    {1, -1, ResultCode::InvalidPreferredFormat, 17},
    {1, 1000, ResultCode::InvalidPreferredFormat, 17},
};

TEST(EncodeData, FormatChoice)
{
    for (const FormatChoiceCase& c : kFormatChoiceCases) {
        const std::string data = digits(2 * c.codewords);
        const Encoded encoded = encode(settingsFor(data, Ascii, c.preferred));
        EXPECT_EQ(encoded.result, c.result) << c.codewords << " codewords, preferred " << c.preferred;
        EXPECT_EQ(encoded.formatId, c.formatId) << c.codewords << " codewords, preferred " << c.preferred;
        if (c.result == ResultCode::Ok) {
            // The digit pairs, then the first pad unrandomised.
            ASSERT_GE(encoded.data.size(), c.codewords);
            EXPECT_EQ(std::count(encoded.data.begin(), encoded.data.begin() + static_cast<std::ptrdiff_t>(c.codewords), 185),
                      static_cast<std::ptrdiff_t>(c.codewords));
            if (encoded.data.size() > c.codewords) {
                EXPECT_EQ(encoded.data[c.codewords], 129);
            }
        }
    }
}

struct FailureCase {
    const char* name;
    SymbolOptions settings;
    ResultCode result;
    std::int32_t formatId;  // 17: unchanged
};

std::string bytes(std::size_t count) { return std::string(count, 'a'); }
const std::string kLongBytes = bytes(1556);
const std::string kTooManyItems = bytes(3117);
const std::string kMostItems = digits(3116);

const FailureCase kFailureCases[] = {
    {"mode 7", settingsFor("A", static_cast<EncodingMode>(7)), ResultCode::InvalidEncodingMode, 17},
    {"mode -1", settingsFor("A", static_cast<EncodingMode>(-1)), ResultCode::InvalidEncodingMode, 17},
    {"mode INT_MIN", settingsFor("A", static_cast<EncodingMode>(INT_MIN)), ResultCode::InvalidEncodingMode, 17},
    {"mode INT_MAX", settingsFor("A", static_cast<EncodingMode>(INT_MAX)), ResultCode::InvalidEncodingMode, 17},
    {"mode 7 with a preferred format that does not exist", settingsFor("A", static_cast<EncodingMode>(7), 31), ResultCode::InvalidEncodingMode,
     17},
    {"x12 with a small letter", settingsFor("ABa", X12), ResultCode::InvalidData, 17},
    {"edifact with a small letter", settingsFor("ABa", Edifact), ResultCode::InvalidData, 17},
    {"edifact with a byte above 94", settingsFor("AB~X5F", Edifact), ResultCode::InvalidData, 17},
    {"base 256 with 1556 bytes", settingsFor(kLongBytes, Base256), ResultCode::InvalidData, 17},
    {"too long for the preferred format", settingsFor("ABCD", Ascii, 1), ResultCode::DataDoesNotFitFormat, 1},
    {"automatic beyond any symbol", settingsFor(kTooManyItems, Automatic), ResultCode::NoMatrixFormat, 17},
    {"automatic beyond any symbol, preferred 24", settingsFor(kTooManyItems, Automatic, 24),
     ResultCode::DataDoesNotFitFormat, 24},
    {"automatic at the largest symbol", settingsFor(kMostItems, Automatic), ResultCode::Ok, 24},
    // Reader programming must be a symbol's first codeword, which a structured
    // append header would push aside: readers reject such a symbol.
    {"reader programming with structured append", withHeader(settingsFor("~3AB", Ascii), 1, 2, 5),
     ResultCode::InvalidData, 17},
    {"macro 05 with structured append", withHeader(settingsFor("~5AB", Ascii), 1, 2, 5), ResultCode::Ok, 3},
};

TEST(EncodeData, ResultCodes)
{
    for (const FailureCase& c : kFailureCases) {
        const Encoded encoded = encode(c.settings);
        EXPECT_EQ(encoded.result, c.result) << c.name;
        EXPECT_EQ(encoded.formatId, c.formatId) << c.name;
    }
}

}  // namespace
}  // namespace korvel
