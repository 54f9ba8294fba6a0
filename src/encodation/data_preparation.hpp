#pragma once
// Turning the data text into data items: tilde escape sequences become ready
// codewords or single data characters; everything else is taken byte for byte.

#include <cstdint>
#include <string_view>

#include "encodation/data_item.hpp"
#include "korvel/codeword_string.hpp"

namespace korvel {

inline constexpr std::uint8_t kFnc1 = 232;
inline constexpr std::uint8_t kStructuredAppend = 233;
inline constexpr std::uint8_t kReaderProgramming = 234;
inline constexpr std::uint8_t kMacro05 = 236;
inline constexpr std::uint8_t kMacro06 = 237;
inline constexpr std::uint8_t kEciDesignator = 241;

// Resolves ~1, ~3, ~5, ~6 (the last three only at the start), ~7dddddd (ECI),
// ~N, ~R, ~Xhh / ~xhh and ~~. A tilde that starts no valid sequence is an
// ordinary data character, and so is the character after it.
[[nodiscard]] DataItemList prepareData(std::string_view text);

// Appends 241 and the one to three codewords of an ECI number (0..999999);
// a larger number gets 241 alone.
void encodeEci(std::uint32_t number, CodewordString& out);

}  // namespace korvel
