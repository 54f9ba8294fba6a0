// The round-trip oracle itself: the escapes it resolves, the codeword walk,
// and that a symbol holding other data than its barcode claims is caught.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/expected_reading.hpp"

namespace korvel {
namespace {

using enum EncodingMode;


using testing::DataElement;
using Kind = DataElement::Kind;

TEST(ExpectedReading, ResolvesEscapesAsTheDataTextDefinesThem)
{
    struct Case {
        std::string data;
        std::vector<DataElement> elements;
    };
    const std::vector<Case> cases{
        {"~1A", {{Kind::Fnc1, 0}, {Kind::Byte, 'A'}}},
        {"~3A~3", {{Kind::ReaderProgramming, 0}, {Kind::Byte, 'A'}, {Kind::Byte, '~'}, {Kind::Byte, '3'}}},
        {"~5", {{Kind::Macro05, 0}}},
        {"A~6", {{Kind::Byte, 'A'}, {Kind::Byte, '~'}, {Kind::Byte, '6'}}},
        {"~7016383B", {{Kind::Eci, 16383}, {Kind::Byte, 'B'}}},
        {"~71234", {{Kind::Byte, '~'}, {Kind::Byte, '7'}, {Kind::Byte, '1'}, {Kind::Byte, '2'}, {Kind::Byte, '3'}, {Kind::Byte, '4'}}},
        {"~N~R~~", {{Kind::Byte, 10}, {Kind::Byte, 13}, {Kind::Byte, '~'}}},
        {"~X41~xe9", {{Kind::Byte, 'A'}, {Kind::Byte, 0xE9}}},
        {"~XG1", {{Kind::Byte, '~'}, {Kind::Byte, 'X'}, {Kind::Byte, 'G'}, {Kind::Byte, '1'}}},
        {"A~", {{Kind::Byte, 'A'}, {Kind::Byte, '~'}}},
        {"~n", {{Kind::Byte, '~'}, {Kind::Byte, 'n'}}},
    };
    for (const Case& c : cases) {
        const std::vector<DataElement> got = testing::resolveEscapes(c.data);
        ASSERT_EQ(got.size(), c.elements.size()) << c.data;
        for (std::size_t k = 0; k < got.size(); ++k) {
            EXPECT_EQ(got[k].kind, c.elements[k].kind) << c.data << " element " << k;
            EXPECT_EQ(got[k].value, c.elements[k].value) << c.data << " element " << k;
        }
    }
}

TEST(ExpectedReading, WalksTheSchemesOfACodewordStream)
{
    struct Case {
        const char* name;
        CodewordString codewords;
        std::vector<testing::Scheme> schemes;
        std::size_t encodedLength;
        bool emptyLatch;
    };
    using S = testing::Scheme;
    const std::vector<Case> cases{
        {"ASCII then pads", {66, 67, 129, 56, 207}, {S::Ascii}, 2, false},
        {"Text latch and unlatch at once", {239, 254, 98}, {S::Text, S::Ascii}, 3, true},
        {"C40 pair, unlatch, ASCII", {230, 89, 233, 254, 66, 129}, {S::C40, S::Ascii}, 5, false},
        {"X12 ends with one codeword left", {238, 89, 233, 69}, {S::X12, S::Ascii}, 4, false},
        // EDIFACT "A" then the unlatch value 31 in the second six bits.
        {"EDIFACT unlatch inside a triple", {240, 0x05, 0xF0, 66, 129}, {S::Edifact, S::Ascii}, 4, false},
        // Base 256 of two bytes: the length 2 randomised at position 2.
        {"Base 256 with its length", {231, static_cast<Codeword>((2 + (149 * 2) % 255 + 1) % 256), 1, 2, 66},
         {S::Base256, S::Ascii}, 5, false},
        {"structured append header and ECI", {233, 28, 1, 45, 241, 128, 1, 66}, {S::Ascii}, 8, false},
    };
    for (const Case& c : cases) {
        const testing::CodewordWalk walk = testing::walkDataCodewords(c.codewords, c.codewords.size());
        EXPECT_EQ(walk.error, "") << c.name;
        ASSERT_EQ(walk.runs.size(), c.schemes.size()) << c.name;
        for (std::size_t k = 0; k < c.schemes.size(); ++k) {
            EXPECT_EQ(walk.runs[k].scheme, c.schemes[k]) << c.name << " run " << k;
        }
        EXPECT_EQ(walk.encodedLength, c.encodedLength) << c.name;
        EXPECT_EQ(walk.hasEmptyLatch(), c.emptyLatch) << c.name;
    }
}

// Changing a setting while updates are suspended leaves the old symbol in
// place: the readers then return the old content, and the check must say so.
TEST(ExpectedReading, CatchesASymbolThatHoldsOtherData)
{
    struct Case {
        const char* name;
        std::string encoded;
        std::string claimed;
        int claimedId;  // structured append id claimed, 0 without structured append
    };
    const std::vector<Case> cases{
        {"one letter", "ABCDEF", "ABCDEG", 0},
        {"FNC1 as GS against a plain letter", "AB~1CD", "ABCD", 0},
        {"FNC1 first against FNC1 second", "~1ABC", "A~1BC", 0},
        {"ECI number", "~7000026AB", "~7000003AB", 0},
        {"macro 05 against 06", "~5ABC", "~6ABC", 0},
        {"reader programming", "~3ABC", "ABC", 0},
        {"structured append id", "ABC", "ABC", 778},
    };
    for (const Case& c : cases) {
        DataMatrixBarcode barcode;
        (void)barcode.setEncodingMode(Ascii);
        if (c.claimedId != 0) {
            (void)barcode.setStructuredAppend(true);
            (void)barcode.setStructuredAppendId(777);
        }
        ASSERT_EQ(barcode.setData(c.encoded), ResultCode::Ok) << c.name;
        ASSERT_EQ(barcode.suspendUpdates(true), ResultCode::Ok);
        (void)barcode.setData(c.claimed);
        if (c.claimedId != 0) {
            (void)barcode.setStructuredAppendId(c.claimedId);
        }
        const testing::RoundTripOutcome outcome = testing::roundTrip(barcode, 4);
        EXPECT_FALSE(outcome.zxingMatched) << c.name;
        EXPECT_NE(outcome.report, "") << c.name;
    }
}

}  // namespace
}  // namespace korvel
