#include "support/expected_reading.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <sstream>

#include "support/symbol_readers.hpp"

namespace korvel::testing {
namespace {

// Header and trailer that readers put around the data of a 05 or 06 macro.
std::string macroHeader(DataElement::Kind kind)
{
    return std::string("[)>\x1E") + (kind == DataElement::Kind::Macro05 ? "05" : "06") + "\x1D";
}
constexpr std::string_view kMacroTrailer = "\x1E\x04";

// zxing-cpp's bytesECI(): the symbology identifier of the ECI protocol
// ("]d4" to "]d6"), then every stretch of data behind its "\nnnnnn"
// designator when the data has an ECI, backslashes doubled; nothing at all
// without data.
std::string zxingEciForm(const SymbolReading& reading)
{
    if (reading.bytes.empty()) {
        return {};
    }
    const std::vector<EciDesignation> segments = visibleEciSegments(reading);
    std::string form = std::string("]d") + static_cast<char>('4' + (reading.symbologyId[2] - '1'));
    const auto append = [&form](std::string_view bytes) {
        for (const char c : bytes) {
            form += c;
            if (c == '\\') {
                form += c;
            }
        }
    };
    if (segments.empty()) {
        append(reading.bytes);
    }
    for (std::size_t k = 0; k < segments.size(); ++k) {
        const std::size_t end = k + 1 < segments.size() ? segments[k + 1].offset : reading.bytes.size();
        char designator[16];
        std::snprintf(designator, sizeof designator, "\\%06u", static_cast<unsigned>(segments[k].number));
        form += designator;
        append(std::string_view(reading.bytes).substr(segments[k].offset, end - segments[k].offset));
    }
    return form;
}

}  // namespace

SymbolInput SymbolInput::of(const DataMatrixBarcode& barcode)
{
    return {barcode.data(), barcode.structuredAppend(), barcode.structuredAppendPosition(),
            barcode.structuredAppendTotal(), barcode.structuredAppendId()};
}

ExpectedReading expectReading(const SymbolInput& input, const CodewordString& placed)
{
    using Kind = DataElement::Kind;
    SymbolOptions options;
    options.data = input.data;
    options.structuredAppend = {input.structuredAppend, input.position, input.total, input.fileId};
    const korvel::ExpectedReading library = expectedReading(options, SymbolFormat{}, placed);
    const SymbolReading& reading = library.reading;

    ExpectedReading expected;
    expected.problem = library.problem;
    expected.content = reading.bytes;
    expected.contentEci = zxingEciForm(reading);
    expected.symbologyId = reading.symbologyId;
    expected.readerInit = reading.readerProgramming;
    if (input.structuredAppend) {
        expected.sequenceIndex = input.position - 1;
        expected.sequenceSize = input.total;
        // The two identification codewords read as the high and low byte.
        expected.sequenceId = std::to_string(input.fileId / 255 * 256 + input.fileId % 255);
    }

    // libdmtx prints every FNC1 as GS, the macro header and trailer, and
    // ECI and structured append codewords as data bytes.
    bool macro = false;
    for (const DataElement& e : resolveEscapes(input.data)) {
        if (e.kind == Kind::Byte) {
            expected.dmtxOutput += static_cast<char>(e.value);
        } else if (e.kind == Kind::Fnc1) {
            expected.dmtxOutput += '\x1D';
        } else if (e.kind == Kind::Macro05 || e.kind == Kind::Macro06) {
            macro = true;
            expected.dmtxOutput += macroHeader(e.kind);
        }
    }
    if (macro) {
        expected.dmtxOutput += kMacroTrailer;
    }
    expected.dmtxOutputComparable = reading.ecis.empty() && !input.structuredAppend;
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
