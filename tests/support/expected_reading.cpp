#include "support/expected_reading.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <sstream>

#include "support/symbol_readers.hpp"

namespace korvel::testing {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (isDigit(c)) {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Header and trailer that readers put around the data of a 05 or 06 macro.
std::string macroHeader(DataElement::Kind kind)
{
    return std::string("[)>\x1E") + (kind == DataElement::Kind::Macro05 ? "05" : "06") + "\x1D";
}
constexpr std::string_view kMacroTrailer = "\x1E\x04";

}  // namespace

SymbolInput SymbolInput::of(const DataMatrixBarcode& barcode)
{
    return {barcode.data(), barcode.structuredAppend(), barcode.structuredAppendPosition(),
            barcode.structuredAppendTotal(), barcode.structuredAppendId()};
}

std::vector<DataElement> resolveEscapes(std::string_view data)
{
    using Kind = DataElement::Kind;
    std::vector<DataElement> elements;
    std::size_t i = 0;
    while (i < data.size()) {
        const auto byteAt = [&](std::size_t at) { return static_cast<std::uint8_t>(data[at]); };
        if (data[i] != '~' || i + 1 >= data.size()) {
            elements.push_back({Kind::Byte, byteAt(i)});
            ++i;
            continue;
        }
        const char next = data[i + 1];
        std::size_t used = 2;
        if (next == '1') {
            elements.push_back({Kind::Fnc1, 0});
        } else if (i == 0 && next == '3') {
            elements.push_back({Kind::ReaderInit, 0});
        } else if (i == 0 && next == '5') {
            elements.push_back({Kind::Macro05, 0});
        } else if (i == 0 && next == '6') {
            elements.push_back({Kind::Macro06, 0});
        } else if (next == '7' && i + 7 < data.size() && isDigit(data[i + 2]) && isDigit(data[i + 3]) &&
                   isDigit(data[i + 4]) && isDigit(data[i + 5]) && isDigit(data[i + 6]) && isDigit(data[i + 7])) {
            elements.push_back({Kind::Eci, static_cast<std::uint32_t>(std::stoul(std::string(data.substr(i + 2, 6))))});
            used = 8;
        } else if (next == 'N') {
            elements.push_back({Kind::Byte, 10});
        } else if (next == 'R') {
            elements.push_back({Kind::Byte, 13});
        } else if ((next == 'X' || next == 'x') && i + 3 < data.size() && hexValue(data[i + 2]) >= 0 &&
                   hexValue(data[i + 3]) >= 0) {
            elements.push_back({Kind::Byte, static_cast<std::uint32_t>(hexValue(data[i + 2]) * 16 + hexValue(data[i + 3]))});
            used = 4;
        } else if (next == '~') {
            elements.push_back({Kind::Byte, '~'});
        } else {
            elements.push_back({Kind::Byte, '~'});
            used = 1;
        }
        i += used;
    }
    return elements;
}

bool fnc1InSecondCodeword(const CodewordString& codewords, bool structuredAppend)
{
    const std::size_t first = structuredAppend ? 4 : 0;
    if (codewords.size() <= first + 1 || codewords[first + 1] != 232) {
        return false;
    }
    // The first codeword must stand for itself in ASCII: not a latch, upper
    // shift, ECI or pad, each of which gives the next codeword another meaning.
    switch (codewords[first]) {
    case 129: case 230: case 231: case 233: case 235: case 238: case 239: case 240: case 241:
        return false;
    default:
        return true;
    }
}

ExpectedReading expectReading(const SymbolInput& input, const CodewordString& placed)
{
    using Kind = DataElement::Kind;
    const std::vector<DataElement> elements = resolveEscapes(input.data);
    ExpectedReading expected;

    // The FNC1 that the codewords put second: the first FNC1 after the first
    // element, which may only follow one element or a leading digit pair.
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t secondPlaceFnc1 = kNone;
    if (fnc1InSecondCodeword(placed, input.structuredAppend)) {
        for (std::size_t k = 1; k < elements.size(); ++k) {
            if (elements[k].kind == Kind::Fnc1) {
                secondPlaceFnc1 = k;
                break;
            }
        }
        const auto isDigitByte = [&](std::size_t k) {
            return elements[k].kind == Kind::Byte && elements[k].value >= '0' && elements[k].value <= '9';
        };
        const bool allowed = secondPlaceFnc1 == 1 || (secondPlaceFnc1 == 2 && isDigitByte(0) && isDigitByte(1));
        if (!allowed) {
            expected.problem = "the second codeword is FNC1 but the data has no FNC1 after its first character";
            secondPlaceFnc1 = kNone;
        }
    }

    struct Segment {
        std::optional<std::uint32_t> eci;
        std::string bytes;
    };
    std::vector<Segment> segments(1);
    bool hasEci = false;
    std::optional<Kind> macro;
    for (std::size_t k = 0; k < elements.size(); ++k) {
        const DataElement& e = elements[k];
        switch (e.kind) {
        case Kind::Byte:
            segments.back().bytes += static_cast<char>(e.value);
            expected.dmtxOutput += static_cast<char>(e.value);
            break;
        case Kind::Fnc1:
            expected.dmtxOutput += '\x1D';
            if (k == 0) {
                expected.symbologyId = "]d2";
            } else if (secondPlaceFnc1 == k) {
                expected.symbologyId = "]d3";
            } else {
                segments.back().bytes += '\x1D';
            }
            break;
        case Kind::ReaderInit:
            expected.readerInit = true;
            break;
        case Kind::Macro05:
        case Kind::Macro06:
            macro = e.kind;
            segments.back().bytes += macroHeader(e.kind);
            expected.dmtxOutput += macroHeader(e.kind);
            break;
        case Kind::Eci:
            hasEci = true;
            segments.push_back({e.value, {}});
            break;
        }
    }
    if (macro) {
        segments.back().bytes += kMacroTrailer;
        expected.dmtxOutput += kMacroTrailer;
    }

    // bytesECI: the symbology identifier of the ECI protocol, then every
    // segment that holds data behind its designator (the data before the first
    // ECI under the default \000003), backslashes doubled; nothing at all
    // when there is no data.
    std::string eciForm;
    for (const Segment& segment : segments) {
        expected.content += segment.bytes;
        if (segment.bytes.empty()) {
            continue;
        }
        if (hasEci) {
            char designator[16];
            std::snprintf(designator, sizeof designator, "\\%06u", segment.eci.value_or(3U));
            eciForm += designator;
        }
        for (const char c : segment.bytes) {
            eciForm += c;
            if (c == '\\') {
                eciForm += c;
            }
        }
    }
    if (!expected.content.empty()) {
        const char modifier = static_cast<char>('4' + (expected.symbologyId[2] - '1'));
        expected.contentEci = std::string("]d") + modifier + eciForm;
    }

    if (input.structuredAppend) {
        expected.sequenceIndex = input.position - 1;
        expected.sequenceSize = input.total;
        // The two identification codewords read as the high and low byte.
        expected.sequenceId = std::to_string(input.fileId / 255 * 256 + input.fileId % 255);
    }
    expected.dmtxOutputComparable = !hasEci && !input.structuredAppend;
    return expected;
}

const char* schemeName(Scheme scheme)
{
    switch (scheme) {
    case Scheme::Ascii: return "ASCII";
    case Scheme::C40: return "C40";
    case Scheme::Text: return "Text";
    case Scheme::X12: return "X12";
    case Scheme::Edifact: return "EDIFACT";
    case Scheme::Base256: return "Base256";
    }
    return "?";
}

bool CodewordWalk::uses(Scheme scheme) const
{
    for (const SchemeRun& run : runs) {
        if (run.scheme == scheme) {
            return true;
        }
    }
    return false;
}

bool CodewordWalk::hasEmptyLatch() const
{
    for (const SchemeRun& run : runs) {
        if (run.emptyLatch) {
            return true;
        }
    }
    return false;
}

CodewordWalk walkDataCodewords(const CodewordString& codewords, std::size_t dataCodewords)
{
    CodewordWalk walk;
    const std::size_t end = std::min(dataCodewords, codewords.size());
    walk.encodedLength = end;
    const auto at = [&](std::size_t i) -> unsigned { return i < end ? codewords[i] : 0U; };
    const auto start = [&](Scheme scheme, std::size_t first) { walk.runs.push_back({scheme, first, 0, false}); };

    start(Scheme::Ascii, 0);
    std::size_t i = 0;
    while (i < end && walk.error.empty()) {
        const Scheme scheme = walk.runs.back().scheme;
        if (scheme == Scheme::Ascii) {
            const unsigned c = at(i);
            if (c == 129) {
                walk.encodedLength = i;
                break;
            }
            switch (c) {
            case 230: start(Scheme::C40, i); i += 1; break;
            case 239: start(Scheme::Text, i); i += 1; break;
            case 238: start(Scheme::X12, i); i += 1; break;
            case 240: start(Scheme::Edifact, i); i += 1; break;
            case 231: start(Scheme::Base256, i); i += 1; break;
            case 235: i += 2; break;  // upper shift: the next codeword is a data byte
            case 241: {               // ECI: one to three codewords follow
                const unsigned first = at(i + 1);
                i += first <= 127 ? 2 : first <= 191 ? 3 : 4;
                break;
            }
            case 233:
                if (i != 0) {
                    walk.error = "structured append header inside the data at " + std::to_string(i);
                }
                i += 4;
                break;
            default:
                if (c == 0 || c > 241) {
                    walk.error = "invalid ASCII codeword " + std::to_string(c) + " at " + std::to_string(i);
                }
                i += 1;
                break;
            }
        } else if (scheme == Scheme::C40 || scheme == Scheme::Text || scheme == Scheme::X12) {
            if (at(i) == 254) {
                walk.runs.back().emptyLatch = i == walk.runs.back().first + 1;
                start(Scheme::Ascii, i + 1);
                i += 1;
            } else if (end - i < 2) {  // a single codeword left at the end is ASCII
                start(Scheme::Ascii, i);
            } else {
                i += 2;
            }
        } else if (scheme == Scheme::Edifact) {
            if (end - i <= 2) {  // at most two codewords left at the end are ASCII
                start(Scheme::Ascii, i);
                continue;
            }
            const unsigned triple = (at(i) << 16) | (at(i + 1) << 8) | at(i + 2);
            static constexpr std::array<std::size_t, 4> kBytesUpToValue{1, 2, 3, 3};
            std::size_t used = 3;
            bool unlatched = false;
            for (std::size_t v = 0; v < 4; ++v) {
                if (((triple >> (18 - 6 * v)) & 0x3F) == 31) {
                    used = kBytesUpToValue[v];
                    unlatched = true;
                    break;
                }
            }
            i += used;
            if (unlatched) {
                start(Scheme::Ascii, i);
            }
        } else {  // Base 256: a randomised length field, then that many bytes
            const auto unrandomize = [](unsigned value, std::size_t position) {
                const unsigned r = static_cast<unsigned>((149 * position) % 255 + 1);
                return (value + 256 - r) % 256;
            };
            const unsigned d1 = unrandomize(at(i), i + 1);
            std::size_t length = 0;
            std::size_t header = 1;
            if (d1 == 0) {
                length = end - i - 1;
            } else if (d1 <= 249) {
                length = d1;
            } else {
                length = 250 * (d1 - 249) + unrandomize(at(i + 1), i + 2);
                header = 2;
            }
            i += header + length;
            if (i > end) {
                walk.error = "Base 256 field runs past the data codewords";
                break;
            }
            start(Scheme::Ascii, i);
        }
    }
    // Lengths from the starts; drop the empty ASCII stretches between latches.
    for (std::size_t r = 0; r < walk.runs.size(); ++r) {
        const std::size_t next = r + 1 < walk.runs.size() ? walk.runs[r + 1].first : walk.encodedLength;
        walk.runs[r].length = next > walk.runs[r].first ? next - walk.runs[r].first : 0;
    }
    std::erase_if(walk.runs, [](const SchemeRun& run) { return run.length == 0; });
    return walk;
}

std::string printable(std::string_view bytes)
{
    std::string text;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 32 && b < 127 && b != '\\') {
            text += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            text += hex;
        }
    }
    return text;
}

