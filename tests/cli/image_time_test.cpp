#include <gtest/gtest.h>

#include <optional>

#include "cli/image_time.hpp"

namespace korvel {
namespace {

struct TimeCase {
    std::optional<std::int64_t> option;
    const char* environment;  // SOURCE_DATE_EPOCH, null when not set
    ResultCode result;
    std::optional<std::time_t> when;  // empty: the clock
};

TEST(ImageTime, OptionThenEnvironmentThenClock)
{
    const TimeCase cases[] = {
        {std::nullopt, nullptr, ResultCode::Ok, std::nullopt},
        {std::nullopt, "1700000000", ResultCode::Ok, 1700000000},
        {std::nullopt, "0", ResultCode::Ok, 0},
        {std::nullopt, "253402300799", ResultCode::Ok, 253402300799},
        {12, "1700000000", ResultCode::Ok, 12},
        {12, "garbage", ResultCode::Ok, 12},  // never read when --time decides
    };
    for (const TimeCase& c : cases) {
        std::optional<std::time_t> when = 99;
        const Outcome outcome = chooseImageTime(c.option, c.environment, when);
        EXPECT_EQ(outcome.code, c.result) << (c.environment ? c.environment : "unset");
        EXPECT_EQ(when, c.when) << (c.environment ? c.environment : "unset");
    }
}

TEST(ImageTime, MalformedEnvironmentIsRefusedByName)
{
    for (const char* value : {"", "-1", "+5", " 5", "5 ", "1e9", "12.0", "0x10", "253402300800",
                              "99999999999999999999999", "5\n"}) {
        std::optional<std::time_t> when;
        const Outcome outcome = chooseImageTime(std::nullopt, value, when);
        EXPECT_EQ(outcome.code, ResultCode::InvalidArgument) << value;
        EXPECT_NE(outcome.detail.find("SOURCE_DATE_EPOCH"), std::string::npos) << outcome.detail;
        EXPECT_EQ(outcome.detail.find('\n'), std::string::npos) << outcome.detail;
        EXPECT_FALSE(when) << value;
    }
}

}  // namespace
}  // namespace korvel
