// The minimal encodation against an exhaustive search written apart from it:
// over every short string of a few alphabets, the capacity it needs is the
// smallest any encodation reaches, its symbol is the first format holding
// that, and zxing-cpp reads the symbol back, also in each larger format that
// leaves a few codewords to spare.

#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <cstdint>
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

using testing::kLayouts;
using testing::Layout;

// ---- The exhaustive search --------------------------------------------------
//
// An encodation cuts the items into runs, each in one scheme; ready codewords
// stand in ASCII. Every run but ASCII opens with its latch and packs its
// characters into groups (C40, Text, X12: three values in two codewords;
// EDIFACT: four in three). After the last group ends the run:
//  - explicitly, by the unlatch (with the leftovers as ISO/IEC 16022 puts
//    them), which readers see as such only where a further group could still
//    follow: two codewords after a triple, three after an EDIFACT group;
//  - implicitly, where the symbol has at most one (C40, Text, X12) or two
//    (EDIFACT) codewords left after the last group: readers take those for
//    ASCII, so the leftovers go there in ASCII and nothing but ASCII follows;
//  - Base 256 counts its bytes (0: to the end of the symbol).
// The search keeps, for every place between items, each codeword count that
// some encodation of the items before it reaches in ASCII, and tries every
// run from there, so no cut and no ending is left out.

enum class Scheme { Ascii, C40, Text, X12, Edifact, Base256 };
constexpr Scheme kSchemes[] = {Scheme::Ascii, Scheme::C40, Scheme::Text, Scheme::X12, Scheme::Edifact, Scheme::Base256};

bool isDigitCharacter(const DataItem& item) { return !item.isCodeword && item.value >= '0' && item.value <= '9'; }

// ASCII codewords of items [i, j): digit pairs from the left, upper shift above 127.
int asciiLength(const DataItemList& items, std::size_t i, std::size_t j)
{
    int length = 0;
    while (i < j) {
        if (i + 1 < j && isDigitCharacter(items[i]) && isDigitCharacter(items[i + 1])) {
            i += 2;
        } else {
            length += !items[i].isCodeword && items[i].value > 127 ? 1 : 0;
            ++i;
        }
        ++length;
    }
    return length;
}

bool holds(Scheme scheme, const DataItem& item)
{
    const int c = item.value;
    switch (scheme) {
    case Scheme::Ascii: return true;
    case Scheme::X12: return !item.isCodeword && (c == 13 || c == '*' || c == '>' || c == ' ' || (c >= '0' && c <= '9') ||
                                                  (c >= 'A' && c <= 'Z'));
    case Scheme::Edifact: return !item.isCodeword && c >= 32 && c <= 94;
    default: return !item.isCodeword;
    }
}

// C40 and Text: space, digits and the capitals (C40) or small letters
// (Text) take one value, every other character 0..127 a shift and a value,
// and one above 127 two more for the upper shift.
int c40TextValues(Scheme scheme, std::uint8_t c)
{
    const int low = c & 0x7F;
    const char first = scheme == Scheme::C40 ? 'A' : 'a';
    const bool basic = low == ' ' || (low >= '0' && low <= '9') || (low >= first && low < first + 26);
    return (c > 127 ? 2 : 0) + (basic ? 1 : 2);
}

struct Ending {
    int packed = 0;  // codewords up to the end of the last group, latch included
    int length = 0;  // codewords of the whole run
};

// The two endings of a run of a packing scheme over items [i, j).
struct RunEndings {
    Ending explicitEnd;
    Ending implicitEnd;
    int roomAfterGroup = 0;  // explicit: at least this many codewords of the symbol after `packed`
    int asciiAfterGroup = 0;  // implicit: at most this many
};

RunEndings packingRun(Scheme scheme, const DataItemList& items, std::size_t i, std::size_t j)
{
    const int n = static_cast<int>(j - i);
    if (scheme == Scheme::Edifact) {
        const int packed = 1 + 3 * (n / 4);
        const int k = n % 4;
        const int unlatched = k == 0 ? 1 : (k == 1 ? 2 : 3);  // the unlatch value packed after the leftovers
        return {{packed, packed + unlatched}, {packed, packed + asciiLength(items, j - static_cast<std::size_t>(k), j)}, 3, 2};
    }
    if (scheme == Scheme::X12) {
        const int packed = 1 + 2 * (n / 3);
        const int left = asciiLength(items, j - static_cast<std::size_t>(n % 3), j);
        return {{packed, packed + 1 + left}, {packed, packed + left}, 2, 1};
    }
    int values = 0;
    for (std::size_t k = i; k < j; ++k) {
        values += c40TextValues(scheme, items[k].value);
    }
    int packed = 1 + 2 * (values / 3);
    int left = 0;
    if (values % 3 == 2) {
        packed += 2;  // the two values and a Shift 1 as filler
    } else if (values % 3 == 1) {
        left = asciiLength(items, j - 1, j);  // the last character in ASCII
    }
    return {{packed, packed + 1 + left}, {packed, packed + left}, 2, 1};
}

constexpr std::size_t kMaxLength = 128;
using Lengths = std::bitset<kMaxLength>;