std::string describeCodewords(const CodewordString& codewords, std::size_t count)
{
    std::string text;
    for (std::size_t i = 0; i < count && i < codewords.size(); ++i) {
        text += (i == 0 ? "" : " ") + std::to_string(codewords[i]);
    }
    return text;
}

std::string zxingMismatch(const ZxingReading& z, const ExpectedReading& expected)
{
    if (z.found && z.bytes == expected.content && z.bytesEci == expected.contentEci &&
        z.symbologyId == expected.symbologyId && z.readerInit == expected.readerInit &&
        z.sequenceIndex == expected.sequenceIndex && z.sequenceSize == expected.sequenceSize &&
        z.sequenceId == expected.sequenceId) {
        return {};
    }
    std::ostringstream line;
    line << "zxing-cpp " << (z.found ? "read" : "found nothing") << ": bytes \"" << printable(z.bytes) << "\" eci \""
         << printable(z.bytesEci) << "\" " << z.symbologyId << " init " << z.readerInit << " seq " << z.sequenceIndex
         << "/" << z.sequenceSize << " id " << z.sequenceId << "; expected \"" << printable(expected.content)
         << "\" eci \"" << printable(expected.contentEci) << "\" " << expected.symbologyId << " init "
         << expected.readerInit << " seq " << expected.sequenceIndex << "/" << expected.sequenceSize << " id "
         << expected.sequenceId;
    return line.str();
}

