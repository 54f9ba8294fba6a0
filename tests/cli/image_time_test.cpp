#include <gtest/gtest.h>

#include "cli/image_time.hpp"

namespace korvel {
namespace {

// --time decides, else SOURCE_DATE_EPOCH (null: not set), else the clock
// (nothing chosen); a malformed variable is refused by its name.
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
        const std::string label = c.environment != nullptr ? c.environment : "unset";
        std::optional<std::time_t> when = 99;
        const Outcome outcome = chooseImageTime(c.option, c.environment, when);
        EXPECT_EQ(when, c.when) << label;
        const bool refused = !c.when && c.environment != nullptr;
        EXPECT_EQ(outcome.code, refused ? ResultCode::InvalidArgument : ResultCode::Ok) << label;
        EXPECT_EQ(outcome.detail.find("SOURCE_DATE_EPOCH") != std::string::npos, refused) << outcome.detail;
        EXPECT_EQ(outcome.detail.find('\n'), std::string::npos) << outcome.detail;
    }
}

}  // namespace
}  // namespace korvel
