#pragma once
// One element of the prepared data: a data character that a scheme encoder
// still has to encode, or a ready codeword (FNC1, ECI, macro) produced by an
// escape sequence.

#include <cstdint>
#include <vector>

#include "korvel/encoding_mode.hpp"

namespace korvel {

// Inside the encodation the schemes are named without their enumeration.
using enum EncodingMode;

struct DataItem {
    std::uint8_t value = 0;
    bool isCodeword = false;

    friend constexpr bool operator==(const DataItem&, const DataItem&) = default;
};

using DataItemList = std::vector<DataItem>;

[[nodiscard]] constexpr bool isDigit(std::uint8_t c) noexcept { return c >= '0' && c <= '9'; }

}  // namespace korvel
