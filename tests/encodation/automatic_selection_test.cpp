#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/rounding.hpp"
#include "encodation/automatic_selection.hpp"
#include "encodation/data_preparation.hpp"
#include "encodation/encodation_driver.hpp"
#include "symbol/symbol_codewords.hpp"
#include "encodation/scheme_encoders.hpp"

namespace korvel {
namespace {

// Items and runs written in the data syntax: "~1" is an FNC1 item, "~Xhh" a byte.
DataItemList items(std::string_view text) { return prepareData(text); }

struct ExpectedRun {
    EncodingMode scheme;
    const char* text;
};

std::string describe(const RunPlan& plan)
{
    static const char* const names[] = {"?", "ASCII", "C40", "Text", "Base256", "EDIFACT", "X12"};
    std::string out;
    for (const EncodationRun& run : plan) {
        out += std::string("[") + names[static_cast<std::size_t>(run.scheme)] + ":";
        for (const DataItem& item : run.items) {
            if (!item.isCodeword && item.value >= 32 && item.value < 127) {
                out += static_cast<char>(item.value);
            } else {
                out += "<" + std::to_string(item.value) + ">";
            }
        }
        out += "] ";
    }
    return out;
}

RunPlan planOf(const std::vector<ExpectedRun>& runs)
{
    RunPlan plan;
    for (const ExpectedRun& run : runs) {
        plan.push_back({run.scheme, items(run.text)});
    }
    return plan;
}

bool samePlan(const RunPlan& a, const RunPlan& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].scheme != b[i].scheme || a[i].items != b[i].items) {
            return false;
        }
    }
    return true;
}

TEST(RoundHalfUp, HalvesGoUp)
{
    const std::pair<double, double> cases[] = {
        {0.0, 0.0},  {0.5, 1.0}, {1.25, 1.0}, {2.25, 2.0}, {2.5, 3.0},  {3.3333333333333335, 3.0},
        {2.6666666666666665, 3.0}, {4.5, 5.0}, {4.999999999999999, 5.0}, {7.0, 7.0}, {1.4999999999999998, 1.0},
    };
    for (const auto& [value, rounded] : cases) {
        EXPECT_EQ(roundHalfUp(value), rounded) << value;
    }
}

struct PlanCase {
    const char* data;
    std::vector<ExpectedRun> runs;
};

