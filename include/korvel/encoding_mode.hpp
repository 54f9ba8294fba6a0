#pragma once
// Encodation modes. Automatic lets the look-ahead switch between the six
// schemes; the others encode the whole data in one scheme. The numbers are
// those of the command line's -m option.

#include <cstdint>
#include <optional>

namespace korvel {

enum class EncodingMode : std::int32_t {
    Automatic = 0,
    Ascii = 1,
    C40 = 2,
    Text = 3,
    Base256 = 4,
    Edifact = 5,
    X12 = 6,
};

// The mode with this number, or nothing outside 0..6.
[[nodiscard]] constexpr std::optional<EncodingMode> encodingModeFromNumber(std::int32_t number) noexcept
{
    if (number < 0 || number > 6) {
        return std::nullopt;
    }
    return static_cast<EncodingMode>(number);
}

}  // namespace korvel
