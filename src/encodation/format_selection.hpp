#pragma once
// Choosing the symbol format for an encoded length.

#include <cstddef>
#include <cstdint>

#include "encodation/format_candidates.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol_format.hpp"

namespace korvel {

// With preferredFormat 0, the first format in table order whose capacity holds
// `length` data codewords (8 when none does, target unchanged). Otherwise that
// format (7 when there is none, target unchanged; 10 when it is too small, the
// target then holding it).
[[nodiscard]] ResultCode selectFormat(std::int32_t preferredFormat, std::size_t length, SymbolFormat& target);

// The same over the candidates of the request: the first that holds `length`.
[[nodiscard]] ResultCode selectFormat(const FormatRequest& request, std::size_t length, SymbolFormat& target);

}  // namespace korvel
