// The reading a data text must give, derived from the text alone (the
// encoder's own data preparation is not used, so that a fault there shows),
// and the comparison of two readings.

#include "korvel/expected_reading.hpp"

#include "symbol/symbol_data.hpp"

#include <algorithm>
#include <optional>

#include "common/byte_text.hpp"

namespace korvel {
namespace {

using Kind = DataElement::Kind;

bool isDecimal(char c) { return c >= '0' && c <= '9'; }

// The six digits after "~7" at `at`, when they are all there.
std::optional<std::uint32_t> eciDigits(std::string_view data, std::size_t at)
{
    if (at + 6 > data.size()) {
        return std::nullopt;
    }
    std::uint32_t number = 0;
    for (std::size_t k = at; k < at + 6; ++k) {
        if (!isDecimal(data[k])) {
            return std::nullopt;
        }
        number = number * 10 + static_cast<std::uint32_t>(data[k] - '0');
    }
    return number;
}

// Header and trailer that readers put around the data of a 05 or 06 macro.
std::string macroHeader(Kind kind) { return std::string("[)>\x1E") + (kind == Kind::Macro05 ? "05" : "06") + "\x1D"; }
constexpr std::string_view kMacroTrailer = "\x1E\x04";

constexpr std::uint8_t kFnc1Codeword = 232;

// DMRE symbols (ISO/IEC 21471) carry the ECC 200 modifiers plus six.
constexpr int kDmreModifierOffset = 6;

// Whether the codewords hold an FNC1 as the second data codeword (after any
// structured append header) behind one codeword that stands for itself in
// ASCII: not a latch, upper shift, ECI, pad or header, each of which gives
// the next codeword another meaning.
bool fnc1InSecondCodeword(const CodewordString& codewords, bool structuredAppend)
{
    const std::size_t first = structuredAppend ? 4 : 0;
    if (codewords.size() <= first + 1 || codewords[first + 1] != kFnc1Codeword) {
        return false;
    }
    switch (codewords[first]) {
    case 129: case 230: case 231: case 233: case 235: case 238: case 239: case 240: case 241: return false;
    default: return true;
    }
}

// The element index of the FNC1 that readers take as an application
// indicator, or nothing. Only an FNC1 right after one character, or after a
// leading digit pair, can be the second codeword.
std::optional<std::size_t> secondPositionFnc1(const std::vector<DataElement>& elements, std::string& problem)
{
    std::optional<std::size_t> found;
    for (std::size_t k = 1; k < elements.size() && !found; ++k) {
        if (elements[k].kind == Kind::Fnc1) {
            found = k;
        }
    }
    const auto digitAt = [&](std::size_t k) {
        return elements[k].kind == Kind::Byte && elements[k].value >= '0' && elements[k].value <= '9';
    };
    if (found && (*found == 1 || (*found == 2 && digitAt(0) && digitAt(1)))) {
        return found;
    }
    problem = "the second codeword is FNC1 but the data has no FNC1 after its first character";
    return std::nullopt;
}

std::string sequenceText(const SymbolReading& reading)
{
    if (reading.sequenceTotal == 0) {
        return "no structured append";
    }
    return "structured append " + std::to_string(reading.sequencePosition) + " of " +
           std::to_string(reading.sequenceTotal);
}

std::string eciText(const std::vector<EciDesignation>& ecis)
{
    if (ecis.empty()) {
        return "no ECI";
    }
    std::string text;
    for (const EciDesignation& eci : ecis) {
        text += (text.empty() ? "ECI " : ", ECI ") + std::to_string(eci.number) + " from byte " +
                std::to_string(eci.offset + 1);
    }
    return text;
}

std::string bytesDifference(const std::string& read, const std::string& meant)
{
    const auto [r, m] = std::mismatch(read.begin(), read.end(), meant.begin(), meant.end());
    const auto at = static_cast<std::size_t>(r - read.begin());
    std::string text = "the data reads \"" + printableExcerpt(read, at) + "\" (" + std::to_string(read.size()) +
                       " bytes), meant \"" + printableExcerpt(meant, at) + "\" (" + std::to_string(meant.size()) +
                       " bytes)";
    if (r != read.end() && m != meant.end()) {
        text += ", first difference at byte " + std::to_string(at + 1);
    }
    return text;
}

// The ECI number of the codewords after an ECI designator.
std::uint32_t eciNumber(const DataItemList& items, std::size_t& k)
{
    const auto next = [&]() { return ++k < items.size() ? std::uint32_t{items[k].value} : 0U; };
    const std::uint32_t c1 = next();
    if (c1 <= 127) {
        return c1 - 1;
    }
    const std::uint32_t c2 = next();
    if (c1 <= 191) {
        return (c1 - 128) * 254 + c2 - 1 + 127;
    }
    const std::uint32_t c3 = next();
    return (c1 - 192) * 64516 + (c2 - 1) * 254 + c3 - 1 + 16383;
}

// The elements of data that the command prepares itself (GS1 and HIBC data
// with their framing, UTF-8 text in the bytes it is written in).
std::vector<DataElement> preparedElements(const DataItemList& items)
{
    std::vector<DataElement> elements;
    for (std::size_t k = 0; k < items.size(); ++k) {
        const DataItem& item = items[k];
        if (!item.isCodeword) {
            elements.push_back({Kind::Byte, item.value});
            continue;
        }
        switch (item.value) {
        case 232: elements.push_back({Kind::Fnc1, 0}); break;
        case 234: elements.push_back({Kind::ReaderProgramming, 0}); break;
        case 236: elements.push_back({Kind::Macro05, 0}); break;
        case 237: elements.push_back({Kind::Macro06, 0}); break;
        case 241: elements.push_back({Kind::Eci, eciNumber(items, k)}); break;
        default: break;
        }
    }
    return elements;
}

// What the data means: its text with the escapes resolved, or, for data the
// encoder frames or converts, the data as framed.
std::vector<DataElement> meantElements(const SymbolOptions& options)
{
    const bool framed = options.syntax == DataSyntax::Gs1 || options.syntax == DataSyntax::Hibc || options.utf8;
    DataItemList items;
    if (framed && prepareSymbolData(options, items).ok()) {
        return preparedElements(items);
    }
    return resolveData(options.data, options.syntax);
}

}  // namespace

std::vector<DataElement> resolveData(std::string_view data, DataSyntax syntax)
{
    std::vector<DataElement> elements;
    elements.reserve(data.size());
    std::size_t i = 0;
    while (i < data.size()) {
        const auto byte = static_cast<std::uint8_t>(data[i]);
        if (syntax == DataSyntax::Literal || data[i] != '~' || i + 1 == data.size()) {
            elements.push_back({Kind::Byte, byte});
            ++i;
            continue;
        }
        const char next = data[i + 1];
        std::size_t used = 2;
        if (next == '1') {
            elements.push_back({Kind::Fnc1, 0});
        } else if (i == 0 && (next == '3' || next == '5' || next == '6')) {
            elements.push_back({next == '3' ? Kind::ReaderProgramming : next == '5' ? Kind::Macro05 : Kind::Macro06, 0});
        } else if (const auto eci = next == '7' ? eciDigits(data, i + 2) : std::nullopt) {
            elements.push_back({Kind::Eci, *eci});
            used = 8;
        } else if (next == 'N' || next == 'R') {
            elements.push_back({Kind::Byte, next == 'N' ? 10U : 13U});
        } else if ((next == 'X' || next == 'x') && i + 3 < data.size() && hexDigit(data[i + 2]) >= 0 &&
                   hexDigit(data[i + 3]) >= 0) {
            elements.push_back({Kind::Byte, static_cast<std::uint32_t>(hexDigit(data[i + 2]) * 16 + hexDigit(data[i + 3]))});
            used = 4;
        } else if (next == '~') {
            elements.push_back({Kind::Byte, '~'});
        } else {
            // Not an escape: the tilde is data, and the next character is read as usual.
            elements.push_back({Kind::Byte, '~'});
            used = 1;
        }
        i += used;
    }
    return elements;
}

ExpectedReading expectedReading(const SymbolOptions& options, const Symbol& symbol)
{
    return expectedReading(options, symbol.format(), symbol.codewords());
}

ExpectedReading expectedReading(const SymbolOptions& options, const SymbolFormat& format, const CodewordString& codewords)
{
    const std::vector<DataElement> elements = meantElements(options);
    ExpectedReading expected;
    SymbolReading& reading = expected.reading;
    const bool sequence = options.structuredAppend.enabled;
    std::optional<std::size_t> secondFnc1;
    if (fnc1InSecondCodeword(codewords, sequence)) {
        secondFnc1 = secondPositionFnc1(elements, expected.problem);
    }

    bool macro = false;
    for (std::size_t k = 0; k < elements.size(); ++k) {
        const DataElement& e = elements[k];
        switch (e.kind) {
        case Kind::Byte: reading.bytes += static_cast<char>(e.value); break;
        case Kind::Fnc1:
            if (k == 0) {
                reading.symbologyId = "]d2";
            } else if (secondFnc1 == k) {
                reading.symbologyId = "]d3";
            } else {
                reading.bytes += '\x1D';
            }
            break;
        case Kind::ReaderProgramming: reading.readerProgramming = true; break;
        case Kind::Macro05:
        case Kind::Macro06:
            macro = true;
            reading.bytes += macroHeader(e.kind);
            break;
        case Kind::Eci: reading.ecis.push_back({e.value, reading.bytes.size()}); break;
        }
    }
    if (macro) {
        reading.bytes += kMacroTrailer;
    }
    if (isDmre(format)) {
        reading.symbologyId[2] = static_cast<char>(reading.symbologyId[2] + kDmreModifierOffset);
    }
    if (sequence) {
        reading.sequencePosition = options.structuredAppend.position;
        reading.sequenceTotal = options.structuredAppend.total;
    }
    return expected;
}

std::vector<EciDesignation> visibleEciSegments(const SymbolReading& reading)
{
    std::vector<EciDesignation> segments;
    if (reading.ecis.empty()) {
        return segments;
    }
    const std::size_t end = reading.bytes.size();
    const auto addIfBytesFollow = [&](std::uint32_t number, std::size_t from, std::size_t to) {
        if (from < to) {
            segments.push_back({number, from});
        }
    };
    addIfBytesFollow(3, 0, reading.ecis.front().offset);
    for (std::size_t k = 0; k < reading.ecis.size(); ++k) {
        const std::size_t next = k + 1 < reading.ecis.size() ? reading.ecis[k + 1].offset : end;
        addIfBytesFollow(reading.ecis[k].number, reading.ecis[k].offset, std::min(next, end));
    }
    return segments;
}

std::string compareReadings(const SymbolReading& read, const SymbolReading& meant)
{
    std::vector<std::string> differences;
    if (read.bytes != meant.bytes) {
        differences.push_back(bytesDifference(read.bytes, meant.bytes));
    }
    if (read.symbologyId != meant.symbologyId) {
        differences.push_back("symbology identifier " + read.symbologyId + ", meant " + meant.symbologyId);
    }
    const std::vector<EciDesignation> readEcis = visibleEciSegments(read);
    const std::vector<EciDesignation> meantEcis = visibleEciSegments(meant);
    if (readEcis != meantEcis) {
        differences.push_back(eciText(readEcis) + ", meant " + eciText(meantEcis));
    }
    if (read.readerProgramming != meant.readerProgramming) {
        differences.push_back(std::string(read.readerProgramming ? "reader programming" : "no reader programming") +
                              ", meant " + (meant.readerProgramming ? "reader programming" : "none"));
    }
    if (read.sequencePosition != meant.sequencePosition || read.sequenceTotal != meant.sequenceTotal) {
        differences.push_back(sequenceText(read) + ", meant " + sequenceText(meant));
    }
    std::string line;
    for (const std::string& difference : differences) {
        line += (line.empty() ? "" : "; ") + difference;
    }
    return line;
}

}  // namespace korvel
