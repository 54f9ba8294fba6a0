#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "option_values.hpp"

namespace korvel {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(OptionValues, IntegersReadLikeAtoiAndSaturate)
{
    const struct {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"120", 120},          {"12ab", 12},          {"ab", 0},           {"", 0},
        {"  42", 42},          {"\t\n-7", -7},        {"+5", 5},           {"-", 0},
        {"+-3", 0},            {" - 3", 0},           {"007", 7},          {"0x10", 0},
        {"1e3", 1},            {"3.9", 3},            {"-0", 0},           {"2147483647", kMax},
        {"2147483648", kMax},  {"4294967297", kMax},  {"99999999999", kMax},
        {"-2147483648", kMin}, {"-2147483649", kMin}, {"-99999999999999999999999999", kMin},
        {"000000000000000000000000000012", 12},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseInteger(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(OptionValues, DecimalsReadLikeAtof)
{
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"5", 5.0},     {"2.5", 2.5},   {"2.49", 2.49}, {" 3.25x", 3.25}, {".5", 0.5},
        {"-1", -1.0},   {"abc", 0.0},   {"", 0.0},      {"1,5", 1.0},     {"1e10", 1e10},
        {"0x10", 16.0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseDecimal(c.text), c.value) << '"' << c.text << '"';
    }
    EXPECT_TRUE(std::isinf(parseDecimal("inf")));
    EXPECT_TRUE(std::isnan(parseDecimal("nan")));
}

// RRGGBB text is read as red, green and blue.
TEST(OptionValues, ColoursAreReadAsRrggbb)
{
    const struct {
        const char* text;
        Color color;
    } cases[] = {
        {"ffff00", Color::fromRgb(0xFFFF00)},    // yellow: red and green
        {"ff", Color::fromRgb(0x0000FF)},        // blue only
        {"ff0000", Color::fromRgb(0xFF0000)},    // red
        {"00ff00", Color::fromRgb(0x00FF00)},    // green
        {"123456", Color::fromRgb(0x123456)},
        {"FFFFFF", Color::fromRgb(0xFFFFFF)},
        {"aBc", Color::fromRgb(0x000ABC)},
        {"0xffffff", Color::fromRgb(0x000000)},         // stops at the x
        {"abcdef12", Color::fromRgb(0xCDEF12)},  // only the last six digits count
        {"fffffffff", Color::fromRgb(0xFFFFFF)},
        {"123456789abc", Color::fromRgb(0x789ABC)},
        {"12zz34", Color::fromRgb(0x000012)},
        {" ff", Color::fromRgb(0x000000)},              // no white space is skipped
        {"", Color::fromRgb(0x000000)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseColor(c.text), c.color) << '"' << c.text << '"';
    }
}

}  // namespace
}  // namespace korvel
