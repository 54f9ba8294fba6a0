#pragma once
// The whole encodation of one symbol: data preparation, structured append
// header, leading ready codewords, the scheme runs, format selection, pad
// codewords and error correction.

#include <cstdint>
#include <string_view>

#include "encodation/data_item.hpp"
#include "korvel/codeword_string.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol_format.hpp"

namespace korvel {

struct EncodationSettings {
    std::string_view data;
    std::int32_t encodingMode = 0;
    std::int32_t preferredFormat = 0;
    bool structuredAppend = false;
    std::int32_t structuredAppendPosition = 1;  // 1..16
    std::int32_t structuredAppendTotal = 2;     // 2..16
    std::int32_t structuredAppendId = 1;        // 1..64516
    SymbolShape shape = SymbolShape::Square;    // automatic format selection only
    bool dmre = false;                          // formats 31..48 allowed
    bool utf8 = false;                          // the data text (after escapes) is UTF-8
    bool minimal = false;                       // automatic mode: fewest codewords instead of look-ahead
};

// Rebuilds `codewords` from empty. On 0 it holds the chosen format's data
// codewords followed by its error codewords, and `format` the chosen row.
[[nodiscard]] ResultCode encodeData(const EncodationSettings& settings, CodewordString& codewords,
                                    SymbolFormat& format);

// The four header codewords of a symbol in a structured append sequence.
void appendStructuredAppendHeader(std::int32_t position, std::int32_t total, std::int32_t id, CodewordString& out);

// Appends the ready codewords at the start of the list; returns their number.
std::size_t takeLeadingCodewords(const DataItemList& items, CodewordString& out);

// Appends `count` pad codewords: 129, then randomised 129s.
void padCodewords(std::uint16_t count, CodewordString& out);

}  // namespace korvel
