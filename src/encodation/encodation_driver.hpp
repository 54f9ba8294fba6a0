#pragma once
// The whole encodation of one symbol's data: structured append header,
// leading ready codewords, the scheme runs, format selection and pad
// codewords. Error correction is the symbol pipeline's next step.

#include <cstdint>

#include "encodation/data_item.hpp"
#include "korvel/codeword_string.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol_format.hpp"
#include "korvel/symbol.hpp"
#include "korvel/symbol_options.hpp"

namespace korvel {

// What the driver encodes: prepared data items and the symbol's settings.
struct EncodationInput {
    DataItemList items;
    EncodingMode mode = EncodingMode::Automatic;
    std::int32_t preferredFormat = 0;
    StructuredAppend structuredAppend{};      // position, total and id within their ranges
    SymbolShape shape = SymbolShape::Square;  // automatic format selection only
    bool dmre = false;                        // formats 31..48 allowed
    bool minimal = false;                     // automatic mode: fewest codewords instead of look-ahead
};

// How the data went into codewords: the scheme runs, and the data codewords
// before padding.
struct EncodationSummary {
    std::vector<EncodationSegment> segments;
    std::size_t dataCodewordsUsed = 0;
};

// Rebuilds `codewords` from empty. On 0 it holds the chosen format's data
// codewords, padded to its capacity, `format` the chosen row and, when
// given, `summary` how the data was encoded.
[[nodiscard]] ResultCode encodeDataCodewords(EncodationInput input, CodewordString& codewords, SymbolFormat& format,
                                             EncodationSummary* summary = nullptr);

// The four header codewords of a symbol in a structured append sequence.
void appendStructuredAppendHeader(std::int32_t position, std::int32_t total, std::int32_t id, CodewordString& out);

// Appends the ready codewords at the start of the list; returns their number.
std::size_t takeLeadingCodewords(const DataItemList& items, CodewordString& out);

// Appends `count` pad codewords: 129, then randomised 129s.
void padCodewords(std::uint16_t count, CodewordString& out);

}  // namespace korvel
