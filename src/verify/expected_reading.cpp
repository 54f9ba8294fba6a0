// The reading a data text must give, derived from the text alone (the
// encoder's own data preparation is not used, so that a fault there shows),
// and the comparison of two readings.

#include "korvel/expected_reading.hpp"

#include <algorithm>
#include <array>
#include <optional>

#include "common/byte_text.hpp"
#include "korvel/gs1.hpp"

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

void appendBytes(std::string_view text, std::vector<DataElement>& elements)
{
    for (const char c : text) {
        elements.push_back({Kind::Byte, static_cast<std::uint8_t>(c)});
    }
}

// Two-digit AI prefixes of predefined length (GS1 General Specifications,
// figure 7.8.5-2): their values are never followed by a separator.
bool predefinedLength(std::string_view ai)
{
    constexpr std::array<std::string_view, 22> kPrefixes{"00", "01", "02", "03", "04", "11", "12", "13",
                                                         "14", "15", "16", "17", "18", "19", "20", "31",
                                                         "32", "33", "34", "35", "36", "41"};
    return std::find(kPrefixes.begin(), kPrefixes.end(), ai.substr(0, 2)) != kPrefixes.end();
}

// GS1 data as a reader returns it: FNC1 first, then each AI and its value,
// a separator after each value of variable length but the last; a Digital
// Link URI as its plain characters.
std::vector<DataElement> gs1Elements(const SymbolOptions& options)
{
    Gs1Data data;
    if (!parseGs1(options.data, options.gs1, data).ok()) {
        return resolveData(options.data, DataSyntax::Literal);
    }
    std::vector<DataElement> elements;
    if (data.digitalLink) {
        appendBytes(data.uri, elements);
        return elements;
    }
    elements.push_back({Kind::Fnc1, 0});
    for (std::size_t i = 0; i < data.elements.size(); ++i) {
        appendBytes(data.elements[i].ai, elements);
        appendBytes(data.elements[i].value, elements);
        if (i + 1 < data.elements.size() && !predefinedLength(data.elements[i].ai)) {
            elements.push_back(options.gs1Separator == Gs1Separator::Fnc1 ? DataElement{Kind::Fnc1, 0}
                                                                          : DataElement{Kind::Byte, 0x1D});
        }
    }
    return elements;
}

// A HIBC label: '+', the data and its check character, the sum of the
// characters' values ('+' included) modulo 43.
std::vector<DataElement> hibcElements(std::string_view data)
{
    constexpr std::string_view kCharacters = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
    const std::string label = "+" + std::string(data);
    std::size_t sum = 0;
    for (const char c : label) {
        sum += kCharacters.find(c);
    }
    std::vector<DataElement> elements;
    appendBytes(label, elements);
    elements.push_back({Kind::Byte, static_cast<std::uint8_t>(kCharacters[sum % kCharacters.size()])});
    return elements;
}

// The code point of well-formed UTF-8 at `at` and its length in bytes, or
// nothing (the encoder refuses such data, so no reading is meant).
std::optional<std::pair<std::uint32_t, std::size_t>> utf8CodePoint(const std::vector<DataElement>& elements,
                                                                   std::size_t at)
{
    const std::uint32_t lead = elements[at].value;
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || at + length > elements.size()) {
        return std::nullopt;
    }
    std::uint32_t codePoint = length == 1 ? lead : lead & (0x7Fu >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const DataElement& next = elements[at + k];
        if (next.kind != Kind::Byte || (next.value & 0xC0) != 0x80) {
            return std::nullopt;
        }
        codePoint = codePoint << 6 | (next.value & 0x3F);
    }
    return std::pair{codePoint, length};
}

// UTF-8 text as it is meant: in ISO 8859-1 bytes when every character has
// one, else the UTF-8 bytes behind ECI 26 (after any leading FNC1 or macro).
// Data that names its own ECI is taken as it is.
std::vector<DataElement> utf8Elements(std::vector<DataElement> elements)
{
    const auto isEci = [](const DataElement& e) { return e.kind == Kind::Eci; };
    if (std::any_of(elements.begin(), elements.end(), isEci)) {
        return elements;
    }
    std::vector<DataElement> latin1;
    bool fitsLatin1 = true;
    for (std::size_t k = 0; k < elements.size();) {
        if (elements[k].kind != Kind::Byte) {
            latin1.push_back(elements[k++]);
            continue;
        }
        const auto decoded = utf8CodePoint(elements, k);
        if (!decoded) {
            return elements;
        }
        fitsLatin1 = fitsLatin1 && decoded->first <= 0xFF;
        latin1.push_back({Kind::Byte, decoded->first & 0xFF});
        k += decoded->second;
    }
    if (fitsLatin1) {
        return latin1;
    }
    constexpr std::uint32_t kUtf8Eci = 26;
    const auto firstByte = std::find_if(elements.begin(), elements.end(),
                                        [](const DataElement& e) { return e.kind == Kind::Byte; });
    elements.insert(firstByte, {Kind::Eci, kUtf8Eci});
    return elements;
}

// What the data means: its text with the escapes resolved, or, for data the
// encoder frames or converts, the data as framed. Derived here from the text
// and the options alone, so that a fault in the encoder's own framing shows.
std::vector<DataElement> meantElements(const SymbolOptions& options)
{
    switch (options.syntax) {
    case DataSyntax::Gs1: return gs1Elements(options);
    case DataSyntax::Hibc: return hibcElements(options.data);
    default: break;
    }
    std::vector<DataElement> elements = resolveData(options.data, options.syntax);
    return options.utf8 ? utf8Elements(std::move(elements)) : elements;
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