RoundTripOutcome roundTrip(DataMatrixBarcode& barcode, int moduleSize)
{
    RoundTripOutcome outcome;
    const SymbolInput input = SymbolInput::of(barcode);
    const SymbolFormat format = barcode.format();
    const ExpectedReading expected = expectReading(input, barcode.codewords());
    const CodewordWalk walk = walkDataCodewords(barcode.codewords(), format.dataCodewords);

    std::ostringstream report;
    const auto fail = [&](const std::string& what) { report << "  " << what << "\n"; };
    if (!expected.problem.empty()) {
        fail(expected.problem);
    }
    if (!walk.error.empty()) {
        fail("codeword stream: " + walk.error);
    }

    const RenderedSymbol symbol(barcode, moduleSize);
    if (!symbol.ok) {
        fail("drawing failed");
    } else {
        const std::string zxingProblem = zxingMismatch(readWithZxing(*symbol.image), expected);
        outcome.zxingMatched = zxingProblem.empty();
        if (!outcome.zxingMatched) {
            fail(zxingProblem);
        }

        // libdmtx expects another error codeword order in 144 x 144.
        outcome.dmtxAsked = format.id != 24;
        if (outcome.dmtxAsked) {
            // Told the size, libdmtx finds the symbol at 3 pixels per module and
            // more in every orientation; at 2 it misses a few turned ones, and
            // a miss is retried one pixel larger.
            DmtxReading d = readWithDmtx(*symbol.image, format.id - 1);
            if (!d.found) {
                const RenderedSymbol larger(barcode, moduleSize + 1);
                if (larger.ok) {
                    d = readWithDmtx(*larger.image, format.id - 1);
                }
            }
            outcome.dmtxLimited = !expected.dmtxOutputComparable || walk.hasEmptyLatch();
            outcome.dmtxRead = d.found;
            outcome.dmtxCodewordsMatched = d.found && d.codewords == barcode.codewords();
            outcome.dmtxOutputChecked = d.found && !outcome.dmtxLimited;
            outcome.dmtxOutputMatched = outcome.dmtxOutputChecked && d.output == expected.dmtxOutput;
            if (!d.found && !outcome.dmtxLimited) {
                fail("libdmtx found nothing");
            }
            if (d.found && !outcome.dmtxCodewordsMatched) {
                fail("libdmtx read other codewords: " + describeCodewords(d.codewords, d.codewords.size()));
            }
            if (outcome.dmtxOutputChecked && !outcome.dmtxOutputMatched) {
                fail("libdmtx read \"" + printable(d.output) + "\"; expected \"" + printable(expected.dmtxOutput) + "\"");
            }
        }
    }

    const std::string problems = report.str();
    if (!problems.empty()) {
        std::ostringstream whole;
        whole << "data \"" << printable(input.data) << "\" mode " << barcode.encodingMode() << " preferred format "
              << barcode.preferredFormat() << " -> format " << format.id << " orientation " << barcode.orientation()
              << " quiet zone " << barcode.quietZoneSize();
        if (input.structuredAppend) {
            whole << " structured append " << input.position << "/" << input.total << " id " << input.fileId;
        }
        whole << "\n  data codewords: " << describeCodewords(barcode.codewords(), walk.encodedLength);
        if (walk.encodedLength < format.dataCodewords) {
            whole << " + " << format.dataCodewords - walk.encodedLength << " pad";
        }
        whole << "\n  schemes:";
        for (const SchemeRun& run : walk.runs) {
            whole << " " << schemeName(run.scheme) << "@" << run.first << "+" << run.length;
        }
        whole << "\n" << problems;
        outcome.report = whole.str();
    }
    return outcome;
}

