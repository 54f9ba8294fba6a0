#pragma once
// The instant written into a PNG (its tIME chunk and "Creation Time" text):
// the --time option when given, else SOURCE_DATE_EPOCH from the environment
// when set (the reproducible-builds convention), else the clock. Two runs
// with the same arguments and time then write the same bytes.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string_view>

namespace korvel {

// The last second a PNG time stamp holds: 9999-12-31 23:59:59 UTC.
inline constexpr std::int64_t kLatestImageTime = 253402300799;

// Whole seconds since 1970-01-01 00:00:00 UTC written as decimal digits only
// (no sign, no blanks), 0 to kLatestImageTime; nothing for anything else.
[[nodiscard]] std::optional<std::int64_t> parseImageTime(std::string_view text) noexcept;

// Chooses the instant from the --time value (if given) and the value of
// SOURCE_DATE_EPOCH (null when the variable is not set). `when` is left
// empty when the clock is to be read at writing time. False, with `when`
// empty, when the variable decides and is malformed.
[[nodiscard]] bool chooseImageTime(std::optional<std::int64_t> timeOption, const char* sourceDateEpoch,
                                   std::optional<std::time_t>& when) noexcept;

}  // namespace korvel
