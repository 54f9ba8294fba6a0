// Seeded random round trips: strings built from several alphabets and escapes,
// in every mode, preferred format and orientation. Every accepted symbol must
// read back right; a refusal must have its reason in the data.
//
// KORVEL_ROUND_TRIP_COUNT sets the number of symbols (default below);
// KORVEL_ROUND_TRIP_SEED draws other strings than the fixed default seed.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "support/expected_reading.hpp"

namespace korvel {
namespace {

using enum EncodingMode;


using testing::DataElement;
using Kind = DataElement::Kind;

constexpr int kDefaultCount = 1500;
constexpr std::uint32_t kDefaultSeed = 0x6b6f7276;
constexpr std::size_t kLargestCapacity = 1558;

int iterationCount()
{
    const char* text = std::getenv("KORVEL_ROUND_TRIP_COUNT");
    const int count = text == nullptr ? 0 : std::atoi(text);
    return count > 0 ? count : kDefaultCount;
}

std::uint32_t seed()
{
    const char* text = std::getenv("KORVEL_ROUND_TRIP_SEED");
    return text == nullptr || *text == '\0' ? kDefaultSeed : static_cast<std::uint32_t>(std::strtoul(text, nullptr, 0));
}

// Builds data texts run by run, each run from one alphabet, so that every
// scheme gets stretches it wins.
class DataGenerator {
public:
    explicit DataGenerator(std::uint32_t seed) : rng_(seed) {}

    int uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    bool chance(int percent) { return uniform(1, 100) <= percent; }

    // Mostly free data; for EDIFACT and X12 mostly data of their own sets,
    // since nearly all free data holds a character those schemes refuse.
    std::string text(EncodingMode mode)
    {
        restrictedTo_ = (mode == Edifact || mode == X12) && chance(75) ? mode : Automatic;
        std::string data;
        const int leading = uniform(1, 100);
        if (leading <= 10) {
            data += "~1";
        } else if (leading <= 13) {
            data += "~3";
        } else if (leading <= 16) {
            data += uniform(0, 1) == 0 ? "~5" : "~6";
        } else if (leading <= 20) {
            data += eci();
        }
        const bool long_ = chance(2);
        const int runs = long_ ? uniform(1, 3) : uniform(1, 6);
        for (int r = 0; r < runs; ++r) {
            const int length = long_ ? uniform(300, 1700) : chance(15) ? uniform(20, 120) : uniform(1, 20);
            appendRun(data, uniform(0, 8), length);
        }
        return data;
    }

private:
    std::string eci()
    {
        static constexpr std::array<std::uint32_t, 12> kNumbers{0, 3, 26, 126, 127, 899, 16382, 16383, 123456, 999999, 4, 25};
        char text[16];
        const std::uint32_t number = chance(50) ? kNumbers[static_cast<std::size_t>(uniform(0, 11))]
                                                : static_cast<std::uint32_t>(uniform(0, 999999));
        std::snprintf(text, sizeof text, "~7%06u", number);
        return text;
    }

    std::string escape()
    {
        if (restrictedTo_ != Automatic) {  // only escapes the scheme can take: ready codewords, CR in X12
            const int pick = uniform(0, 2);
            return pick == 0 ? eci() : pick == 1 || restrictedTo_ == Edifact ? "~1" : "~R";
        }
        static constexpr std::array<const char*, 10> kPlain{"~~", "~N", "~R", "~1", "~Q", "~X4", "~7123", "~3", "~", "~XG1"};
        switch (uniform(0, 3)) {
        case 0: return eci();
        case 1: {
            char text[8];
            std::snprintf(text, sizeof text, uniform(0, 1) == 0 ? "~X%02X" : "~x%02x", uniform(0, 255));
            return text;
        }
        default: return kPlain[static_cast<std::size_t>(uniform(0, 9))];
        }
    }

