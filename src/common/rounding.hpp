#pragma once
// Rounding shared by the look-ahead's character counts and the image size.

#include <cmath>

namespace korvel {

// The integer part plus 1 when the fractional part is at least 0.5.
[[nodiscard]] inline double roundHalfUp(double value) noexcept
{
    const double whole = std::floor(value);
    return value - whole >= 0.5 ? whole + 1.0 : whole;
}

}  // namespace korvel
