#pragma once
// What the independent readers must return for a symbol, worked out from the
// data text and the structured append settings (by the library's expected
// reading), never from a reader's answer;
// a walk over the data codewords that names the encodation scheme each one
// belongs to; and one round trip (draw, read with both readers, compare).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "korvel/codeword_string.hpp"
#include "korvel/data_matrix_barcode.hpp"
#include "korvel/expected_reading.hpp"
#include "support/symbol_readers.hpp"

namespace korvel::testing {

// Everything of a barcode that decides what it holds.
struct SymbolInput {
    std::string data;  // data text with tilde escapes
    bool structuredAppend = false;
    int position = 1;  // 1..total
    int total = 2;     // 2..16
    int fileId = 1;    // 1..64516

    // Takes data and structured append settings from the barcode.
    [[nodiscard]] static SymbolInput of(const DataMatrixBarcode& barcode);
};

// The data text's elements, as the library resolves them for verification.
using DataElement = korvel::DataElement;
[[nodiscard]] inline std::vector<DataElement> resolveEscapes(std::string_view data)
{
    return resolveData(data, DataSyntax::TildeEscapes);
}

struct ExpectedReading {
    // zxing-cpp
    std::string content;             // bytes(): FNC1 as GS, macro header and trailer, no ECI
    std::string contentEci;          // bytesECI(): "]d4" form with "\nnnnnn" designators
    std::string symbologyId = "]d1";  // "]d2" FNC1 first, "]d3" FNC1 second
    bool readerInit = false;
    int sequenceIndex = -1;
    int sequenceSize = -1;
    std::string sequenceId;
    // libdmtx, told to report FNC1 as GS. It prints ECI and structured append
    // codewords as data bytes, so its output is only comparable without them.
    std::string dmtxOutput;
    bool dmtxOutputComparable = true;
    // Set when the codewords put an FNC1 in the second position although the
    // data has no FNC1 that may stand there.
    std::string problem;
};

// The readings of a symbol built from `input` (the library's expected
// reading, in the forms the two readers return); `placed` only tells whether
// an FNC1 landed in the second codeword.
[[nodiscard]] ExpectedReading expectReading(const SymbolInput& input, const CodewordString& placed);

// What is wrong with a zxing-cpp reading, described for a test log; empty
// when it is exactly the expected one.
[[nodiscard]] std::string zxingMismatch(const ZxingReading& reading, const ExpectedReading& expected);

// Encodation schemes as the codeword stream names them.
enum class Scheme { Ascii, C40, Text, X12, Edifact, Base256 };
[[nodiscard]] const char* schemeName(Scheme scheme);

struct SchemeRun {
    Scheme scheme = Scheme::Ascii;
    std::size_t first = 0;   // index of its latch codeword (of its first codeword for ASCII)
    std::size_t length = 0;  // codewords, latch and unlatch included
    bool emptyLatch = false;  // C40, Text or X12 latch followed at once by the unlatch 254
};

struct CodewordWalk {
    std::vector<SchemeRun> runs;
    std::size_t encodedLength = 0;  // data codewords before the first pad
    std::string error;              // empty when the stream is well formed
    [[nodiscard]] bool uses(Scheme scheme) const;
    [[nodiscard]] bool hasEmptyLatch() const;
};

// Follows the data codewords as a reader does (latches, unlatches, Base 256
// length fields, the implicit return to ASCII at the end of the symbol).
[[nodiscard]] CodewordWalk walkDataCodewords(const CodewordString& codewords, std::size_t dataCodewords);

// Non-printable bytes as \xNN, for messages.
[[nodiscard]] std::string printable(std::string_view bytes);
[[nodiscard]] std::string describeCodewords(const CodewordString& codewords, std::size_t count);

struct RoundTripOutcome {
    bool zxingMatched = false;
    bool dmtxAsked = false;    // libdmtx reads every format but 144 x 144
    bool dmtxLimited = false;  // ECI, structured append or an empty C40/Text/X12 segment,
                               // which libdmtx misreads: its output is not compared and
                               // it may give up
    bool dmtxRead = false;     // it returned a message
    bool dmtxCodewordsMatched = false;
    bool dmtxOutputChecked = false;
    bool dmtxOutputMatched = false;
    std::string report;        // empty when everything checked matched
};

// Counts of symbols read and matched, per reader.
struct RoundTripTally {
    int symbols = 0;       // encodings tried
    int refused = 0;       // ... that ended with a result other than 0
    int zxingRead = 0;     // symbols given to zxing-cpp
    int zxingMatched = 0;
    int dmtxAsked = 0;     // symbols given to libdmtx
    int dmtxRead = 0;
    int dmtxCodewordsMatched = 0;
    int dmtxDataChecked = 0;
    int dmtxDataMatched = 0;
    int failures = 0;      // symbols with any mismatch

    void add(const RoundTripOutcome& outcome);  // an accepted symbol and its readings
    void refuse() { ++symbols; ++refused; }      // an encoding that failed
    RoundTripTally& operator+=(const RoundTripTally& other);
};

// Prints the counts as table rows, one per label, for the test log.
void printTallies(const std::string& title, const std::vector<std::pair<std::string, RoundTripTally>>& rows);

// Draws the encoded barcode with `moduleSize` pixels per module (its own
// orientation and quiet zone) and has both readers read it back.
[[nodiscard]] RoundTripOutcome roundTrip(DataMatrixBarcode& barcode, int moduleSize);

}  // namespace korvel::testing
