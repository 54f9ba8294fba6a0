#include <gtest/gtest.h>

#include "cli/image_time.hpp"
#include "cli/option_values.hpp"

namespace korvel {
namespace {

// --time decides, else SOURCE_DATE_EPOCH (null: not set), else the clock
// (nothing chosen); a malformed variable is refused.
TEST(ImageTime, OptionThenEnvironmentThenClock)
{
    const struct {
        std::optional<std::int64_t> option;
        const char* environment;
        std::optional<std::time_t> when;  // empty for the clock or a refusal
    } cases[] = {
        {std::nullopt, nullptr, std::nullopt}, {std::nullopt, "1700000000", 1700000000}, {std::nullopt, "0", 0},
        {std::nullopt, "253402300799", 253402300799}, {12, "1700000000", 12}, {12, "garbage", 12},
        {std::nullopt, "", {}}, {std::nullopt, "-1", {}}, {std::nullopt, "+5", {}}, {std::nullopt, " 5", {}},
        {std::nullopt, "5\n", {}}, {std::nullopt, "1e9", {}}, {std::nullopt, "12.0", {}}, {std::nullopt, "0x10", {}},
        {std::nullopt, "253402300800", {}}, {std::nullopt, "99999999999999999999999", {}},
    };
    for (const auto& c : cases) {
        std::optional<std::time_t> when = 99;
        const bool accepted = chooseImageTime(c.option, c.environment, when);
        EXPECT_EQ(when, c.when) << (c.environment != nullptr ? c.environment : "unset");
        EXPECT_EQ(accepted, c.when || c.environment == nullptr) << (c.environment != nullptr ? c.environment : "");
    }
}

TEST(StrictValues, WholeTextOrNothing)
{
    EXPECT_EQ(parseStrictDecimal("0.25"), 0.25);
    EXPECT_EQ(parseStrictDecimal(".5"), 0.5);
    EXPECT_EQ(parseStrictDecimal("5."), 5.0);
    EXPECT_EQ(parseStrictDecimal("100"), 100.0);
    for (const char* bad : {"", ".", "1.2.3", "-1", "+1", "1e2", " 1", "1 ", "0,5", "inf", "nan", "0x1"}) {
        EXPECT_FALSE(parseStrictDecimal(bad)) << bad;
    }
    EXPECT_EQ(invalidValueMessage("--dpi", "0"), "Error: Invalid value for --dpi: 0.");
    EXPECT_EQ(invalidValueMessage("--type", "s\nv\xC3"), "Error: Invalid value for --type: s\\x0av\\xc3.");
}

}  // namespace
}  // namespace korvel