// How the look-ahead cuts data into runs.
const PlanCase kPlanCases[] = {
    {"", {}},
    {"1234567", {{Ascii, "1234567"}}},
    {"ABCD", {{Ascii, "ABCD"}}},
    {"abcd", {{Ascii, "abcd"}}},
    {"ABC", {{Ascii, "ABC"}}},
    {"ABCDEFGHIJKLMNOP", {{C40, "ABCDEFGHIJKLMNOP"}}},
    {"abcdefghijklmnop", {{Text, "abcdefghijklmnop"}}},
    {"Hello World", {{Text, "Hello World"}}},
    {"ABC*DEF*GHI*", {{X12, "ABC*DEF*GHI*"}}},
    {"!!!!!!!!!!!!!!!!!!!", {{Edifact, "!!!!!!!!!!!!!!!!!!!"}}},
    {"~XC0~XC1", {{Base256, "~XC0~XC1"}}},
    {"~XC0", {{Ascii, "~XC0"}}},
    {"~XE8~XE8", {{Ascii, "~XE8~XE8"}}},  // 232 weighs 4 in Base 256
    // C40 equals X12 at the thirteenth capital: the next item decides.
    {"ABCDEFGHIJKLM*", {{X12, "ABCDEFGHIJKLM*"}}},
    {"ABCDEFGHIJKLM~R", {{X12, "ABCDEFGHIJKLM~R"}}},
    {"ABCDEFGHIJKLM>", {{X12, "ABCDEFGHIJKLM>"}}},
    {"ABCDEFGHIJKLM ", {{C40, "ABCDEFGHIJKLM "}}},
    {"ABCDEFGHIJKLMN", {{C40, "ABCDEFGHIJKLMN"}}},
    {"ABCDEFGHIJKLMN*", {{C40, "ABCDEFGHIJKLMN*"}}},  // only the one next item is looked at
    // Ready codewords always stand in ASCII runs.
    {"ABCDEFGH~1IJKLMNOP", {{C40, "ABCDEFGH"}, {Ascii, "~1"}, {C40, "IJKLMNOP"}}},
    {"!!!!!!!!!!!!~112", {{Edifact, "!!!!!!!!!"}, {Ascii, "!!!~112"}}},
    {"12345678ABCDEFGHIJKLMN", {{Ascii, "12345678"}, {C40, "ABCDEFGHIJKLMN"}}},
    {"ABCDEFGHIJKLMN12345678", {{C40, "ABCDEFGHIJKLM"}, {Ascii, "N12345678"}}},
    {"ABC*DEF*GHI*a", {{C40, "ABC*DEF*GHI"}, {Ascii, "*a"}}},
    {"!!!!!!!!!!!!a", {{Edifact, "!!!!!!!!!"}, {Ascii, "!!!a"}}},
    {"!!!!!!!!!!!!12", {{Edifact, "!!!!!!!!!!!!"}, {Ascii, "12"}}},
    // EDIFACT to ASCII and at once on to Base 256; the empty ASCII run vanishes.
    {" **0 !A**~XC4", {{Edifact, " **0 !"}, {Base256, "A**~XC4"}}},
    // A character the chosen X12 or EDIFACT scheme cannot hold goes into ASCII.
    {"AB**AaBB>*0>A", {{X12, "AB**A"}, {Ascii, "a"}, {C40, "BB>*0>A"}}},
    {"!!!!!!!!!a!!!!!!!!!", {{Edifact, "!!!!!!!!!"}, {Ascii, "a"}, {Edifact, "!!!!!!!!!"}}},
};

TEST(PlanAutomaticRuns, Runs)
{
    for (const PlanCase& c : kPlanCases) {
        const RunPlan plan = planAutomaticRuns(items(c.data));
        const RunPlan expected = planOf(c.runs);
        EXPECT_TRUE(samePlan(plan, expected)) << c.data << ": got " << describe(plan) << ", want " << describe(expected);
    }
}

struct LookAheadCase {
    const char* why;
    EncodingMode current;
    const char* data;
    EncodingMode chosen;
};

// Decisions that hinge on how the counts round as doubles, added in item order.
const LookAheadCase kNearTieCases[] = {
    {"C40 after ABC is 1 + 2/3 + 2/3 + 2/3 = 2.9999999999999996, so at the sixth item ASCII + 1 = 7 is not <= C40 "
     "6.999999999999999 and the byte makes Base 256 win",
     Ascii, "ABCaaa~XC4", Base256},
    {"the same six characters without the byte: ASCII at the end of the data", Ascii, "ABCaaa", Ascii},
    {"Text is 1 + 2/3 + 2/3 + 4/3 + 4/3 = 4.999999999999999 at the fourth item, so ASCII + 1 = 5 is not <= Text",
     Ascii, "aa{{~XC4", Base256},
    {"in the other order Text is exactly 5 and ASCII wins at the fourth item", Ascii, "{{aa~XC4", Ascii},
    {"Text starts 2 + 4/3 + 2/3 = 3.9999999999999996 and ends at 6.0: Base 256 + 1 is not < Text", Base256, "*000a",
     Ascii},
    {"Text starts 2 + 2/3 + 4/3 = 4 and ends at 6.000000000000001: Base 256 + 1 < Text", Base256, "0*00a", Base256},
    {"C40 + 1 = 6.999999999999999 < ASCII 7 at the sixth item", C40, "A>~RA0* *", C40},
};

