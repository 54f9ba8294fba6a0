#include "calendar/utc_calendar.hpp"

namespace korvel {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kDaysPer400Years = 146097;
// Days from 0000-03-01 to 1970-01-01: counting years from 1 March puts the
// leap day at the end of each year.
constexpr std::int64_t kEpochShiftDays = 719468;

std::int64_t floorDivide(std::int64_t value, std::int64_t divisor)
{
    const std::int64_t quotient = value / divisor;
    return (value % divisor < 0) ? quotient - 1 : quotient;
}

// Year, month and day of a count of days since 1970-01-01.
void setCivilDate(std::int64_t daysSinceEpoch, UtcDateTime& out)
{
    const std::int64_t days = daysSinceEpoch + kEpochShiftDays;
    const std::int64_t era = floorDivide(days, kDaysPer400Years);
    const std::int64_t dayOfEra = days - era * kDaysPer400Years;  // 0..146096
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / (kDaysPer400Years - 1)) / 365;  // 0..399
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);  // 0..365
    const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;                                  // 0..11
    out.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    out.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    out.year = yearOfEra + era * 400 + (out.month <= 2 ? 1 : 0);
}

}  // namespace

UtcDateTime toUtcDateTime(std::time_t secondsSinceEpoch) noexcept
{
    const auto seconds = static_cast<std::int64_t>(secondsSinceEpoch);
    const std::int64_t days = floorDivide(seconds, kSecondsPerDay);
    const std::int64_t remainder = seconds % kSecondsPerDay;
    const std::int64_t secondOfDay = remainder < 0 ? remainder + kSecondsPerDay : remainder;
    UtcDateTime out;
    setCivilDate(days, out);
    out.hour = static_cast<int>(secondOfDay / 3600);
    out.minute = static_cast<int>(secondOfDay / 60 % 60);
    out.second = static_cast<int>(secondOfDay % 60);
    return out;
}

}  // namespace korvel
