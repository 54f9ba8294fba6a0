// The minimal encodation against an exhaustive search written apart from it:
// over every short string of a few alphabets it needs the smallest capacity
// any encodation reaches, its symbol is the first format holding that, and
// zxing-cpp reads the symbol back, also in the larger formats that leave up
// to three codewords to spare.

#include <gtest/gtest.h>

#include <bitset>
#include <cstdio>
#include <string>
#include <vector>

#include "encodation/data_preparation.hpp"
#include "encodation/format_candidates.hpp"
#include "encodation/minimal_encodation.hpp"
#include "encodation/minimal_layouts.hpp"
#include "korvel/symbol.hpp"
#include "support/expected_reading.hpp"
#include "support/symbol_image.hpp"
#include "support/symbol_readers.hpp"

namespace korvel {
namespace {

// The exhaustive search. An encodation cuts the items into runs of one scheme
// each; ready codewords stand in ASCII. Every run but ASCII opens with its
// latch and packs its characters (C40, Text, X12: three values in two
// codewords; EDIFACT: four in three). After its last group a run ends
//  - explicitly: the unlatch, with the leftovers as ISO/IEC 16022 puts them,
//    which readers see only where another group could follow (two codewords
//    left after a triple, three after an EDIFACT group);
//  - implicitly: where at most one (triples) or two (EDIFACT) codewords of
//    the symbol are left after the last group, readers take them for ASCII,
//    so the leftovers and everything after go there in ASCII;
//  - Base 256 counts its bytes, or says 0 when it fills the symbol.
// For each place between items the search keeps every codeword count some
// encodation of the items before it reaches with ASCII in force, and tries
// every run from there: no cut and no ending is left out.
enum class Scheme { Ascii, C40, Text, X12, Edifact, Base256 };
constexpr Scheme kSchemes[] = {Scheme::Ascii, Scheme::C40, Scheme::Text, Scheme::X12, Scheme::Edifact, Scheme::Base256};

bool isDigitCharacter(const DataItem& item) { return !item.isCodeword && item.value >= '0' && item.value <= '9'; }

// ASCII codewords of items [i, j): digit pairs from the left, upper shift above 127.
int asciiLength(const DataItemList& items, std::size_t i, std::size_t j)
{
    int length = 0;
    for (; i < j; ++i, ++length) {
        if (i + 1 < j && isDigitCharacter(items[i]) && isDigitCharacter(items[i + 1])) {
            ++i;
        } else if (!items[i].isCodeword && items[i].value > 127) {
            ++length;
        }
    }
    return length;
}

bool holds(Scheme scheme, const DataItem& item)
{
    const int c = item.value;
    const bool capitalOrDigit = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    switch (scheme) {
    case Scheme::Ascii: return true;
    case Scheme::X12: return !item.isCodeword && (capitalOrDigit || c == 13 || c == '*' || c == '>' || c == ' ');
    case Scheme::Edifact: return !item.isCodeword && c >= 32 && c <= 94;
    default: return !item.isCodeword;
    }
}

// C40 and Text: space, digits and the capitals (C40) or small letters (Text)
// take one value, every other character 0..127 a shift and a value, one above
// 127 two more for the upper shift.
int c40TextValues(Scheme scheme, int c)
{
    const int low = c & 0x7F;
    const char first = scheme == Scheme::C40 ? 'A' : 'a';
    const bool basic = low == ' ' || (low >= '0' && low <= '9') || (low >= first && low < first + 26);
    return (c > 127 ? 2 : 0) + (basic ? 1 : 2);
}

// A packing run over items [i, j): codewords up to its last group (latch
// included), its length ending explicitly and implicitly, and the codewords
// after the last group that each ending needs at least / allows at most.
struct PackingRun {
    int packed, explicitLength, implicitLength, explicitRoom, implicitRoom;
};

PackingRun packingRun(Scheme scheme, const DataItemList& items, std::size_t i, std::size_t j)
{
    const int n = static_cast<int>(j - i);
    const auto ascii = [&](int last) { return asciiLength(items, j - static_cast<std::size_t>(last), j); };
    if (scheme == Scheme::Edifact) {
        const int packed = 1 + 3 * (n / 4);
        const int k = n % 4;
        return {packed, packed + (k == 0 ? 1 : (k == 1 ? 2 : 3)), packed + ascii(k), 3, 2};
    }
    if (scheme == Scheme::X12) {
        const int packed = 1 + 2 * (n / 3);
        return {packed, packed + 1 + ascii(n % 3), packed + ascii(n % 3), 2, 1};
    }
    int values = 0;
    for (std::size_t k = i; k < j; ++k) {
        values += c40TextValues(scheme, items[k].value);
    }
    const int packed = 1 + 2 * (values / 3) + (values % 3 == 2 ? 2 : 0);  // two values left: Shift 1 fills
    const int last = values % 3 == 1 ? ascii(1) : 0;                       // one left: its character in ASCII
    return {packed, packed + 1 + last, packed + last, 2, 1};
}

// Whether some encodation of the items after `start` codewords fits `capacity`.
bool fitsSomeEncodation(const DataItemList& items, int start, int capacity)
{
    const std::size_t n = items.size();
    std::vector<std::bitset<128>> reach(n + 1);  // [i]: counts with items [0, i) written, ASCII in force
    reach[0].set(static_cast<std::size_t>(start));
    bool fits = false;
    const auto add = [&](std::size_t j, int length) {
        if (length <= capacity) {
            reach[j].set(static_cast<std::size_t>(length));
        }
    };
    for (std::size_t i = 0; i < n; ++i) {
        for (int p = 0; p <= capacity; ++p) {
            if (!reach[i].test(static_cast<std::size_t>(p))) {
                continue;
            }
            for (const Scheme scheme : kSchemes) {
                for (std::size_t j = i + 1; j <= n && holds(scheme, items[j - 1]); ++j) {
                    const int bytes = static_cast<int>(j - i);
                    if (scheme == Scheme::Ascii) {
                        add(j, p + asciiLength(items, i, j));
                    } else if (scheme == Scheme::Base256) {
                        add(j, p + 2 + bytes + (bytes >= 250 ? 1 : 0));
                        fits = fits || (j == n && p + 2 + bytes == capacity);
                    } else {
                        const PackingRun run = packingRun(scheme, items, i, j);
                        const int room = capacity - (p + run.packed);
                        if (room >= run.explicitRoom) {
                            add(j, p + run.explicitLength);
                        }
                        fits = fits || (room >= 0 && room <= run.implicitRoom &&
                                        p + run.implicitLength + asciiLength(items, j, n) <= capacity);
                    }
                }
            }
        }
    }
    return fits || reach[n].any();
}

int exhaustiveOptimum(const DataItemList& items, int start)
{
    int capacity = start;
    while (!fitsSomeEncodation(items, start, capacity)) {
        ++capacity;
    }
    return capacity;
}

struct Tally {
    int inputs = 0;
    int optimal = 0;
    int symbolsRead = 0;
};

// Encodes in `format` (0: the one chosen) and has zxing-cpp read the symbol:
// the format chosen and what was read otherwise than expected.
std::pair<std::int32_t, std::string> readBack(SymbolOptions options, std::int32_t format)
{
    options.preferredFormat = format;
    Symbol symbol;
    if (const Outcome outcome = encode(options, symbol); !outcome.ok()) {
        return {-1, "result " + std::to_string(static_cast<int>(outcome.code))};
    }
    const auto image = testing::drawSymbol(symbol, Orientation::Degrees0, 2);
    const testing::SymbolInput input{options.data, options.structuredAppend.enabled};
    return {symbol.format().id,
            testing::zxingMismatch(testing::readWithZxing(*image), testing::expectReading(input, symbol.codewords()))};
}

void checkAgainstExhaustive(const std::string& data, const testing::Layout& layout, Tally& tally)
{
    DataItemList items = prepareData(data);
    const int header = layout.structuredAppend ? 4 : 0;
    const int optimum = exhaustiveOptimum(items, header);
    std::size_t leading = 0;  // ready codewords the driver writes ahead of the runs
    while (leading < items.size() && items[leading].isCodeword) {
        ++leading;
    }
    items.erase(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(leading));
    const std::size_t required = planMinimalRuns(items, static_cast<std::size_t>(header) + leading).requiredCapacity;
    ++tally.inputs;
    tally.optimal += required == static_cast<std::size_t>(optimum) ? 1 : 0;
    EXPECT_EQ(required, static_cast<std::size_t>(optimum)) << layout.name << ": " << ::testing::PrintToString(data);

    const SymbolOptions options = testing::optionsFor(data, EncodingMode::Automatic, layout, true);
    bool first = true;
    for (const SymbolFormat& format : formatCandidates({0, layout.shape, layout.dmre})) {
        const int spare = format.dataCodewords - optimum;
        if (spare < 0 || (!first && spare > 3)) {
            continue;
        }
        const auto [formatId, mismatch] = readBack(options, first ? 0 : format.id);
        ++tally.symbolsRead;
        EXPECT_EQ(formatId, format.id) << layout.name << ": " << ::testing::PrintToString(data);
        EXPECT_EQ(mismatch, "") << layout.name << ", " << spare << " spare: " << ::testing::PrintToString(data);
        first = false;
    }
}

TEST(MinimalEncodation, EqualsTheExhaustiveOptimumOnEveryShortString)
{
    // Capitals, small letters, digits, punctuation, bytes above 127, X12's
    // own characters, FNC1 and carriage return: every scheme and ending.
    const std::pair<std::vector<std::string>, std::size_t> alphabets[] = {
        {{"A", "a", "0", "!", "\xC4"}, 6},
        {{"A", "0", "*", "."}, 7},
        {{"b", " ", "Z", "9"}, 7},
        {{"a", "1", "~1", "\r", "\xE9"}, 5},
    };
    Tally tally;
    for (const auto& [alphabet, maxLength] : alphabets) {
        testing::forEveryString(alphabet, maxLength, [&](const std::string& data) {
            if (!data.empty()) {
                const auto layout = static_cast<std::size_t>(tally.inputs) % std::size(testing::kLayouts);
                checkAgainstExhaustive(data, testing::kLayouts[layout], tally);
            }
        });
    }
    std::printf("%d inputs, %d at the exhaustive optimum, %d symbols read back\n", tally.inputs, tally.optimal,
                tally.symbolsRead);
    EXPECT_EQ(tally.optimal, tally.inputs);
}

}  // namespace
}  // namespace korvel