    void appendRun(std::string& data, int alphabet, int length)
    {
        static const std::string kDigits = "0123456789";
        static const std::string kCapitals = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
        static const std::string kLower = "abcdefghijklmnopqrstuvwxyz ";
        static const std::string kX12 = "ABC*>\r 0123XYZ**>> ";
        static const std::string kEdifact = "!\"#$%&'()*+,-./:;<=>?@[\\]^_ 0A";
        static const std::string kX12Only = "ABC*> 0123XYZ**>> ";  // X12 without CR: EDIFACT holds it too
        const auto pick = [&](const std::string& set) { return set[static_cast<std::size_t>(uniform(0, static_cast<int>(set.size()) - 1))]; };
        if (restrictedTo_ != Automatic) {
            const std::string& own = restrictedTo_ == X12 ? kX12 : kEdifact;
            for (int k = 0; k < length; ++k) {
                switch (alphabet % 4) {
                case 0: data += pick(kDigits); break;
                case 1: data += pick(kCapitals); break;
                case 2: data += chance(10) ? escape() : std::string(1, pick(own)); break;
                default: data += pick(kX12Only); break;
                }
            }
            return;
        }
        for (int k = 0; k < length; ++k) {
            switch (alphabet) {
            case 0: data += pick(kDigits); break;
            case 1: data += pick(kCapitals); break;
            case 2: data += pick(kLower); break;
            case 3: data += pick(kX12); break;
            case 4: data += pick(kEdifact); break;
            case 5: data += static_cast<char>(uniform(128, 255)); break;
            case 6: data += static_cast<char>(uniform(1, 127)); break;  // any ASCII, tildes included
            case 7:
                if (chance(25)) {
                    data += escape();
                } else {
                    data += pick(kCapitals);
                }
                break;
            default: data += static_cast<char>(uniform(0, 255)); break;
            }
        }
    }

