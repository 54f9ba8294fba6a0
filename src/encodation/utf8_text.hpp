#pragma once
// Data text given as UTF-8. Readers take data without an ECI designator as
// ISO 8859-1, so text that ISO 8859-1 can hold is written in it; any other text
// keeps its UTF-8 bytes behind the designator of ECI 000026 (UTF-8).

#include <cstddef>
#include <cstdint>
#include <variant>

#include "encodation/data_item.hpp"

namespace korvel {

inline constexpr std::uint32_t kEciUtf8 = 26;

// Where the data characters stop being UTF-8: the 1-based position, among the
// data characters (ready codewords not counted), of the first byte of the
// ill-formed sequence.
struct InvalidUtf8 {
    std::size_t byte = 0;
};

// The prepared items of UTF-8 text: its ISO 8859-1 bytes when every character
// is U+0000..U+00FF, else the UTF-8 bytes with the ECI 000026 designator ahead
// of them, after the ready codewords that lead the data (FNC1 in first
// position, macro, reader programming). Data that already carries an ECI
// designator keeps all its bytes as given, UTF-8 or not, and gets no second
// one. A sequence broken by a
// ready codeword is invalid, as are overlong forms, surrogates and code points
// above U+10FFFF.
[[nodiscard]] std::variant<DataItemList, InvalidUtf8> utf8DataItems(const DataItemList& items);

}  // namespace korvel
