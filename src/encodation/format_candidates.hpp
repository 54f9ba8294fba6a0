#pragma once
// The formats that format selection tries for one symbol, in the order it
// tries them: the preferred format alone, or by shape the smallest first.

#include <cstdint>
#include <span>

#include "korvel/symbol_format.hpp"

namespace korvel {

struct FormatRequest {
    std::int32_t preferredFormat = 0;  // 0: automatic; else the format number
    SymbolShape shape = SymbolShape::Square;  // automatic selection only
    bool dmre = false;  // formats 31..48 may be preferred or, for rectangles, chosen
};

// Square: formats 1..24 in table order. Rectangle: formats 25..30 (and 31..48
// with DMRE) by increasing data capacity, the smaller area first among equal
// ones. A preferred format alone, or nothing when there is no such format.
[[nodiscard]] std::span<const SymbolFormat> formatCandidates(const FormatRequest& request) noexcept;

}  // namespace korvel
