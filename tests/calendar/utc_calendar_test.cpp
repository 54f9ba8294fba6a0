#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <limits>
#include <random>

#include "calendar/utc_calendar.hpp"

namespace korvel {
namespace {

// The C library's conversion is the reference; only the fields differ in type.
void expectSameAsGmtime(std::time_t when)
{
    std::tm reference{};
    ASSERT_NE(gmtime_r(&when, &reference), nullptr) << when;
    const UtcDateTime got = toUtcDateTime(when);
    EXPECT_EQ(got.year, std::int64_t{reference.tm_year} + 1900) << when;
    EXPECT_EQ(got.month, reference.tm_mon + 1) << when;
    EXPECT_EQ(got.day, reference.tm_mday) << when;
    EXPECT_EQ(got.hour, reference.tm_hour) << when;
    EXPECT_EQ(got.minute, reference.tm_min) << when;
    EXPECT_EQ(got.second, reference.tm_sec) << when;
}

TEST(UtcCalendar, AgreesWithGmtimeAtCalendarEdges)
{
    const std::time_t edges[] = {
        0,            -1,           86399,        86400,        -86400,       -86401,
        951782400,    951868799,    951868800,    // 2000-02-29 and 2000-03-01: a leap century
        -2203891200,  -2203977600,  // 1900-03-01 and 1900-02-28: a century without a leap day
        4107542400,   4107456000,   // 2100-03-01 and 2100-02-28
        1709164800,   1709251199,   // 2024-02-29
        -62167219200, -62167219201, // 0000-01-01 00:00:00 and the second before
        2147483647,   2147483648,   -2147483648,
        253402300799, 253402300800, // the last second of 9999 and the first of 10000
    };
    for (const std::time_t when : edges) {
        expectSameAsGmtime(when);
    }
}

TEST(UtcCalendar, AgreesWithGmtimeOverTwentyMillenniaOfRandomInstants)
{
    std::mt19937_64 random(20261207);
    // From the year -9999 to 19999.
    std::uniform_int_distribution<std::int64_t> anySecond(-377705116800, 568971820799);
    for (int i = 0; i < 200000; ++i) {
        expectSameAsGmtime(static_cast<std::time_t>(anySecond(random)));
    }
}

TEST(UtcCalendar, ExtremeTimesStayInRangeWithoutOverflow)
{
    // gmtime_r cannot express these years in an int; the fields must still be
    // well formed and the years far outside what a PNG time stamp holds.
    for (const std::time_t when : {std::numeric_limits<std::time_t>::min(), std::numeric_limits<std::time_t>::max()}) {
        const UtcDateTime got = toUtcDateTime(when);
        EXPECT_GE(got.month, 1);
        EXPECT_LE(got.month, 12);
        EXPECT_GE(got.day, 1);
        EXPECT_LE(got.day, 31);
        EXPECT_GE(got.hour, 0);
        EXPECT_LE(got.hour, 23);
        EXPECT_GE(got.second, 0);
        EXPECT_LE(got.second, 59);
        EXPECT_TRUE(got.year < 0 || got.year > 65535) << got.year;
    }
}

}  // namespace
}  // namespace korvel