TEST(LookAheadTest, NearTies)
{
    for (const LookAheadCase& c : kNearTieCases) {
        const DataItemList list = items(c.data);
        EXPECT_EQ(lookAheadTest(c.current, list.data(), list.size()), c.chosen) << c.why;
    }
}

// Decisions at the end of the data (fewer than four items), after rounding.
const LookAheadCase kEndOfDataCases[] = {
    {"ASCII ties win", Ascii, "ABC", Ascii},
    {"two bytes: Base 256 is lowest", Ascii, "~XC0~XC1", Base256},
    {"one byte stays in ASCII", Ascii, "~XC0", Ascii},
    {"staying in EDIFACT for the last character", Edifact, "!", Edifact},
    {"staying in X12 for the last two characters", X12, "A*", X12},
    {"staying in Text", Text, "ab", Text},
    {"staying in C40 for a last small letter", C40, "a", C40},
    {"leaving C40 for a last byte", C40, "~XC0", Ascii},
};

TEST(LookAheadTest, EndOfData)
{
    for (const LookAheadCase& c : kEndOfDataCases) {
        const DataItemList list = items(c.data);
        EXPECT_EQ(lookAheadTest(c.current, list.data(), list.size()), c.chosen) << c.why;
    }
}

// A ready codeword counts by its value like a data character: FNC1 weighs
// 4 in Base 256 (and keeps ASCII ahead) where other bytes weigh 1.
TEST(LookAheadTest, CodewordItemsCountByValue)
{
    const DataItemList withFnc1 = items("~XC0~1~1~XC0");
    const DataItemList withBytes = items("~XC0~XC1~XC1~XC0");
    const DataItemList with232 = items("~XC0~XE8~XE8~XC0");
    EXPECT_EQ(lookAheadTest(Ascii, withFnc1.data(), withFnc1.size()), Ascii);
    EXPECT_EQ(lookAheadTest(Ascii, with232.data(), with232.size()), Ascii);
    EXPECT_EQ(lookAheadTest(Ascii, withBytes.data(), withBytes.size()), Base256);
}

// Planning must finish on any input, and every run it forms must be
// encodable by its scheme. Random strings rich in the characters where the
// schemes compete.
TEST(PlanAutomaticRuns, RandomDataFinishesWithEncodableRuns)
{
    const std::string alphabets[] = {
        "ABCXYZ*> \r0123a",
        "!\"#$%&'()*+,-./:;<=>?@[\\]^ AZ09az",
        "abcxyz ABC0123!{}~\x7f",
        std::string("AB*>a!{\x01 ") + "\xC4\xE8\xF1\xFF",
        "ABC*> \r!a",
    };
    std::mt19937 random(20240611);
    int symbols = 0;
    for (const std::string& alphabet : alphabets) {
        std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
        std::uniform_int_distribution<std::size_t> length(1, 40);
        for (int n = 0; n < 400; ++n) {
            std::string data;
            for (std::size_t k = length(random); k > 0; --k) {
                data += alphabet[pick(random)];
            }
            const DataItemList list = items(data);
            const RunPlan plan = planAutomaticRuns(list);

            DataItemList joined;
            for (std::size_t r = 0; r < plan.size(); ++r) {
                const EncodationRun& run = plan[r];
                ASSERT_FALSE(run.items.empty()) << data;
                if (r > 0) {
                    EXPECT_NE(run.scheme, plan[r - 1].scheme) << data << ": " << describe(plan);
                }
                CodewordString out;
                EXPECT_TRUE(encodeRun(run.scheme, run.items, r + 1 == plan.size(), out))
                    << data << ": " << describe(plan);
                joined.insert(joined.end(), run.items.begin(), run.items.end());
            }
            EXPECT_EQ(joined, list) << data;

            CodewordString codewords;
            SymbolFormat format;
            EXPECT_EQ(encodeData({list, Automatic, 0, {}}, codewords, format), ResultCode::Ok) << data;
            ++symbols;
        }
    }
    EXPECT_EQ(symbols, 2000);
}

}  // namespace
}  // namespace korvel
