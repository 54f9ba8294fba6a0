// Every encodation mode on data where its scheme really is used (and, in
// automatic mode, where each scheme wins somewhere): the codewords must hold
// the scheme's latches, and both readers must read back exactly the input.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/expected_reading.hpp"

namespace korvel {
namespace {

using enum EncodingMode;


using testing::Scheme;

struct ModeCase {
    const char* name;
    EncodingMode mode;
    std::string data;
    std::vector<Scheme> schemes;  // each must have a run in the codewords
    std::int32_t format = 0;
};

std::string repeat(const std::string& text, int times)
{
    std::string all;
    for (int k = 0; k < times; ++k) {
        all += text;
    }
    return all;
}

const std::string kHighBytes = repeat("~XC3~XA9~xE2~x82~XAC", 5);  // "éé€" five times, UTF-8
const std::string kEdifactRun = "!\"#$%&'()+,-./:;<=>?@[\\]^!\"#$%&'()+,-./";  // 32..94
const std::string kX12Run = "ABC*DEF>GHI*JKL>MNO*PQR>STU*";

const std::vector<ModeCase>& modeCases()
{
    static const std::vector<ModeCase> cases{
        // Each explicit mode on data of its own.
        {"ASCII digits and text", Ascii, "0123456789 Serial 42 ~XC3~XA9 end", {Scheme::Ascii}},
        {"C40 capitals and digits", C40, "THE QUICK BROWN FOX 0123456789 JUMPS OVER THE LAZY DOG", {Scheme::C40}},
        {"C40 with shifts and upper shift", C40, "Mixed Case, Punctuation! ~XC3~XA9 and ~~ tilde", {Scheme::C40}},
        {"Text lower case", Text, "the quick brown fox jumps over the lazy dog 0123456789", {Scheme::Text}},
        {"Text with capitals and punctuation", Text, "Text With Capitals: And Punctuation?! ~R~N", {Scheme::Text}},
        {"X12 punctuation runs", X12, kX12Run + "0123 456~R789*>", {Scheme::X12}},
        {"EDIFACT punctuation runs", Edifact, kEdifactRun + " ABC 0123", {Scheme::Edifact}},
        {"Base 256 bytes above 127", Base256, kHighBytes, {Scheme::Base256}},
        {"Base 256 with a two-byte length", Base256, repeat("~XFF~X00~X80", 100), {Scheme::Base256}},
        {"Base 256 of plain text", Base256, "plain text in Base 256", {Scheme::Base256}},
        // Ready codewords inside a run close it and open it again.
        {"C40 with FNC1 and ECI inside", C40, "~1ABCDEF~1GHIJKL~7000026MNOPQR", {Scheme::C40}},
        {"Text with FNC1 and ECI inside", Text, "abcdef~1ghijkl~7000127mnopqr", {Scheme::Text}},
        {"X12 with FNC1 and ECI inside", X12, "ABC*DEF~1GHI>JKL~7016383MNO", {Scheme::X12}},
        {"EDIFACT with FNC1 and ECI inside", Edifact, "ABC!DEF~1GHI?JKL~7000003MNO", {Scheme::Edifact}},
        {"Base 256 with FNC1 and ECI inside", Base256, "~XC3~XA9~1~XC3~XA9~7000026~XE2~X82~XAC", {Scheme::Base256}},
        {"macro 05 in C40", C40, "~5ABCDEFGHIJKL", {Scheme::C40}},
        {"reader programming in Text", Text, "~3programming", {Scheme::Text}},
        // Automatic mode: each scheme wins on its own kind of data.
        {"automatic: capitals win C40", Automatic, "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEF", {Scheme::C40}},
        {"automatic: lower case wins Text", Automatic, "the quick brown fox jumps over the lazy dog", {Scheme::Text}},
        {"automatic: X12 punctuation wins X12", Automatic, kX12Run, {Scheme::X12}},
        {"automatic: EDIFACT punctuation wins EDIFACT", Automatic, kEdifactRun, {Scheme::Edifact}},
        {"automatic: bytes above 127 win Base 256", Automatic, kHighBytes, {Scheme::Base256}},
        {"automatic: digits stay ASCII", Automatic, "01234567890123456789", {Scheme::Ascii}},
        {"automatic: five schemes in one symbol", Automatic,
         "ABCDEFGHIJKLMNOPQRSTUVWX" "the quick brown fox jumps over" + kHighBytes + "0123456789012345" + kEdifactRun +
             "0123456789" + kX12Run + "0123456789",
         {Scheme::C40, Scheme::Text, Scheme::Base256, Scheme::Edifact, Scheme::X12}},
        {"automatic: FNC1, ECI and schemes", Automatic, "PART NUMBER 12345~1lot 7 of 9~7000026" + kHighBytes + "END",
         {Scheme::C40, Scheme::Text, Scheme::Base256}},
        {"automatic: structured text of a label", Automatic,
         "~1" "0104012345678901" "~1" "10ABC123" "~1" "21serial number abcdef" + kEdifactRun, {Scheme::Text, Scheme::Edifact}},
        // The largest Base 256 run fills 144 x 144 exactly (latch, two length bytes, 1555 bytes).
        // (Not 232, 233, 234 or 241: the look-ahead counts those four dearly in Base 256.)
        {"automatic: 1555 bytes above 127", Automatic, repeat("~XC4", 1555), {Scheme::Base256}, 24},
        {"Base 256: 1555 bytes", Base256, repeat("~X80", 1555), {Scheme::Base256}, 24},
    };
    return cases;
}

void recordMode(std::vector<testing::RoundTripTally>& perMode, EncodingMode mode, const testing::RoundTripOutcome& outcome)
{
    perMode[static_cast<std::size_t>(mode)].add(outcome);
}

void printPerMode(const std::string& title, const std::vector<testing::RoundTripTally>& perMode)
{
    std::vector<std::pair<std::string, testing::RoundTripTally>> rows;
    for (std::size_t mode = 0; mode < perMode.size(); ++mode) {
        if (perMode[mode].symbols > 0) {
            rows.emplace_back("mode " + std::to_string(mode), perMode[mode]);
        }
    }
    testing::printTallies(title, rows);
}

TEST(ModeRoundTrip, EachSchemeIsUsedAndReadsBack)
{
    std::vector<testing::RoundTripTally> perMode(7);
    int orientation = 0;
    for (const ModeCase& c : modeCases()) {
        DataMatrixBarcode barcode;
        (void)barcode.suspendUpdates(true);
        (void)barcode.setData(c.data);
        (void)barcode.setEncodingMode(c.mode);
        (void)barcode.setPreferredFormat(c.format);
        (void)barcode.setOrientation(orientation);
        orientation = (orientation + 90) % 360;
        ASSERT_EQ(barcode.suspendUpdates(false), ResultCode::Ok) << c.name;

        const testing::CodewordWalk walk = testing::walkDataCodewords(barcode.codewords(), barcode.format().dataCodewords);
        EXPECT_EQ(walk.error, "") << c.name;
        for (const Scheme scheme : c.schemes) {
            EXPECT_TRUE(walk.uses(scheme)) << c.name << ": no " << schemeName(scheme) << " run in "
                                           << testing::describeCodewords(barcode.codewords(), walk.encodedLength);
        }
        const testing::RoundTripOutcome outcome = testing::roundTrip(barcode, 3);
        recordMode(perMode, c.mode, outcome);
        EXPECT_TRUE(outcome.report.empty()) << c.name << "\n" << outcome.report;
    }
    printPerMode("schemes on data they win", perMode);
}

// Every way a C40, Text, X12 or EDIFACT run can end (0, 1 or 2 characters
// left over, the symbol full or with room after it), alone and followed by
// ASCII: lengths 1 to 10 in the automatic format and in small fixed ones.
TEST(ModeRoundTrip, RunEndingsReadBack)
{
    struct SchemeData {
        EncodingMode mode;
        Scheme scheme;
        std::string characters;
    };
    const std::vector<SchemeData> schemes{
        {C40, Scheme::C40, "ABCDEFGHIJ"},
        {Text, Scheme::Text, "abcdefghij"},
        {X12, Scheme::X12, "AB*CD>EF G"},
        {Edifact, Scheme::Edifact, "AB!CD?EF.G"},
    };
    std::vector<testing::RoundTripTally> perMode(7);
    for (const SchemeData& s : schemes) {
        for (std::size_t length = 1; length <= s.characters.size(); ++length) {
            for (const std::int32_t format : {0, 2, 3, 4, 25, 26, 27}) {
                // Alone in the mode; then in automatic mode behind digits,
                // where the run has to hand back to ASCII.
                for (const bool automatic : {false, true}) {
                    if (automatic && format != 0 && format != 29) {
                        continue;  // three runs and digits need room
                    }
                    const std::string run = s.characters.substr(0, length);
                    const std::string data = automatic ? "12" + run + run + run + "34" : run;
                    DataMatrixBarcode barcode;
                    (void)barcode.suspendUpdates(true);
                    (void)barcode.setData(data);
                    (void)barcode.setEncodingMode(automatic ? Automatic : s.mode);
                    (void)barcode.setPreferredFormat(format);
                    const ResultCode result = barcode.suspendUpdates(false);
                    testing::RoundTripTally& tally = perMode[static_cast<std::size_t>(barcode.encodingMode())];
                    if (result == ResultCode::DataDoesNotFitFormat && format != 0) {
                        tally.refuse();
                        continue;
                    }
                    ASSERT_EQ(result, ResultCode::Ok) << data << " mode " << barcode.encodingMode() << " format " << format;
                    const testing::CodewordWalk walk =
                        testing::walkDataCodewords(barcode.codewords(), barcode.format().dataCodewords);
                    EXPECT_EQ(walk.error, "") << data;
                    if (!automatic) {
                        EXPECT_TRUE(walk.uses(s.scheme)) << data << " format " << format;
                    }
                    const testing::RoundTripOutcome outcome = testing::roundTrip(barcode, 4);
                    tally.add(outcome);
                    EXPECT_TRUE(outcome.report.empty()) << outcome.report;
                }
            }
        }
    }
    printPerMode("run endings", perMode);
}

// Explicit modes refuse exactly the data their scheme cannot hold.
TEST(ModeRoundTrip, ExplicitModesRefuseOnlyWhatTheirSchemeCannotHold)
{
    struct Refusal {
        EncodingMode mode;
        std::string data;
        ResultCode expected;
    };
    const std::vector<Refusal> cases{
        {Edifact, "ABC" "a", ResultCode::InvalidData},     // lower case
        {Edifact, "ABC~N", ResultCode::InvalidData},       // line feed
        {Edifact, " ^", ResultCode::Ok},                   // 32 and 94 are the ends of its set
        {Edifact, "ABC_", ResultCode::InvalidData},        // 95
        {Edifact, "ABC~1DEF~7000026", ResultCode::Ok},     // ready codewords are not characters
        {X12, "ABC!", ResultCode::InvalidData},
        {X12, "ABC~N", ResultCode::InvalidData},
        {X12, "ABC~R*> 09AZ", ResultCode::Ok},
        {Base256, repeat("~XE9", 1556), ResultCode::InvalidData},
        {Base256, repeat("~XE9", 800) + "~1" + repeat("~XE9", 700), ResultCode::Ok},  // two runs, 144 x 144
        {Automatic, repeat("~XC4", 1556), ResultCode::InvalidData},     // no symbol holds it anyway
        {Automatic, repeat("~XE9", 1556), ResultCode::NoMatrixFormat},  // in ASCII: too long too
        {C40, repeat("~XE9", 3), ResultCode::Ok},
        {Text, "~X00~X7F~XFF", ResultCode::Ok},
    };
    for (const Refusal& c : cases) {
        DataMatrixBarcode barcode;
        (void)barcode.suspendUpdates(true);
        (void)barcode.setData(c.data);
        (void)barcode.setEncodingMode(c.mode);
        EXPECT_EQ(barcode.suspendUpdates(false), c.expected) << "mode " << static_cast<int>(c.mode) << " " << c.data.substr(0, 40);
        if (c.expected == ResultCode::Ok && barcode.isEncoded()) {
            const testing::RoundTripOutcome outcome = testing::roundTrip(barcode, 3);
            EXPECT_TRUE(outcome.report.empty()) << outcome.report;
        }
    }
}

}  // namespace
}  // namespace korvel
