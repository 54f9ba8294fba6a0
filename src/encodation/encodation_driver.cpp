#include "encodation/encodation_driver.hpp"

#include "encodation/automatic_selection.hpp"
#include "encodation/codeword_randomizing.hpp"
#include "encodation/data_preparation.hpp"
#include "encodation/format_selection.hpp"
#include "encodation/encodation_run.hpp"
#include "encodation/minimal_encodation.hpp"
#include "encodation/scheme_encoders.hpp"

namespace korvel {
namespace {

constexpr Codeword kPad = 129;
constexpr std::size_t kStructuredAppendHeaderLength = 4;
constexpr std::size_t kReservedCodewords = 1000;

// No symbol holds more than 1558 data codewords, and no data item takes less
// than half a codeword, so a longer item list cannot be encoded at all.
constexpr std::size_t kMaxEncodableItems = 2 * 1558;

// Explicit modes: a ready codeword inside the data cannot stand inside a C40,
// Text, X12, EDIFACT or Base 256 run, so it closes the run, goes in ASCII, and
// the scheme is latched again for the characters after it.
RunPlan planExplicitRuns(EncodingMode mode, const DataItemList& items)
{
    RunPlan plan;
    if (mode == Ascii) {
        plan.push_back({Ascii, items});
        return plan;
    }
    for (const DataItem& item : items) {
        const EncodingMode scheme = item.isCodeword ? Ascii : mode;
        if (plan.empty() || plan.back().scheme != scheme) {
            plan.push_back({scheme, {}});
        }
        plan.back().items.push_back(item);
    }
    return plan;
}

// How each run is closed. Readers return to ASCII on their own when the
// symbol has at most one (C40, Text, X12) or two (EDIFACT) data codewords
// left after a run's last packed group; the endings are chosen so that they
// agree.
struct RunEnding {
    bool finalSegment = false;
    bool omitUnlatch = false;        // leave out the unlatch codeword written after the last packed group
    bool base256ToSymbolEnd = false;  // Base 256 length field 0: the run fills the symbol
};

struct RunLayout {
    // Codewords up to and including the last packed group (for C40 and Text
    // the triple that packs two values left over with a filler); the
    // unlatch codeword, where the run writes one, stands right after them.
    std::size_t packedEnd = 0;
};

std::size_t dataCharacterCount(const DataItemList& items)
{
    std::size_t count = 0;
    for (const DataItem& item : items) {
        count += item.isCodeword ? 0 : 1;
    }
    return count;
}

// Characters left over after the last full pair/triple (X12) or quadruple (EDIFACT).
std::size_t leftoverCount(const EncodationRun& run)
{
    const std::size_t group = run.scheme == X12 ? 3 : 4;
    return dataCharacterCount(run.items) % group;
}

// Codewords of the full triples or quadruples of a C40, Text, X12 or
// EDIFACT run, with C40 and Text's filler triple for two values left over.
std::size_t packedLength(const EncodationRun& run)
{
    const std::size_t characters = dataCharacterCount(run.items);
    if (run.scheme == X12) {
        return 2 * (characters / 3);
    }
    if (run.scheme == Edifact) {
        return 3 * (characters / 4);
    }
    std::size_t values = 0;
    for (const DataItem& item : run.items) {
        values += item.isCodeword ? 0 : static_cast<std::size_t>(c40TextValueCount(run.scheme == C40, item.value));
    }
    return 2 * (values / 3) + (values % 3 == 2 ? 2 : 0);
}

std::size_t packedEndOf(const EncodationRun& run, std::size_t start)
{
    const std::size_t codewordItems = run.items.size() - dataCharacterCount(run.items);
    return start + 1 + codewordItems + packedLength(run);
}

bool encodeRuns(const RunPlan& plan, const std::vector<RunEnding>& endings, CodewordString& out,
                std::vector<RunLayout>& layout)
{
    layout.assign(plan.size(), {});
    for (std::size_t j = 0; j < plan.size(); ++j) {
        const EncodationRun& run = plan[j];
        const std::size_t start = out.size();
        const bool encoded = endings[j].base256ToSymbolEnd ? encodeBase256(run.items, out, true)
                                                           : encodeRun(run.scheme, run.items, endings[j].finalSegment, out);
        if (!encoded) {
            return false;
        }
        if (run.scheme == C40 || run.scheme == Text || run.scheme == X12 || run.scheme == Edifact) {
            layout[j].packedEnd = packedEndOf(run, start);
        }
        if (endings[j].omitUnlatch) {
            out.erase(out.begin() + static_cast<std::ptrdiff_t>(layout[j].packedEnd));
        }
    }
    return true;
}

// A lone EDIFACT unlatch that readers would already take for ASCII data.
bool markLoneUnlatches(const RunPlan& plan, const std::vector<RunLayout>& layout, std::size_t capacity,
                       std::vector<RunEnding>& endings)
{
    bool changed = false;
    for (std::size_t j = 0; j + 1 < plan.size(); ++j) {
        if (plan[j].scheme == Edifact && leftoverCount(plan[j]) == 0 && capacity - layout[j].packedEnd <= 2) {
            endings[j].omitUnlatch = true;
            changed = true;
        }
    }
    return changed;
}

// A final X12 or EDIFACT run that ends without an unlatch while readers would
// still be reading that scheme gets the explicit ending of a run that does not
// end the data.
bool markExplicitFinalUnlatch(const RunPlan& plan, const std::vector<RunLayout>& layout, std::size_t capacity,
                              std::vector<RunEnding>& endings)
{
    if (plan.empty()) {
        return false;
    }
    const std::size_t last = plan.size() - 1;
    const EncodationRun& run = plan[last];
    const std::size_t k = run.scheme == X12 || run.scheme == Edifact ? leftoverCount(run) : 0;
    const bool endsWithoutUnlatch = (run.scheme == X12 && k <= 1) || (run.scheme == Edifact && k <= 2);
    if (!endsWithoutUnlatch) {
        return false;
    }
    const std::size_t readerLimit = run.scheme == X12 ? 1 : 2;
    if (capacity - layout[last].packedEnd <= readerLimit) {
        return false;
    }
    endings[last].finalSegment = false;
    return true;
}

// Minimal encodation, which chooses the symbol before it writes the runs: a
// C40, Text or X12 run whose last triple ends at most one codeword before the
// end of the symbol leaves out its unlatch, as readers take a last single
// codeword for ASCII by themselves. The look-ahead keeps the unlatch it
// always wrote.
bool markImplicitTripleUnlatches(const RunPlan& plan, const std::vector<RunLayout>& layout, std::size_t capacity,
                                 std::vector<RunEnding>& endings)
{
    bool changed = false;
    for (std::size_t j = 0; j < plan.size(); ++j) {
        const EncodationRun& run = plan[j];
        if (run.scheme != C40 && run.scheme != Text && run.scheme != X12) {
            continue;
        }
        // An X12 run that ends the data writes its unlatch only before two characters left over.
        const bool writesUnlatch = run.scheme != X12 || !endings[j].finalSegment || leftoverCount(run) == 2;
        if (writesUnlatch && !endings[j].omitUnlatch && capacity <= layout[j].packedEnd + 1) {
            endings[j].omitUnlatch = true;
            changed = true;
        }
    }
    return changed;
}

// Minimal encodation: a last Base 256 run of 250 bytes or more that fills the
// symbol exactly once its length field is the single 0 "to the end of the
// symbol" instead of two codewords.
bool markBase256ToSymbolEnd(const RunPlan& plan, std::size_t encodedLength, std::size_t capacity,
                            std::vector<RunEnding>& endings)
{
    if (plan.empty() || plan.back().scheme != Base256 || plan.back().items.size() < 250 ||
        encodedLength != capacity + 1) {
        return false;
    }
    endings.back().base256ToSymbolEnd = true;
    return true;
}

FormatRequest formatRequest(const EncodationInput& input)
{
    return {input.preferredFormat, input.shape, input.dmre};
}

// The runs as segments; ready codewords taken ahead of the runs join a
// leading ASCII run or make one of their own.
std::vector<EncodationSegment> segmentsOf(const RunPlan& plan, std::size_t leading)
{
    std::vector<EncodationSegment> segments;
    if (leading > 0) {
        segments.push_back({Ascii, leading});
    }
    for (const EncodationRun& run : plan) {
        if (run.items.empty()) {
            continue;
        }
        if (!segments.empty() && segments.back().scheme == run.scheme) {
            segments.back().items += run.items.size();
        } else {
            segments.push_back({run.scheme, run.items.size()});
        }
    }
    return segments;
}

}  // namespace

void appendStructuredAppendHeader(std::int32_t position, std::int32_t total, std::int32_t id, CodewordString& out)
{
    out.push_back(kStructuredAppend);
    out.push_back(static_cast<Codeword>(((position - 1) << 4) | (17 - total)));
    // The file identification is written as id / 255 and id mod 255; sequences
    // already printed rely on these values.
    out.push_back(static_cast<Codeword>(id / 255));
    out.push_back(static_cast<Codeword>(id % 255));
}

std::size_t takeLeadingCodewords(const DataItemList& items, CodewordString& out)
{
    std::size_t count = 0;
    while (count < items.size() && items[count].isCodeword) {
        out.push_back(items[count].value);
        ++count;
    }
    return count;
}

void padCodewords(std::uint16_t count, CodewordString& out)
{
    if (count == 0) {
        return;
    }
    out.push_back(kPad);
    for (std::uint16_t i = 1; i < count; ++i) {
        out.push_back(randomize253(kPad, nextPosition(out.size())));
    }
}

namespace {

// The structured append header and the leading ready codewords, which are
// taken off the items; fails for an unknown mode and for reader programming
// behind a header.
ResultCode startCodewords(EncodationInput& input, CodewordString& codewords, std::size_t& leading)
{
    const StructuredAppend& sequence = input.structuredAppend;
    if (sequence.enabled) {
        appendStructuredAppendHeader(sequence.position, sequence.total, sequence.id, codewords);
    }
    leading = takeLeadingCodewords(input.items, codewords);
    input.items.erase(input.items.begin(), input.items.begin() + static_cast<std::ptrdiff_t>(leading));

    if (!encodingModeFromNumber(static_cast<std::int32_t>(input.mode))) {
        return ResultCode::InvalidEncodingMode;
    }
    if (sequence.enabled && leading > 0 && codewords[kStructuredAppendHeaderLength] == kReaderProgramming) {
        // Reader programming has to be the symbol's very first codeword, and
        // readers reject a symbol where the header comes before it.
        return ResultCode::InvalidData;
    }
    return ResultCode::Ok;
}

// Marks the run endings the chosen capacity allows (unlatches left out, a
// Base 256 run to the symbol's end) and writes the runs again after each.
void fitEndingsToCapacity(const RunPlan& plan, std::size_t capacity, bool minimal, std::size_t headerLength,
                          std::vector<RunEnding>& endings, std::vector<RunLayout>& layout, CodewordString& codewords)
{
    const auto encodeAgain = [&]() {
        codewords.resize(headerLength);
        encodeRuns(plan, endings, codewords, layout);
    };
    if (markLoneUnlatches(plan, layout, capacity, endings)) {
        encodeAgain();
    }
    if (markExplicitFinalUnlatch(plan, layout, capacity, endings)) {
        encodeAgain();
    }
    if (minimal) {
        const bool tripleUnlatches = markImplicitTripleUnlatches(plan, layout, capacity, endings);
        if (markBase256ToSymbolEnd(plan, codewords.size(), capacity, endings) || tripleUnlatches) {
            encodeAgain();
        }
    }
}

}  // namespace

ResultCode encodeDataCodewords(EncodationInput input, CodewordString& codewords, SymbolFormat& format,
                               EncodationSummary* summary)
{
    codewords.clear();
    codewords.reserve(kReservedCodewords);
    std::size_t leading = 0;
    if (const ResultCode started = startCodewords(input, codewords, leading); started != ResultCode::Ok) {
        return started;
    }
    const DataItemList& items = input.items;
    const EncodingMode mode = input.mode;
    if (mode == Automatic && items.size() > kMaxEncodableItems) {
        // No symbol could hold it; spare the quadratic look-ahead.
        return selectFormat(formatRequest(input), codewords.size() + items.size(), format);
    }

    // The minimal encodation knows the capacity its runs need before they are
    // written; the look-ahead and the explicit modes learn it from their length.
    const bool minimal = mode == Automatic && input.minimal;
    RunPlan plan;
    if (minimal) {
        MinimalEncodation found = planMinimalRuns(items, codewords.size());
        if (const ResultCode selected = selectFormat(formatRequest(input), found.requiredCapacity, format);
            selected != ResultCode::Ok) {
            return selected;
        }
        plan = std::move(found.plan);
    } else {
        plan = mode == Automatic ? planAutomaticRuns(items) : planExplicitRuns(mode, items);
    }
    std::vector<RunEnding> endings(plan.size());
    if (!endings.empty()) {
        endings.back().finalSegment = true;
    }
    const std::size_t headerLength = codewords.size();
    std::vector<RunLayout> layout;
    if (!encodeRuns(plan, endings, codewords, layout)) {
        return ResultCode::InvalidData;
    }
    if (!minimal) {
        if (const ResultCode selected = selectFormat(formatRequest(input), codewords.size(), format);
            selected != ResultCode::Ok) {
            return selected;
        }
    }
    const std::size_t capacity = format.dataCodewords;
    fitEndingsToCapacity(plan, capacity, minimal, headerLength, endings, layout, codewords);
    if (codewords.size() > capacity) {
        // The endings chosen for this capacity never make the runs longer
        // than it; should they, nothing is padded past the symbol's end.
        return ResultCode::DataDoesNotFitFormat;
    }
    if (summary != nullptr) {
        summary->segments = segmentsOf(plan, leading);
        summary->dataCodewordsUsed = codewords.size();
    }
    padCodewords(static_cast<std::uint16_t>(capacity - codewords.size()), codewords);
    return ResultCode::Ok;
}

}  // namespace korvel