void RoundTripTally::add(const RoundTripOutcome& outcome)
{
    ++symbols;
    ++zxingRead;
    zxingMatched += outcome.zxingMatched ? 1 : 0;
    dmtxAsked += outcome.dmtxAsked ? 1 : 0;
    dmtxRead += outcome.dmtxRead ? 1 : 0;
    dmtxCodewordsMatched += outcome.dmtxCodewordsMatched ? 1 : 0;
    dmtxDataChecked += outcome.dmtxOutputChecked ? 1 : 0;
    dmtxDataMatched += outcome.dmtxOutputMatched ? 1 : 0;
    failures += outcome.report.empty() ? 0 : 1;
}

RoundTripTally& RoundTripTally::operator+=(const RoundTripTally& other)
{
    symbols += other.symbols;
    refused += other.refused;
    zxingRead += other.zxingRead;
    zxingMatched += other.zxingMatched;
    dmtxAsked += other.dmtxAsked;
    dmtxRead += other.dmtxRead;
    dmtxCodewordsMatched += other.dmtxCodewordsMatched;
    dmtxDataChecked += other.dmtxDataChecked;
    dmtxDataMatched += other.dmtxDataMatched;
    failures += other.failures;
    return *this;
}

void printTallies(const std::string& title, const std::vector<std::pair<std::string, RoundTripTally>>& rows)
{
    std::printf("[ round trip ] %s\n", title.c_str());
    std::printf("[ round trip ] %-10s %7s %7s | zxing %6s %7s | libdmtx %6s %6s %9s | data %7s %7s\n", "", "symbols",
                "refused", "read", "matched", "asked", "read", "codewords", "checked", "matched");
    for (const auto& [label, t] : rows) {
        std::printf("[ round trip ] %-10s %7d %7d |       %6d %7d |         %6d %6d %9d |      %7d %7d\n",
                    label.c_str(), t.symbols, t.refused, t.zxingRead, t.zxingMatched, t.dmtxAsked, t.dmtxRead,
                    t.dmtxCodewordsMatched, t.dmtxDataChecked, t.dmtxDataMatched);
    }
    std::fflush(stdout);
}

}  // namespace korvel::testing