    EncodingMode restrictedTo_ = Automatic;  // Automatic, or the mode whose characters alone are drawn
    std::mt19937 rng_;
};

bool isX12(std::uint32_t c)
{
    return c == 13 || c == '*' || c == '>' || c == ' ' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z');
}

std::size_t eciLength(std::uint32_t number)
{
    return number <= 126 ? 2 : number <= 16382 ? 3 : 4;
}

// Codewords of the data in ASCII encodation: digit pairs take one codeword,
// bytes above 127 two (upper shift), ECI its designator.
std::size_t asciiLength(const std::vector<DataElement>& elements)
{
    std::size_t length = 0;
    for (std::size_t k = 0; k < elements.size(); ++k) {
        const DataElement& e = elements[k];
        const auto isDigit = [&](std::size_t at) {
            return at < elements.size() && elements[at].kind == Kind::Byte && elements[at].value >= '0' &&
                   elements[at].value <= '9';
        };
        if (e.kind == Kind::Eci) {
            length += eciLength(e.value);
        } else if (e.kind != Kind::Byte) {
            length += 1;
        } else if (isDigit(k) && isDigit(k + 1)) {
            length += 1;
            ++k;
        } else {
            length += e.value > 127 ? 2 : 1;
        }
    }
    return length;
}

// Stretches of data bytes between ready codewords; each becomes a run of its own.
std::vector<std::size_t> byteRuns(const std::vector<DataElement>& elements)
{
    std::vector<std::size_t> runs{0};
    for (const DataElement& e : elements) {
        if (e.kind == Kind::Byte) {
            ++runs.back();
        } else if (runs.back() != 0) {
            runs.push_back(0);
        }
    }
    return runs;
}

// An upper bound on the codewords an explicit mode may spend: each run of
// data bytes with a latch, an unlatch and its length field, each data byte at
// the scheme's worst (C40 and Text: four values for a byte above 127 = 8/3
// codewords), each ready codeword in ASCII.
std::size_t explicitModeBound(EncodingMode mode, const std::vector<DataElement>& elements)
{
    std::size_t ready = 0;
    for (const DataElement& e : elements) {
        if (e.kind == Kind::Eci) {
            ready += eciLength(e.value);
        } else if (e.kind != Kind::Byte) {
            ready += 1;
        }
    }
    std::size_t bound = ready;
    for (const std::size_t run : byteRuns(elements)) {
        switch (mode) {
        case Ascii: bound += 2 * run; break;
        case C40:
        case Text: bound += 4 + (8 * run + 2) / 3; break;
        default: bound += 4 + run; break;
        }
    }
    return bound;
}

// A lower bound on the codewords any encodation needs: digits two per
// codeword, other ASCII characters three per two codewords, other bytes one
// each, ready codewords as they are.
double lowerBound(const std::vector<DataElement>& elements)
{
    double bound = 0;
    for (const DataElement& e : elements) {
        if (e.kind == Kind::Eci) {
            bound += static_cast<double>(eciLength(e.value));
        } else if (e.kind != Kind::Byte) {
            bound += 1;
        } else if (e.value >= '0' && e.value <= '9') {
            bound += 0.5;
        } else {
            bound += e.value > 127 ? 1.0 : 2.0 / 3.0;
        }
    }
    return bound;
}

testing::Scheme schemeOfMode(EncodingMode mode)
{
    switch (mode) {
    case C40: return testing::Scheme::C40;
    case Text: return testing::Scheme::Text;
    case X12: return testing::Scheme::X12;
    case Edifact: return testing::Scheme::Edifact;
    case Base256: return testing::Scheme::Base256;
    default: return testing::Scheme::Ascii;
    }
}

// Why an explicit mode must refuse this data with 5, or empty when it must not.
std::string refusalReason(EncodingMode mode, const std::vector<DataElement>& elements)
{
    for (const DataElement& e : elements) {
        if (e.kind != Kind::Byte) {
            continue;
        }
        if (mode == Edifact && (e.value < 32 || e.value > 94)) {
            return "EDIFACT cannot hold byte " + std::to_string(e.value);
        }
        if (mode == X12 && !isX12(e.value)) {
            return "X12 cannot hold byte " + std::to_string(e.value);
        }
    }
    if (mode == Base256) {
        for (const std::size_t run : byteRuns(elements)) {
            if (run > 1555) {
                return "Base 256 run of " + std::to_string(run) + " bytes";
            }
        }
    }
    return {};
}

TEST(RandomRoundTrip, EveryAcceptedSymbolReadsBackAndEveryRefusalHasItsReason)
{
    const int count = iterationCount();
    const std::uint32_t seedUsed = seed();
    DataGenerator generator(seedUsed);  // the same strings on every run
    std::array<testing::RoundTripTally, 7> tallies{};
    int failures = 0;
    const auto report = [&](const std::string& message) {
        ++failures;
        if (failures <= 25) {
            ADD_FAILURE() << message;
        }
    };

    for (int iteration = 0; iteration < count; ++iteration) {
        const auto mode = static_cast<EncodingMode>(iteration % 7);
        const int format = generator.chance(50) ? 0 : generator.uniform(1, 30);
        const int orientation = 90 * generator.uniform(0, 3);
        const std::string data = generator.text(mode);
        const std::vector<DataElement> elements = testing::resolveEscapes(data);
        // Structured append now and then; never with reader programming,
        // which must be the first codeword of a symbol to be honoured.
        const bool readerProgramming = !elements.empty() && elements.front().kind == Kind::ReaderProgramming;
        const bool structuredAppend = !readerProgramming && generator.chance(10);
        const int total = generator.uniform(2, 16);
        const int position = generator.uniform(1, total);
        const int fileId = generator.uniform(1, DataMatrixBarcode::kMaxStructuredAppendId);

        DataMatrixBarcode barcode;
        ASSERT_EQ(barcode.suspendUpdates(true), ResultCode::Ok);
        ASSERT_EQ(barcode.setData(data), ResultCode::Ok);
        ASSERT_EQ(barcode.setEncodingMode(mode), ResultCode::Ok);
        ASSERT_EQ(barcode.setPreferredFormat(format), ResultCode::Ok);
        ASSERT_EQ(barcode.setOrientation(orientation), ResultCode::Ok);
        if (structuredAppend) {
            ASSERT_EQ(barcode.setStructuredAppend(true), ResultCode::Ok);
            ASSERT_EQ(barcode.setStructuredAppendTotal(total), ResultCode::Ok);
            ASSERT_EQ(barcode.setStructuredAppendPosition(position), ResultCode::Ok);
            ASSERT_EQ(barcode.setStructuredAppendId(fileId), ResultCode::Ok);
        }
        const ResultCode result = barcode.suspendUpdates(false);

        testing::RoundTripTally& tally = tallies[static_cast<std::size_t>(mode)];
        const std::string where = "data \"" + testing::printable(data) + "\" mode " + std::to_string(static_cast<int>(mode)) +
                                  " preferred format " + std::to_string(format) +
                                  (structuredAppend ? " with structured append" : "") + ": ";
        const std::size_t header = structuredAppend ? 4 : 0;
        const std::string reason = mode == Automatic ? std::string{} : refusalReason(mode, elements);

        if (result != ResultCode::Ok) {
            tally.refuse();
            if (result == ResultCode::InvalidData) {
                if (mode == Automatic && lowerBound(elements) + static_cast<double>(header) <= kLargestCapacity) {
                    report(where + "automatic mode refused data that needs at most " +
                           std::to_string(lowerBound(elements)) + " codewords at best");
                } else if (mode != Automatic && reason.empty()) {
                    report(where + "refused with 5 although the scheme holds every character");
                }
            } else if (!reason.empty()) {
                report(where + "expected 5 (" + reason + "), got " + std::to_string(static_cast<int>(result)));
            } else if (result == ResultCode::NoMatrixFormat) {
                const std::size_t bound = mode == Automatic ? 2 * asciiLength(elements) : explicitModeBound(mode, elements);
                if (format != 0 || bound + header <= kLargestCapacity) {
                    report(where + "result 8 for data that fits in at most " + std::to_string(bound + header) +
                           " codewords");
                }
            } else if (result == ResultCode::DataDoesNotFitFormat) {
                // The same data with automatic format choice must need a larger one.
                DataMatrixBarcode same;
                (void)same.suspendUpdates(true);
                (void)same.setData(data);
                (void)same.setEncodingMode(mode);
                if (structuredAppend) {
                    (void)same.setStructuredAppend(true);
                    (void)same.setStructuredAppendTotal(total);
                    (void)same.setStructuredAppendPosition(position);
                    (void)same.setStructuredAppendId(fileId);
                }
                const ResultCode automatic = same.suspendUpdates(false);
                const bool larger = automatic == ResultCode::NoMatrixFormat ||
                                    (automatic == ResultCode::Ok &&
                                     same.format().dataCodewords > findFormat(format)->dataCodewords);
                if (format == 0 || !larger) {
                    report(where + "result 10 although the data fits format " + std::to_string(format));
                }
            } else {
                report(where + "unexpected result " + std::to_string(static_cast<int>(result)));
            }
            continue;
        }
        if (!reason.empty()) {
            report(where + "accepted although " + reason);
        }
        if (format != 0 && barcode.format().id != format) {
            report(where + "placed in format " + std::to_string(barcode.format().id));
        }

        // The codewords belong to the mode's scheme.
        const testing::CodewordWalk walk =
            testing::walkDataCodewords(barcode.codewords(), barcode.format().dataCodewords);
        if (mode == Ascii && walk.encodedLength != asciiLength(elements) + header) {
            report(where + "ASCII took " + std::to_string(walk.encodedLength) + " codewords, expected " +
                   std::to_string(asciiLength(elements) + header));
        }
        if (mode != Automatic) {
            const testing::Scheme own = schemeOfMode(mode);
            bool hasBytes = false;
            for (const DataElement& e : elements) {
                hasBytes = hasBytes || e.kind == Kind::Byte;
            }
            for (const testing::SchemeRun& run : walk.runs) {
                if (run.scheme != own && run.scheme != testing::Scheme::Ascii) {
                    report(where + "a " + schemeName(run.scheme) + " run in mode " + std::to_string(static_cast<int>(mode)));
                }
            }
            if (hasBytes && !walk.uses(own)) {
                report(where + "no " + std::string(schemeName(own)) + " run");
            }
        }

        const testing::RoundTripOutcome outcome = testing::roundTrip(barcode, 3);
        tally.add(outcome);
        if (!outcome.report.empty()) {
            report(outcome.report);
        }
    }

    std::vector<std::pair<std::string, testing::RoundTripTally>> rows;
    testing::RoundTripTally sum;
    for (std::size_t mode = 0; mode < tallies.size(); ++mode) {
        const testing::RoundTripTally& t = tallies[mode];
        rows.emplace_back("mode " + std::to_string(static_cast<int>(mode)), t);
        sum += t;
        const std::string prefix = "mode" + std::to_string(static_cast<int>(mode)) + "_";
        RecordProperty(prefix + "symbols", t.symbols);
        RecordProperty(prefix + "zxing_read", t.zxingRead);
        RecordProperty(prefix + "zxing_matched", t.zxingMatched);
        RecordProperty(prefix + "dmtx_asked", t.dmtxAsked);
        RecordProperty(prefix + "dmtx_codewords_matched", t.dmtxCodewordsMatched);
        RecordProperty(prefix + "dmtx_data_checked", t.dmtxDataChecked);
        RecordProperty(prefix + "dmtx_data_matched", t.dmtxDataMatched);
    }
    rows.emplace_back("all", sum);
    testing::printTallies(std::to_string(count) + " random symbols (KORVEL_ROUND_TRIP_COUNT), seed " +
                              std::to_string(seedUsed),
                          rows);
    EXPECT_EQ(failures, 0) << failures << " symbols went wrong (the first 25 are listed above)";
    // Most symbols must have been accepted, or the test proves little.
    EXPECT_GT(sum.zxingRead, count / 2);
}

}  // namespace
}  // namespace korvel
