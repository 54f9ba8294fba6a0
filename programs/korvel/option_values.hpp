#pragma once
// Conversions of option values given as text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "korvel/color.hpp"

namespace korvel {

// Like atoi: leading white space, an optional sign, then decimal digits up to
// the first other character; no digits gives 0. Values beyond 32 bits
// saturate to the nearest 32-bit value.
[[nodiscard]] std::int32_t parseInteger(const char* text) noexcept;

// Like atof with "." as decimal separator; no number gives 0.0.
[[nodiscard]] double parseDecimal(const char* text) noexcept;

// Hexadecimal RRGGBB (no prefix, read up to the first non-hex character; only
// the last six digits count).
[[nodiscard]] Color parseColor(const char* text) noexcept;

// Strict forms for the options added to the original eighteen: the whole
// text must be the number, or nothing is returned.
// Decimal digits only (no sign, no blanks), at most `largest`.
[[nodiscard]] std::optional<std::int64_t> parseWholeNumber(std::string_view text, std::int64_t largest) noexcept;
// Digits with at most one "." among or around them ("2", "0.25", ".5",
// "5."), whatever the locale; no sign, exponent or blanks.
[[nodiscard]] std::optional<double> parseStrictDecimal(std::string_view text) noexcept;

// "Error: Invalid value for NAME: VALUE." with the value's control and
// non-ASCII bytes shown as \xNN and a long value cut short, so that the
// message stays one readable line.
[[nodiscard]] std::string invalidValueMessage(std::string_view name, std::string_view value);

}  // namespace korvel
