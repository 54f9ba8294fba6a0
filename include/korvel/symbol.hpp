#pragma once
// A finished Data Matrix symbol: its format, its codewords and its module
// matrix. A symbol is made complete by encode and only read afterwards.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "korvel/codeword_string.hpp"
#include "korvel/encoding_mode.hpp"
#include "korvel/gs1.hpp"
#include "korvel/module_matrix.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol_format.hpp"
#include "korvel/symbol_options.hpp"

namespace korvel {

// A stretch of the data encoded in one scheme: the scheme (never Automatic)
// and the data items it holds, one per data byte and one per function
// codeword (FNC1, reader programming, macro; an ECI takes two to four).
struct EncodationSegment {
    EncodingMode scheme = EncodingMode::Ascii;
    std::size_t items = 0;

    friend constexpr bool operator==(const EncodationSegment&, const EncodationSegment&) = default;
};

class Symbol {
public:
    // An empty symbol: no format, no codewords, a 0 x 0 matrix.
    Symbol() = default;

    [[nodiscard]] bool empty() const noexcept { return codewords_.empty(); }
    [[nodiscard]] const SymbolFormat& format() const noexcept { return format_; }
    // Data codewords (format().dataCodewords of them) followed by the error
    // codewords (format().errorCodewords).
    [[nodiscard]] const CodewordString& codewords() const noexcept { return codewords_; }
    // The modules as encoded, upright; writers turn them as they draw.
    [[nodiscard]] const ModuleMatrix& matrix() const noexcept { return matrix_; }
    // The schemes the data was encoded in, in data order. Function codewords
    // at the very start of the data count as ASCII.
    [[nodiscard]] const std::vector<EncodationSegment>& encodation() const noexcept { return encodation_; }
    // Data codewords before the padding (structured append header included).
    [[nodiscard]] std::size_t dataCodewordsUsed() const noexcept { return dataCodewordsUsed_; }
    // GS1 data: the elements as parsed and validated; empty for other data.
    [[nodiscard]] const Gs1Data& gs1Data() const noexcept { return gs1_; }
    // The human-readable interpretation printed under a GS1 symbol
    // ("(01) 09501101530003 (17) 261231") or a HIBC symbol ("+A123BJC5D6E71G");
    // empty for other data.
    [[nodiscard]] const std::string& humanReadableText() const noexcept { return humanReadable_; }
    // The text RenderOptions::hriText draws under the symbol: the
    // human-readable text of GS1 and HIBC data, otherwise the data itself
    // when every character of it is printable ASCII (space to '~', no
    // function characters); nothing for other data.
    [[nodiscard]] const std::optional<std::string>& hriText() const noexcept { return hriText_; }

private:
    friend Outcome encode(const SymbolOptions& options, Symbol& symbol);

    SymbolFormat format_;
    CodewordString codewords_;
    ModuleMatrix matrix_;
    std::vector<EncodationSegment> encodation_;
    std::size_t dataCodewordsUsed_ = 0;
    Gs1Data gs1_;
    std::string humanReadable_;
    std::optional<std::string> hriText_;
};

// Encodes the options into `symbol`. On failure `symbol` keeps what it held.
// Failures: 1 a structured append setting out of range (position 1..total,
// total 2..16, id 1..64516), the minimal encodation with an explicit mode, or
// UTF-8 with GS1 or HIBC data; 5 data the scheme cannot encode or ill-formed
// UTF-8 (with the byte in the detail), 6 a mode outside the enumeration, 7 no
// format with that number, 8 too long for any format, 10 too long for the
// preferred format, 14 memory ran out, 15 GS1 or HIBC data that fails a check
// (the detail names the AI, the character and the fault).
[[nodiscard]] Outcome encode(const SymbolOptions& options, Symbol& symbol);

}  // namespace korvel
