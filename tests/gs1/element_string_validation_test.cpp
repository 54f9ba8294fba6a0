#include <gtest/gtest.h>

#include <string>

#include "gs1/element_string_parser.hpp"
#include "gs1/element_string_validation.hpp"
#include "gs1/label_cases.hpp"
#include "korvel/gs1.hpp"

namespace korvel {
namespace {

// n serial numbers and lots repeated after one GTIN, with `last` as the final serial.
std::string repeatedElements(std::size_t n, const std::string& last = "A")
{
    std::string text = "[01]09501101530003";
    for (std::size_t i = 0; i < n; ++i) {
        text += "[21]A[10]B";
    }
    return text + "[21]" + last;
}

// Checks that compared every element with every other took n² steps; through
// the index of distinct AIs each element is looked at a bounded number of
// times, however often its AI repeats.
TEST(Gs1Validation, RepeatedAisAndAssociationsVisitEachElementABoundedNumberOfTimes)
{
    for (const std::size_t n : {100U, 10000U}) {
        gs1::ParsedElements elements;
        ASSERT_TRUE(gs1::parseBracketSyntax(repeatedElements(n), elements).ok());
        ASSERT_TRUE(gs1::validateElementString(elements, {true, {2026}}).ok());
        const gs1::AiIndex index(elements);
        EXPECT_EQ(index.firsts().size(), 3U);
        ASSERT_TRUE(gs1::checkRepeatedAis(elements, index).ok());
        ASSERT_TRUE(gs1::checkAssociations(index).ok());
        EXPECT_LE(index.visits(), elements.size() + 20) << n;
    }
}

TEST(Gs1Validation, ManyRepeatsFindTheFirstDifferentValueAndTheFirstExcludedAi)
{
    Gs1Data data;
    ASSERT_TRUE(parseGs1(repeatedElements(24000), {true, testing::kReferenceTime}, data).ok());
    EXPECT_EQ(data.elements.size(), 48002U);
    const std::string different = repeatedElements(24000, "C");
    const Outcome outcome = parseGs1(different, {true, testing::kReferenceTime}, data);
    EXPECT_EQ(outcome.detail, "AI (21) at character " + std::to_string(different.size() - 3) +
                                  ": repeated with a different value than at character 20");
    // The first AI that a pattern excludes, wherever it stands.
    const std::string weights = repeatedElements(5000) + "[3103]001250[3101]000125[3102]012500";
    EXPECT_EQ(parseGs1(weights, {true, testing::kReferenceTime}, data).detail,
              "AI (3103) at character " + std::to_string(weights.find("3103") + 1) + ": not allowed with (3101)");
}

}  // namespace
}  // namespace korvel
