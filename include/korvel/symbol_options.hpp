#pragma once
// What a symbol holds: the data, how it is read and encoded, and its format.

#include <cstdint>
#include <string>

#include "korvel/encoding_mode.hpp"
#include "korvel/gs1.hpp"
#include "korvel/symbol_format.hpp"

namespace korvel {

// How the data text is read.
enum class DataSyntax {
    TildeEscapes,  // ~1 FNC1, ~7dddddd ECI, ~Xhh a byte, ~~ a tilde, ... (the command line's --data)
    Literal,       // every byte is data, nothing is an escape (data from a file)
    Gs1,           // GS1 element string or Digital Link URI, parsed and validated (see gs1.hpp)
    Hibc,          // HIBC supplier label data; '+' and the check character are added
};

// One symbol of a structured append sequence.
struct StructuredAppend {
    bool enabled = false;
    std::int32_t position = 1;  // 1..16, at most total
    std::int32_t total = 2;     // 2..16
    std::int32_t id = 1;        // file identification shared by the sequence, 1..64516

    static constexpr std::int32_t kMaxId = 64516;  // 254 x 254
};

struct SymbolOptions {
    std::string data = "1234567";
    DataSyntax syntax = DataSyntax::TildeEscapes;
    EncodingMode mode = EncodingMode::Automatic;
    // 0: the smallest format of `shape` that holds the data; 1..24 square and
    // 25..30 rectangular formats of the format table; 31..48 with `dmre`.
    std::int32_t preferredFormat = 0;
    StructuredAppend structuredAppend;
    // With preferredFormat 0: square formats, or the rectangle with the fewest
    // data codewords that holds the data (the smaller area among equals).
    SymbolShape shape = SymbolShape::Square;
    // The rectangular extension formats 31..48 (DMRE): as a preferred format,
    // and among the rectangles that automatic selection chooses from.
    bool dmre = false;
    // The data text (after escapes) is UTF-8: written in ISO 8859-1 when every
    // character has a place there, else as UTF-8 behind ECI 000026. Ill-formed
    // UTF-8 fails with 5.
    bool utf8 = false;
    // Automatic mode only: the encodation with the fewest data codewords over
    // all schemes instead of the look-ahead's; never a larger symbol.
    bool minimal = false;
    // With DataSyntax::Gs1: which checks run, and what separates a
    // variable-length value from the next AI.
    Gs1Options gs1;
    Gs1Separator gs1Separator = Gs1Separator::Fnc1;
};

}  // namespace korvel