// Whether some encodation of the items, after `start` codewords, fits a
// symbol of `capacity` data codewords.
bool fitsSomeEncodation(const DataItemList& items, int start, int capacity)
{
    const std::size_t n = items.size();
    std::vector<Lengths> reach(n + 1);  // [i]: codeword counts with items [0, i) encoded and ASCII in force
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
                    if (scheme == Scheme::Ascii) {
                        add(j, p + asciiLength(items, i, j));
                        continue;
                    }
                    if (scheme == Scheme::Base256) {
                        const int bytes = static_cast<int>(j - i);
                        add(j, p + 2 + bytes + (bytes >= 250 ? 1 : 0));
                        fits = fits || (j == n && p + 2 + bytes == capacity);  // length 0
                        continue;
                    }
                    const RunEndings run = packingRun(scheme, items, i, j);
                    if (capacity - (p + run.explicitEnd.packed) >= run.roomAfterGroup) {
                        add(j, p + run.explicitEnd.length);
                    }
                    const int room = capacity - (p + run.implicitEnd.packed);
                    fits = fits || (room >= 0 && room <= run.asciiAfterGroup &&
                                    p + run.implicitEnd.length + asciiLength(items, j, n) <= capacity);
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

// ---- The check ------------------------------------------------------------

struct Tally {
    int inputs = 0;
    int optimal = 0;
    int symbolsRead = 0;
};

struct ReadBack {
    std::int32_t formatId = -1;
    std::string mismatch;  // what zxing-cpp read otherwise than expected, or why nothing was read
};

ReadBack readBack(const SymbolOptions& options)
{
    Symbol symbol;
    const Outcome outcome = encode(options, symbol);
    if (!outcome.ok()) {
        return {-1, "result " + std::to_string(static_cast<int>(outcome.code))};
    }
    const auto image = testing::drawSymbol(symbol, Orientation::Degrees0, 2);
    const testing::SymbolInput input{options.data, options.structuredAppend.enabled};
    return {symbol.format().id,
            testing::zxingMismatch(testing::readWithZxing(*image), testing::expectReading(input, symbol.codewords()))};
}

void checkAgainstExhaustive(const std::string& data, const Layout& layout, Tally& tally)
{
    const SymbolOptions options = testing::optionsFor(data, EncodingMode::Automatic, layout, true);
    DataItemList items = prepareData(data);
    const int header = layout.structuredAppend ? 4 : 0;
    const int optimum = exhaustiveOptimum(items, header);

    std::size_t leading = 0;  // ready codewords the driver writes ahead of the runs
    while (leading < items.size() && items[leading].isCodeword) {
        ++leading;
    }
    items.erase(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(leading));
    const auto required = static_cast<int>(planMinimalRuns(items, static_cast<std::size_t>(header) + leading).requiredCapacity);
    ++tally.inputs;
    tally.optimal += required == optimum ? 1 : 0;
    EXPECT_EQ(required, optimum) << layout.name << ": " << ::testing::PrintToString(data);

    // The first format that holds the optimum, then the larger ones with up
    // to three codewords to spare, each read back.
    bool first = true;
    for (const SymbolFormat& format : formatCandidates({0, layout.shape, layout.dmre})) {
        const int spare = format.dataCodewords - optimum;
        if (spare < 0 || (!first && spare > 3)) {
            continue;
        }
        SymbolOptions inFormat = options;
        inFormat.preferredFormat = first ? 0 : format.id;  // the first is the one chosen unasked
        const ReadBack read = readBack(inFormat);
        ++tally.symbolsRead;
        EXPECT_EQ(read.formatId, format.id) << layout.name << ": " << ::testing::PrintToString(data);
        EXPECT_EQ(read.mismatch, "") << layout.name << ", format " << format.id << " (" << spare
                                     << " spare): " << ::testing::PrintToString(data);
        first = false;
    }
}

// Calls `check` with every string of 1 to maxLength symbols of the alphabet.
template <typename Check>
void forEveryString(const std::vector<std::string>& alphabet, std::size_t maxLength, const Check& check)
{
    std::vector<std::size_t> digits;
    for (std::size_t length = 1; length <= maxLength; ++length) {
        digits.assign(length, 0);
        for (bool more = true; more;) {
            std::string data;
            for (const std::size_t d : digits) {
                data += alphabet[d];
            }
            check(data);
            std::size_t p = 0;
            while (p < length && ++digits[p] == alphabet.size()) {
                digits[p++] = 0;
            }
            more = p < length;
        }
    }
}

TEST(MinimalEncodation, EqualsTheExhaustiveOptimumOnEveryShortString)
{
    struct Alphabet {
        std::vector<std::string> symbols;
        std::size_t maxLength;
    };
    // Capitals, small letters, digits, punctuation, bytes above 127, X12's
    // own characters, FNC1 and carriage return: every scheme and every ending.
    const Alphabet alphabets[] = {
        {{"A", "a", "0", "!", "\xC4"}, 6},
        {{"A", "0", "*", "."}, 7},
        {{"b", " ", "Z", "9"}, 7},
        {{"a", "1", "~1", "\r", "\xE9"}, 5},
    };
    Tally tally;
    for (const Alphabet& alphabet : alphabets) {
        forEveryString(alphabet.symbols, alphabet.maxLength, [&](const std::string& data) {
            checkAgainstExhaustive(data, kLayouts[static_cast<std::size_t>(tally.inputs) % std::size(kLayouts)], tally);
        });
    }
    std::printf("%d inputs, %d at the exhaustive optimum, %d symbols read back\n", tally.inputs, tally.optimal,
                tally.symbolsRead);
    EXPECT_EQ(tally.optimal, tally.inputs);
}

}  // namespace
}  // namespace korvel
