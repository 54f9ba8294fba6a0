#pragma once
// Calendar date and time of day, in UTC, for a count of seconds since
// 1970-01-01 00:00:00 UTC (proleptic Gregorian calendar, no leap seconds).
//
// The C library's gmtime_r gives the same fields, but its first call in a
// process loads the local time zone (reading /etc/localtime), although a
// UTC conversion never uses it; that file read costs a short run of the
// program more than writing the image does. This is plain arithmetic.

#include <cstdint>
#include <ctime>

namespace korvel {

struct UtcDateTime {
    std::int64_t year = 0;
    int month = 0;   // 1..12
    int day = 0;     // 1..31
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
    int second = 0;  // 0..59
};

// Defined for every std::time_t value.
[[nodiscard]] UtcDateTime toUtcDateTime(std::time_t secondsSinceEpoch) noexcept;

}  // namespace korvel
