#pragma once
// Conversions of option values given as text.

#include <cstdint>

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

}  // namespace korvel
