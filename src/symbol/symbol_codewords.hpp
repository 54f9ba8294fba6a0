#pragma once
// A symbol's whole codeword string: the encodation's data codewords, padded
// to the chosen format's capacity, then its Reed-Solomon error codewords.

#include "encodation/encodation_driver.hpp"
#include "korvel/codeword_string.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol_format.hpp"

namespace korvel {

// Rebuilds `codewords` from empty. On 0 it holds the chosen format's data
// codewords followed by its error codewords, `format` the chosen row and,
// when given, `summary` how the data was encoded.
[[nodiscard]] ResultCode encodeData(EncodationInput input, CodewordString& codewords, SymbolFormat& format,
                                    EncodationSummary* summary = nullptr);

}  // namespace korvel
