#include "encodation/automatic_selection.hpp"

#include "common/rounding.hpp"

#include <array>
#include <cmath>

#include "encodation/scheme_encoders.hpp"

namespace korvel {
namespace {

// Estimated codewords per scheme, in this fixed order.
enum Count : std::size_t { kAscii, kC40, kText, kX12, kEdifact, kBase256, kCountCount };
using Counts = std::array<double, kCountCount>;

constexpr double kTwoThirds = 2.0 / 3.0;
constexpr double kFourThirds = 4.0 / 3.0;
constexpr double kEightThirds = 8.0 / 3.0;
constexpr double kTenThirds = 10.0 / 3.0;
constexpr double kThirteenThirds = 13.0 / 3.0;

static_assert(kTwoThirds == 0.6666666666666666 && kFourThirds == 1.3333333333333333);
static_assert(kEightThirds == 2.6666666666666665 && kTenThirds == 3.3333333333333335);
static_assert(kThirteenThirds == 4.333333333333333);

Count countOf(EncodingMode scheme)
{
    switch (scheme) {
    case C40: return kC40;
    case Text: return kText;
    case X12: return kX12;
    case Edifact: return kEdifact;
    case Base256: return kBase256;
    default: return kAscii;
    }
}

Counts initialCounts(EncodingMode current)
{
    if (current == Ascii) {
        return {0.0, 1.0, 1.0, 1.0, 1.0, 1.25};
    }
    Counts counts{1.0, 2.0, 2.0, 2.0, 2.0, 2.25};
    counts[countOf(current)] = 0.0;
    return counts;
}

bool isCapital(std::uint8_t c) { return c >= 'A' && c <= 'Z'; }
bool isSmallLetter(std::uint8_t c) { return c >= 'a' && c <= 'z'; }

void countCharacter(std::uint8_t c, Counts& n)
{
    const bool digit = isDigit(c);
    const bool high = c > 127;

    if (digit) {
        n[kAscii] += 0.5;
    } else {
        n[kAscii] = roundHalfUp(n[kAscii]) + (high ? 2.0 : 1.0);
    }

    if (digit || isCapital(c) || c == ' ') {
        n[kC40] += kTwoThirds;
    } else {
        n[kC40] += high ? kEightThirds : kFourThirds;
    }

    if (digit || isSmallLetter(c) || c == ' ') {
        n[kText] += kTwoThirds;
    } else {
        n[kText] += high ? kEightThirds : kFourThirds;
    }

    if (digit || isX12Char(c)) {
        n[kX12] += kTwoThirds;
    } else {
        n[kX12] += high ? kThirteenThirds : kTenThirds;
    }

    if (digit || isEdifactChar(c)) {
        n[kEdifact] += 0.75;
    } else {
        n[kEdifact] += high ? 4.25 : 3.25;
    }

    const bool functionValue = c == 232 || c == 233 || c == 234 || c == 241;
    n[kBase256] += functionValue ? 4.0 : 1.0;
}

// True when count `who` + 1 is strictly below every count in `others`.
template <std::size_t N>
bool winsByMoreThanOne(const Counts& n, Count who, const std::array<Count, N>& others)
{
    for (const Count other : others) {
        if (!(n[who] + 1.0 < n[other])) {
            return false;
        }
    }
    return true;
}

bool isX12Terminator(std::uint8_t c) { return c == 13 || c == '*' || c == '>'; }

// The decision after at least four items, or nothing to go on counting.
std::optional<EncodingMode> decideEarly(const Counts& n, const DataItem* items, std::size_t k, std::size_t count)
{
    const double asciiPlusOne = n[kAscii] + 1.0;
    if (asciiPlusOne <= n[kC40] && asciiPlusOne <= n[kText] && asciiPlusOne <= n[kX12] &&
        asciiPlusOne <= n[kEdifact] && asciiPlusOne <= n[kBase256]) {
        return Ascii;
    }
    if (n[kBase256] + 1.0 <= n[kAscii]) {
        return Base256;
    }
    if (winsByMoreThanOne(n, kBase256, std::array{kC40, kText, kX12, kEdifact})) {
        return Base256;
    }
    if (winsByMoreThanOne(n, kEdifact, std::array{kAscii, kC40, kText, kX12, kBase256})) {
        return Edifact;
    }
    if (winsByMoreThanOne(n, kText, std::array{kAscii, kC40, kEdifact, kX12, kBase256})) {
        return Text;
    }
    if (winsByMoreThanOne(n, kX12, std::array{kAscii, kC40, kEdifact, kText, kBase256})) {
        return X12;
    }
    if (winsByMoreThanOne(n, kC40, std::array{kAscii, kEdifact, kBase256})) {
        if (n[kC40] < n[kX12]) {
            return C40;
        }
        if (n[kC40] == n[kX12]) {
            const bool terminatorFollows = k + 1 < count && isX12Terminator(items[k + 1].value);
            return terminatorFollows ? X12 : C40;
        }
    }
    return std::nullopt;
}

bool isStrictlyLowest(const Counts& n, Count who)
{
    for (std::size_t other = 0; other < kCountCount; ++other) {
        if (other != who && !(n[who] < n[other])) {
            return false;
        }
    }
    return true;
}

EncodingMode decideAtEnd(Counts n)
{
    for (double& count : n) {
        count = roundHalfUp(count);
    }
    bool asciiLowest = true;
    for (std::size_t other = 1; other < kCountCount; ++other) {
        asciiLowest = asciiLowest && n[kAscii] <= n[other];
    }
    if (asciiLowest) {
        return Ascii;
    }
    if (isStrictlyLowest(n, kBase256)) {
        return Base256;
    }
    if (isStrictlyLowest(n, kEdifact)) {
        return Edifact;
    }
    if (isStrictlyLowest(n, kText)) {
        return Text;
    }
    if (isStrictlyLowest(n, kX12)) {
        return X12;
    }
    return C40;
}

// Collects the runs while the selection walks the items.
class RunCollector {
public:
    void add(const DataItem& item) { run_.push_back(item); }
    void close(EncodingMode scheme)
    {
        if (!run_.empty()) {
            plan_.push_back({scheme, std::move(run_)});
            run_.clear();
        }
    }
    RunPlan finish(EncodingMode scheme)
    {
        close(scheme);
        return std::move(plan_);
    }

private:
    RunPlan plan_;
    DataItemList run_;
};

unsigned schemeBit(EncodingMode scheme) { return 1U << static_cast<unsigned>(scheme); }

}  // namespace

EncodingMode lookAheadTest(EncodingMode current, const DataItem* items, std::size_t count)
{
    Counts n = initialCounts(current);
    for (std::size_t k = 0; k < count; ++k) {
        countCharacter(items[k].value, n);
        if (k >= 3) {
            if (const auto decision = decideEarly(n, items, k, count)) {
                return *decision;
            }
        }
    }
    return decideAtEnd(n);
}

RunPlan planAutomaticRuns(const DataItemList& items)
{
    RunCollector runs;
    EncodingMode current = Ascii;
    unsigned leftForThisItem = 0;  // schemes already left while placing item i
    std::size_t i = 0;
    const std::size_t n = items.size();
    while (i < n) {
        const DataItem& item = items[i];
        if (item.isCodeword) {
            if (current != Ascii) {
                runs.close(current);
                current = Ascii;
            }
            runs.add(item);
            ++i;
            leftForThisItem = 0;
            continue;
        }
        if (current == Ascii && i + 1 < n && isDigit(item.value) && isDigit(items[i + 1].value)) {
            runs.add(item);
            runs.add(items[i + 1]);
            i += 2;
            leftForThisItem = 0;
            continue;
        }

        EncodingMode chosen = lookAheadTest(current, &items[i], n - i);
        if (chosen != current && (leftForThisItem & schemeBit(chosen)) != 0) {
            chosen = current;  // going back would cycle for ever
        }
        if ((chosen == X12 || chosen == Edifact) && !schemeEncodes(chosen, item.value)) {
            // That scheme cannot hold this character: it goes into ASCII.
            if (current != Ascii) {
                runs.close(current);
                current = Ascii;
            }
            chosen = Ascii;
        }
        if (chosen == current) {
            runs.add(item);
            ++i;
            leftForThisItem = 0;
            continue;
        }
        runs.close(current);
        leftForThisItem |= schemeBit(current);
        current = chosen;
    }
    return runs.finish(current);
}

}  // namespace korvel
