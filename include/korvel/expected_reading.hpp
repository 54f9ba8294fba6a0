#pragma once
// What a Data Matrix reader returns for a symbol, and what it must return for
// the data that was meant: the data bytes, the symbology identifier, ECI
// designations, reader programming and the structured append position.
// The expectation is worked out from the data text itself, apart from the
// encoder, so that a symbol can be checked against it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "korvel/codeword_string.hpp"
#include "korvel/symbol.hpp"
#include "korvel/symbol_format.hpp"
#include "korvel/symbol_options.hpp"

namespace korvel {

// One element of the data once its escapes are resolved.
struct DataElement {
    enum class Kind { Byte, Fnc1, ReaderProgramming, Macro05, Macro06, Eci };
    Kind kind = Kind::Byte;
    std::uint32_t value = 0;  // the byte, or the ECI number

    friend constexpr bool operator==(const DataElement&, const DataElement&) = default;
};

// The data as elements: with tilde escapes resolved, or byte for byte for
// literal data.
[[nodiscard]] std::vector<DataElement> resolveData(std::string_view data, DataSyntax syntax);

// An ECI that applies to the data bytes from `offset` on.
struct EciDesignation {
    std::uint32_t number = 0;
    std::size_t offset = 0;

    friend constexpr bool operator==(const EciDesignation&, const EciDesignation&) = default;
};

// A symbol as a reader returns it.
struct SymbolReading {
    // The data bytes: an FNC1 that is not in the first or second position as
    // GS (0x1D), the header "[)>RS05GS" or "[)>RS06GS" and trailer "RS EOT"
    // of a 05 or 06 macro, no ECI codewords.
    std::string bytes;
    // "]d1" plain, "]d2" FNC1 in the first position (GS1), "]d3" FNC1 in the
    // second position (AIM application indicator); DMRE symbols (ISO/IEC
    // 21471) six above: "]d7", "]d8", "]d9". Data with ECI designations
    // reads with the same identifiers (zxing-cpp 1.4 reports no ECI modifier).
    std::string symbologyId = "]d1";
    std::vector<EciDesignation> ecis;  // in data order
    bool readerProgramming = false;
    // Structured append: position 1..total, or 0 and 0 outside a sequence.
    // (Readers report the file identification in ways of their own; it is
    // not part of a reading.)
    int sequencePosition = 0;
    int sequenceTotal = 0;
};

// What readers return for `options` encoded into `codewords` (a symbol's
// data codewords, or all of its codewords) in `format`. The format decides
// the symbology identifier's range (ECC 200 or DMRE; a format with no number
// counts as ECC 200). The codewords decide one thing only: whether an FNC1
// after the first data character stands in the second codeword, where
// readers take it as an application indicator ("]d3") instead of a GS.
// `problem` is set when the codewords put an FNC1 there although the data
// has none that may stand there (no reader returns what was meant then).
struct ExpectedReading {
    SymbolReading reading;
    std::string problem;
};
[[nodiscard]] ExpectedReading expectedReading(const SymbolOptions& options, const SymbolFormat& format,
                                              const CodewordString& codewords);
// The same for a finished symbol: its format and codewords.
[[nodiscard]] ExpectedReading expectedReading(const SymbolOptions& options, const Symbol& symbol);

// The ECI designations a reader can tell apart: one per stretch of data
// bytes, the bytes before the first designation under ECI 3 when the data
// has any. Designations that no byte follows are not visible in a reading.
[[nodiscard]] std::vector<EciDesignation> visibleEciSegments(const SymbolReading& reading);

// Empty when the two readings agree in every part a reader reports;
// otherwise what differs, as one line ("data byte 4 is 'C', meant 'D'").
[[nodiscard]] std::string compareReadings(const SymbolReading& read, const SymbolReading& meant);

}  // namespace korvel
