#pragma once
// The named checks on one part of an AI value: check digits and check
// character pairs, dates and times, code lists, and the other structural
// rules of the AI table. The GS1 Company Prefix is checked for its form
// only (at least four digits where it stands; the prefix itself needs GS1's
// registry). The coupon layouts are in coupon_codes.hpp.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "gs1/component_spec.hpp"

namespace korvel::gs1 {

struct CheckContext {
    // The year two-digit years are read against: YY is taken from the
    // century that puts it at most 50 years before and 49 after.
    std::int64_t referenceYear = 2000;
};

// The full year of a two-digit year in the window around `referenceYear`.
[[nodiscard]] std::int64_t yearInCenturyWindow(int twoDigitYear, std::int64_t referenceYear) noexcept;

// What a check found wrong, and where in the part: the whole part, or a
// field of a structured part such as a coupon code.
struct CheckFault {
    std::string what;  // "check digit 0, expected 3"; empty when the check holds
    std::size_t offset = 0;
    std::size_t length = std::string_view::npos;  // npos: to the end of the part
};

// Runs `check` on `part`, which already has the length and character set
// its type asks for.
[[nodiscard]] CheckFault runCheck(Check check, std::string_view part, const CheckContext& context);

// The fault of a date written YYMMDD (or YYYYMMDD), naming the faulty field
// ("invalid date 261331: month 13"), or an empty string.
[[nodiscard]] std::string dateFault(std::string_view part, bool fourDigitYear, bool dayZeroAllowed,
                                    const CheckContext& context);

}  // namespace korvel::gs1
