#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "gs1/gs1_data_items.hpp"
#include "gs1/label_cases.hpp"
#include "korvel/gs1.hpp"
#include "korvel/symbol.hpp"

namespace korvel {
namespace {

using testing::kReferenceTime;

Outcome parse(const std::string& text, bool contentChecks = true, std::time_t reference = kReferenceTime)
{
    Gs1Data data;
    return parseGs1(text, {contentChecks, reference}, data);
}

// The encoder input as a reader shows it: GS for an FNC1 separator.
std::string asRead(const DataItemList& items)
{
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const bool leadingFnc1 = i == 0 && items[i].isCodeword;
        text += leadingFnc1 ? "" : items[i].isCodeword ? "\x1d" : std::string(1, static_cast<char>(items[i].value));
    }
    return text;
}

TEST(Gs1Parsing, RealLabelsParseToTheirElementsAndEncoderInput)
{
    for (const auto& label : testing::kValidLabels) {
        SCOPED_TRACE(label.name);
        Gs1Data data;
        const Outcome outcome = parseGs1(label.text, {true, kReferenceTime}, data);
        ASSERT_TRUE(outcome.ok()) << outcome.detail;
        EXPECT_EQ(gs1HumanReadable(data), label.humanReadable);
        const DataItemList fnc1 = gs1DataItems(data, Gs1Separator::Fnc1);
        EXPECT_EQ(asRead(fnc1), label.readBack);
        EXPECT_EQ(fnc1.front() == (DataItem{232, true}), !data.digitalLink);
        // With GS separators the same bytes, and no codeword after the first.
        const DataItemList gs = gs1DataItems(data, Gs1Separator::GroupSeparator);
        EXPECT_EQ(asRead(gs), label.readBack);
        EXPECT_EQ(std::count_if(gs.begin(), gs.end(), [](const DataItem& d) { return d.isCodeword; }),
                  data.digitalLink ? 0 : 1);
    }
}

struct InvalidCase {
    const char* text;
    const char* detail;
    std::size_t length;  // of the faulty part in the text; the AI and position are those of the detail
};

// Each fault with the exact detail line the user sees.
const InvalidCase kInvalidCases[] = {
    {"[01]09501101530000", "AI (01) at character 5: check digit 0, expected 3", 14},
    {"(01)0950110153000(17)261231", "AI (01) at character 5: value too short: 13 characters, expected 14", 13},
    {"[01]1", "AI (01) at character 5: value too short: 1 character, expected 14", 1},
    {"[01]09501101530003[17]261331", "AI (17) at character 23: invalid date 261331: month 13", 6},
    {"[01]09501101530003[17]270229", "AI (17) at character 23: invalid date 270229: day 29", 6},
    {"[01]09501101530003[17]270132", "AI (17) at character 23: invalid date 270132: day 32", 6},
    {"[01]09501101530003[89]1", "AI (89) at character 20: unknown AI", 2},
    {"[01]09501101530003[1X]1", "character 20: an AI is 2 to 4 digits", 2},
    {"[01]09501101530003[10]AB~C", "AI (10) at character 25: invalid character '~'", 1},
    {"[01]0950110153000A", "AI (01) at character 18: invalid character 'A' (digits only)", 1},
    {"[01]09501101530003[10]ABCDEFGHIJKLMNOPQRSTU", "AI (10) at character 23: value too long: 21 characters, at most 20", 21},
    {"[01]09501101530003[10][21]X", "AI (10) at character 23: empty value", 0},
    {"[01]09501101530003[10", "character 19: no ']' after the AI", 3},
    {"01]09501101530003", "character 1: expected '[', '(' or a Digital Link URI", 1},
    {"(01)09501101530003(10)A)B", "character 24: unescaped ')' in a value (write \\))", 1},
    {"(01)09501101530003(10)A(B", "character 24: no ')' after the AI (a '(' in a value is written \\()", 2},
    {"(01)09501101530003(10)A(B)C", "character 25: an AI is 2 to 4 digits (a '(' in a value is written \\()", 1},
    {"[01]09501101530003[01]09501101530010", "AI (01) at character 20: repeated with a different value than at character 2", 17},
    {"[10]ABC", "AI (10) at character 2: requires (01), (02), (03), (8006) or (8026)", 0},
    {"[01]09501101530003[250]X", "AI (250) at character 20: requires (01) with (21), (03) with (21) or (8006) with (21)", 0},
    {"[01]09501101530003[255]5400012345673", "AI (01) at character 2: not allowed with (255)", 17},
    {"[01]09501101530003[3103]001250[3102]012500", "AI (3103) at character 20: not allowed with (3102)", 11},
    {"[8006]095011015300030302", "AI (8006) at character 21: invalid piece of total 0302", 4},
    {"[01]09501101530003[714]", "AI (714) at character 24: empty value", 0},
    {"[01]09501101530003[422]999", "AI (422) at character 24: unknown country code 999", 3},
    {"[01]09501101530003[3912]000100", "AI (3912) at character 25: unknown currency code 000", 3},
    {"[415]5400012345673[8020]X[8007]GB00WEST12345698765432",
     "AI (8007) at character 32: invalid IBAN 'GB00WEST12345698765432'", 22},
    {"[415]1234567890128[8020]ABC123[8007]XX361234567890",
     "AI (8007) at character 37: invalid IBAN 'XX361234567890': unknown country code 'XX'", 14},
    {"[8013]1987654Ad4X4bL5ttr2310c2L", "AI (8013) at character 7: check characters '2L', expected 2K", 25},
    {"[00]106141412345678908[4309]18000000003600000001", "AI (4309) at character 39: invalid longitude 3600000001", 10},
    {"[00]106141412345678908[4307]XX", "AI (4307) at character 29: unknown country code 'XX'", 2},
    {"[00]106141412345678908[7041]ZZZ", "AI (7041) at character 29: unknown package type 'ZZZ'", 3},
    {"[00]106141412345678908[4321]2", "AI (4321) at character 29: invalid yes/no flag 2", 1},
    {"[8018]950110153000000007[7258]3/2", "AI (7258) at character 31: invalid position in sequence '3/2'", 3},
    {"[8018]950110153000000007[8008]2612312360", "AI (8008) at character 39: invalid minute 60", 2},
    {"[01]09501101530003[7003]2612312460", "AI (7003) at character 31: invalid time 2460: hour 24", 4},
    {"[00]106141412345678908[4330]001234+", "AI (4330) at character 35: expected '-' instead of '+'", 1},
    {"[8010]ABC[8011]0123", "AI (8010) at character 7: no GS1 Company Prefix at its place", 3},
    // A GS1 Company Prefix has at least four digits.
    {"[401]123", "AI (401) at character 6: no room for a GS1 Company Prefix (at least 4 digits)", 3},
    {"[401]0", "AI (401) at character 6: no room for a GS1 Company Prefix (at least 4 digits)", 1},
    {"[8004]123", "AI (8004) at character 7: no room for a GS1 Company Prefix (at least 4 digits)", 3},
    // (8030): base64url, '=' only as padding at the end.
    {"[00]123456789012345675[8030]12=4", "AI (8030) at character 31: '=' is padding, only at the end (base64url)", 1},
    {"[00]123456789012345675[8030]=23", "AI (8030) at character 29: '=' is padding, only at the end (base64url)", 1},
    {"[00]123456789012345675[8030]1=3", "AI (8030) at character 30: '=' is padding, only at the end (base64url)", 1},
    {"[00]123456789012345675[8030]1===", "AI (8030) at character 30: at most two '=' of padding (base64url)", 3},
    {"[00]123456789012345675[8030]123=",
     "AI (8030) at character 29: padded to 4 characters, not a multiple of 3 (base64url)", 4},
    {"[00]123456789012345675[8030]12==",
     "AI (8030) at character 29: padded to 4 characters, not a multiple of 3 (base64url)", 4},
    // (8030) needs a serialised key: (253), (255) and (8003) only with their serial part.
    {"[253]1234567890128[8030]ABC123",
     "AI (8030) at character 20: requires a serialised key; (253) at character 2 has no serial component", 0},
    {"[255]5412345000013[8030]ABC123",
     "AI (8030) at character 20: requires a serialised key; (255) at character 2 has no serial component", 0},
    {"[8003]09501101530003[8030]ABC123",
     "AI (8030) at character 22: requires a serialised key; (8003) at character 2 has no serial component", 0},
    // (8110): the optional fields after the leading ones.
    {"[8110]0123456123456101041233201232", "AI (8110) at character 29: invalid coupon expiry date 201232: day 32", 6},
    {"[8110]012345612345610104123501234563261231",
     "AI (8110) at character 36: coupon field 3 after field 5 (fields in increasing order, each once)", 1},
    {"[8110]01234561234561010412332612313261231",
     "AI (8110) at character 35: coupon field 3 after field 3 (fields in increasing order, each once)", 1},
    {"[8110]0123456123456101041237", "AI (8110) at character 28: unknown coupon field 7 (1 to 6 or 9)", 1},
    {"[8110]012345612345610104123900001", "AI (8110) at character 33: coupon field 1 after field 9 (fields in increasing order, each once)", 1},
    {"[8110]012345612345610104123326010142602", "AI (8110) at character 36: coupon start date cut short", 4},
    {"[8110]01234561234561010412332601014260201",
     "AI (8110) at character 36: coupon start date 260201 after its expiry date 260101", 6},
    {"[8110]01234561234561010412315", "AI (8110) at character 29: invalid coupon additional purchase rules code 5 (0 to 3)", 1},
    {"[8110]0123456123456101041239030", "AI (8110) at character 30: invalid coupon save value applies to item 3 (0, 1 or 2)", 1},
    {"[8110]01234561234561010412360", "AI (8110) at character 29: invalid coupon retailer length digit 0 (1 to 7)", 1},
    {"https://id.example/01/09501101530003/21/S1/10/L1",
     "AI (10) at character 44: not a qualifier of (01) at this place in the path", 5},
    {"https://id.example/01/09501101530003?21=S1", "AI (21) at character 38: not allowed as a Digital Link query parameter", 5},
    {"https://id.example/01/09501101530003/10/A%2", "AI (10) at character 42: invalid percent-encoding", 2},
    {"https://id.example/10/ABC", "character 20: no GS1 primary key with a value in the path", 0},
    {"https://id.example/01/09501101530003/10", "character 38: AI without a value in the path", 2},
    {"https://id.example/01/09501101530003/10/A%20B", "AI (10) at character 42: invalid character ' '", 3},
    {"htp://id.example/01/09501101530003", "character 1: a Digital Link URI starts with http:// or https://", 4},
    {"ftp://id.example/01/09501101530003", "character 1: expected '[', '(' or a Digital Link URI", 1},
    // Found by fuzzing (fuzz/corpus/gs1/233c3d9cbb4c2dee2e032b35c5b4fc6cb368741d):
    // a value that ends in '.' shown bare made the message line end in "..".
    {"[8007]06A41.", "AI (8007) at character 7: invalid IBAN '06A41.'", 6},
};

// The fault as data agrees with the detail made from it.
void expectFault(const Outcome& outcome, const std::string& detail, std::size_t length)
{
    EXPECT_EQ(outcome.code, ResultCode::InvalidGs1Data);
    EXPECT_EQ(outcome.detail, detail);
    ASSERT_TRUE(outcome.gs1Fault.has_value());
    const Gs1Fault& fault = *outcome.gs1Fault;
    const std::string prefix = (fault.ai.empty() ? "" : "AI (" + fault.ai + ") at ") + "character " +
                               std::to_string(fault.position) + ": ";
    EXPECT_EQ(detail.substr(0, prefix.size()), prefix);
    EXPECT_EQ(fault.length, length);
}

TEST(Gs1Parsing, InvalidDataNamesTheAiThePlaceAndTheFault)
{
    for (const InvalidCase& c : kInvalidCases) {
        SCOPED_TRACE(c.text);
        Gs1Data data;
        expectFault(parseGs1(c.text, {true, kReferenceTime}, data), c.detail, c.length);
        EXPECT_TRUE(data.elements.empty());
    }
    EXPECT_EQ(outcomeMessage(parse("[01]09501101530000")),
              "Error: Invalid GS1 data: AI (01) at character 5: check digit 0, expected 3.");
    const Outcome empty = parse("");
    EXPECT_EQ(empty.detail, "no data");
    ASSERT_TRUE(empty.gs1Fault.has_value());
    EXPECT_EQ(empty.gs1Fault->position, 1U);
    EXPECT_EQ(empty.gs1Fault->length, 0U);
}

// The fault reaches the caller of encode() as it left the parser.
TEST(Gs1Parsing, EncodeReturnsTheFaultAsData)
{
    for (const auto& [syntax, text] : {std::pair{DataSyntax::Gs1, "[01]09501101530003[17]270132"},
                                      std::pair{DataSyntax::Hibc, "A1b"}}) {
        SymbolOptions options;
        options.syntax = syntax;
        options.data = text;
        options.gs1.referenceTime = kReferenceTime;
        Symbol symbol;
        const Outcome outcome = encode(options, symbol);
        ASSERT_TRUE(outcome.gs1Fault.has_value()) << text;
        EXPECT_EQ(outcome.gs1Fault->position, syntax == DataSyntax::Gs1 ? 23U : 3U);
        EXPECT_EQ(outcome.gs1Fault->ai, syntax == DataSyntax::Gs1 ? "17" : "");
    }
}

TEST(Gs1Parsing, SyntaxOnlySkipsContentChecksButNotLengthOrCharacters)
{
    EXPECT_TRUE(parse("[01]09501101530000[17]261331[10]A[10]B[3103]001250[3102]0", false).code ==
                ResultCode::InvalidGs1Data);  // (3102) is six digits: a syntax fault
    EXPECT_TRUE(parse("[01]09501101530000[17]261331[10]A[10]B[3103]001250[3102]000001[255]5400012345670", false).ok());
    EXPECT_EQ(parse("[99]A~", false).detail, "AI (99) at character 6: invalid character '~'");
    EXPECT_EQ(parse("[9]A", false).detail, "character 2: an AI is 2 to 4 digits");
}

TEST(Gs1Parsing, TwoDigitYearsFollowTheCenturyWindowOfTheReferenceDate)
{
    // 2000 is a leap year, 2100 is not: 29 February "00" is valid until the
    // window moves 00 into the next century.
    constexpr std::time_t k2051 = 2556144000;
    EXPECT_TRUE(parse("[01]09501101530003[11]000229").ok());
    EXPECT_EQ(parse("[01]09501101530003[11]000229", true, k2051).detail,
              "AI (11) at character 23: invalid date 000229: day 29");
    EXPECT_TRUE(parse("[01]09501101530003[11]000229", false, k2051).ok());
    // 1950: "00" is already the next century, and 1950 + 50 lands in 2000.
    EXPECT_TRUE(parse("[01]09501101530003[11]000229", true, -631152000).ok());
}

TEST(Gs1Parsing, DigitalLinkKeepsTheUriAndDecodesValues)
{
    Gs1Data data;
    const std::string uri = "HTTP://h/a/b/414/9521141000007/7040/1A2b?400=PO%2F1&x=1#f";
    ASSERT_TRUE(parseGs1(uri, {true, kReferenceTime}, data).ok());
    EXPECT_TRUE(data.digitalLink);
    EXPECT_EQ(data.uri, uri);
    ASSERT_EQ(data.elements.size(), 3U);
    EXPECT_EQ(data.elements[1].position, 32U);
    // Qualifier sequences are alternatives: (254) and (7040) never together.
    EXPECT_EQ(parse("https://h/414/9521141000007/254/A/7040/1A2b").detail,
              "AI (7040) at character 35: not a qualifier of (414) at this place in the path");
}

TEST(Hibc, AddsThePlusAndTheModulo43CheckCharacter)
{
    for (const auto& label : testing::kValidHibcLabels) {
        HibcData hibc;
        ASSERT_TRUE(parseHibc(label.data, hibc).ok()) << label.name;
        EXPECT_EQ(hibcHumanReadable(hibc), label.readBack);
        EXPECT_EQ(asRead(hibcDataItems(hibc)), label.readBack);
    }
    HibcData hibc;
    expectFault(parseHibc("A12b", hibc), "character 4: invalid character 'b' for HIBC", 1);
    expectFault(parseHibc("+A123", hibc), "character 1: the leading '+' of a HIBC label is added, leave it out", 1);
    EXPECT_EQ(parseHibc("", hibc).detail, "no HIBC data");
}

}  // namespace
}  // namespace korvel
