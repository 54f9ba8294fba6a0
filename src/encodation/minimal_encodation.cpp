#include "encodation/minimal_encodation.hpp"

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "encodation/scheme_encoders.hpp"

namespace korvel {
namespace {

// Where the encoder stands between two items. Costs count the codewords
// written so far; characters still waiting to be packed cost nothing yet, and
// what a run's ending writes is paid when the run is closed.
enum State : std::uint8_t {
    kAscii,       // ASCII, no digit waiting
    kAsciiDigit,  // ASCII, one digit written alone that the next digit joins into a pair
    kC40,         // C40 with 0, 1 or 2 values waiting for their triple; "High": the last
    kC40One,      // character is above 127 (it takes two ASCII codewords when the run ends)
    kC40OneHigh,
    kC40Two,
    kText,
    kTextOne,
    kTextOneHigh,
    kTextTwo,
    kX12,  // X12 with 0, 1 or 2 characters waiting
    kX12One,
    kX12Two,
    kEdifact,  // EDIFACT with 0 to 3 characters waiting
    kEdifactOne,
    kEdifactTwo,
    kEdifactThree,
    kBase256,      // Base 256 with a one-codeword length field (fewer than 250 bytes)
    kBase256Long,  // Base 256 with a two-codeword length field
    // ASCII after an EDIFACT run that ended on a full group, its unlatch not
    // yet written: where at most two codewords follow, readers return to ASCII
    // by themselves and the driver leaves the unlatch out. The number counts
    // the ASCII codewords after the run; "Digit" as for kAsciiDigit.
    kTail,
    kTailOne,
    kTailOneDigit,
    kTailTwo,
    kTailTwoDigit,
    // ASCII after a C40, Text or X12 run that ended on a full triple, its
    // unlatch not yet written: where at most one codeword follows, readers
    // take it for ASCII by themselves and the driver leaves the unlatch out.
    // "One": that codeword is written; "Digit" as for kAsciiDigit.
    kTripleTail,
    kTripleTailOne,
    kTripleTailOneDigit,
    kStateCount
};

constexpr int kUnreached = std::numeric_limits<int>::max();
constexpr int kBase256LongRun = 250;  // bytes from which the length field takes two codewords

// The cheapest way found into one state: its cost and, for kBase256 only,
// the bytes of the run so far.
struct Reached {
    int cost = kUnreached;
    int base256Bytes = 0;
};
using Costs = std::array<Reached, kStateCount>;

// How each state of one layer was reached: the state it came from in the
// layer before, with kLatched set when the item opened a new run.
constexpr std::uint8_t kLatched = 0x80;
using Links = std::array<std::uint8_t, kStateCount>;

// One layer being filled: costs and the links behind them.
struct Layer {
    Costs& costs;
    Links& links;

    // Keeps the cheaper way into `to`; among Base 256 runs of equal cost the
    // shorter one, which reaches the two-codeword length field later.
    void relax(State to, int cost, int base256Bytes, State from, bool latched) const
    {
        Reached& r = costs[to];
        if (cost < r.cost || (cost == r.cost && base256Bytes < r.base256Bytes)) {
            r = {cost, base256Bytes};
            links[to] = static_cast<std::uint8_t>(from | (latched ? kLatched : 0));
        }
    }
};

EncodingMode schemeOf(State s)
{
    if (s >= kC40 && s <= kC40Two) {
        return C40;
    }
    if (s >= kText && s <= kTextTwo) {
        return Text;
    }
    if (s >= kX12 && s <= kX12Two) {
        return X12;
    }
    if (s >= kEdifact && s <= kEdifactThree) {
        return Edifact;
    }
    if (s == kBase256 || s == kBase256Long) {
        return Base256;
    }
    return Ascii;
}

int asciiCost(std::uint8_t c) { return c > 127 ? 2 : 1; }

class Search {
public:
    Search(const DataItemList& items, std::size_t startLength)
        : items_(items), settledLinks_(items.size() + 1), openLinks_(items.size() + 1)
    {
        settled_[kAscii].cost = static_cast<int>(startLength);
    }

    MinimalEncodation run()
    {
        for (std::size_t i = 0; i < items_.size(); ++i) {
            closeRuns(i);
            settled_ = Costs{};
            consume(i, {settled_, settledLinks_[i + 1]});
        }
        closeRuns(items_.size());
        const auto [end, required] = bestEnd();
        return {static_cast<std::size_t>(required), tracePlan(end)};
    }

private:
    // Ending a run before item i: the codewords its ending writes, leaving
    // ASCII in force. The open layer also keeps every state as it was.
    void closeRuns(std::size_t i)
    {
        const Costs& s = settled_;
        open_ = Costs{};
        const Layer o{open_, openLinks_[i]};
        for (std::size_t k = 0; k < kStateCount; ++k) {
            if (s[k].cost != kUnreached) {
                o.relax(static_cast<State>(k), s[k].cost, s[k].base256Bytes, static_cast<State>(k), false);
            }
        }
        const auto close = [&](State from, int written, State to) {
            if (s[from].cost != kUnreached) {
                o.relax(to, s[from].cost + written, 0, from, false);
            }
        };
        // C40 and Text: unlatch; two waiting values are packed first, one
        // waiting value's character is written again in ASCII after it.
        // Ending on a full triple, the unlatch may wait (kTripleTail).
        for (const State first : {kC40, kText}) {
            close(first, 1, kAscii);
            close(static_cast<State>(first + 1), 1 + 1, kAscii);
            close(static_cast<State>(first + 2), 1 + 2, kAscii);
            close(static_cast<State>(first + 3), 2 + 1, kAscii);
            close(first, 0, kTripleTail);
            close(static_cast<State>(first + 3), 2, kTripleTail);
        }
        close(kX12, 1, kAscii);
        close(kX12, 0, kTripleTail);
        close(kEdifact, 1, kAscii);
        close(kEdifact, 0, kTail);
        close(kEdifactThree, 3, kAscii);  // three characters and the unlatch in one group
        close(kBase256, 0, kAscii);
        close(kBase256Long, 0, kAscii);
        // More than two codewords after the EDIFACT run: its unlatch is written.
        close(kTailOne, 1, kAscii);
        close(kTailOneDigit, 1, kAsciiDigit);
        close(kTailTwo, 1, kAscii);
        close(kTailTwoDigit, 1, kAsciiDigit);
        // More than one codeword after the C40, Text or X12 run: its unlatch is written.
        close(kTripleTailOne, 1, kAscii);
        close(kTripleTailOneDigit, 1, kAsciiDigit);
    }

    void consume(std::size_t i, const Layer& next) const
    {
        const DataItem& item = items_[i];
        const Costs& o = open_;
        const State latchFrom = o[kAsciiDigit].cost < o[kAscii].cost ? kAsciiDigit : kAscii;
        const int latchBase = o[latchFrom].cost;
        const auto step = [&](State from, int added, State to) {
            if (o[from].cost != kUnreached) {
                next.relax(to, o[from].cost + added, 0, from, false);
            }
        };
        const auto latch = [&](int added, State to, int base256Bytes = 0) {
            if (latchBase != kUnreached) {
                next.relax(to, latchBase + added, base256Bytes, latchFrom, true);
            }
        };

        if (item.isCodeword) {
            // Ready codewords stand in ASCII, where they mean what they say.
            step(kAscii, 1, kAscii);
            step(kAsciiDigit, 1, kAscii);
            step(kTail, 1, kTailOne);
            step(kTailOne, 1, kTailTwo);
            step(kTailOneDigit, 1, kTailTwo);
            step(kTripleTail, 1, kTripleTailOne);
            return;
        }
        const std::uint8_t c = item.value;
        consumeAscii(c, step);
        for (const bool c40 : {true, false}) {
            consumeC40Text(c40, c, step, latch);
        }
        if (isX12Char(c)) {
            step(kX12, 0, kX12One);
            step(kX12One, 0, kX12Two);
            step(kX12Two, 2, kX12);
            latch(1, kX12One);
        }
        if (isEdifactChar(c)) {
            step(kEdifact, 0, kEdifactOne);
            step(kEdifactOne, 0, kEdifactTwo);
            step(kEdifactTwo, 0, kEdifactThree);
            step(kEdifactThree, 3, kEdifact);
            latch(1, kEdifactOne);
        }
        consumeBase256(o, next);
        latch(2 + 1, kBase256, 1);  // latch, length field, the byte
    }

    template <typename Step>
    static void consumeAscii(std::uint8_t c, const Step& step)
    {
        const int cost = asciiCost(c);
        if (isDigit(c)) {
            step(kAscii, 1, kAsciiDigit);
            step(kAsciiDigit, 0, kAscii);  // the pair takes the codeword already counted
            step(kTail, 1, kTailOneDigit);
            step(kTailOne, 1, kTailTwoDigit);
            step(kTailOneDigit, 0, kTailOne);
            step(kTailTwoDigit, 0, kTailTwo);
            step(kTripleTail, 1, kTripleTailOneDigit);
            step(kTripleTailOneDigit, 0, kTripleTailOne);
            return;
        }
        step(kAscii, cost, kAscii);
        step(kAsciiDigit, cost, kAscii);
        step(kTail, cost, cost == 1 ? kTailOne : kTailTwo);
        if (cost == 1) {
            step(kTailOne, 1, kTailTwo);
            step(kTailOneDigit, 1, kTailTwo);
            step(kTripleTail, 1, kTripleTailOne);
        }
    }

    template <typename Step, typename Latch>
    static void consumeC40Text(bool c40, std::uint8_t c, const Step& step, const Latch& latch)
    {
        const State first = c40 ? kC40 : kText;
        const auto waiting = [&](int values) {
            if (values == 1) {
                return static_cast<State>(first + (c > 127 ? 2 : 1));
            }
            return static_cast<State>(first + (values == 2 ? 3 : 0));
        };
        const int v = c40TextValueCount(c40, c);
        const std::array<std::pair<State, int>, 4> from{{{first, 0},
                                                         {static_cast<State>(first + 1), 1},
                                                         {static_cast<State>(first + 2), 1},
                                                         {static_cast<State>(first + 3), 2}}};
        for (const auto& [state, values] : from) {
            step(state, 2 * ((values + v) / 3), waiting((values + v) % 3));
        }
        latch(1 + 2 * (v / 3), waiting(v % 3));
    }

    static void consumeBase256(const Costs& o, const Layer& next)
    {
        const Reached& shortRun = o[kBase256];
        if (shortRun.cost != kUnreached) {
            const int bytes = shortRun.base256Bytes + 1;
            if (bytes < kBase256LongRun) {
                next.relax(kBase256, shortRun.cost + 1, bytes, kBase256, false);
            } else {
                next.relax(kBase256Long, shortRun.cost + 1 + 1, 0, kBase256, false);
            }
        }
        if (o[kBase256Long].cost != kUnreached) {
            next.relax(kBase256Long, o[kBase256Long].cost + 1, 0, kBase256Long, false);
        }
    }

    // The end state that needs the least capacity, and that capacity. Every
    // run has been closed, its ending paid, or it waits in a tail state for
    // the symbol to end within the codewords readers take for ASCII. A Base
    // 256 run of 250 bytes or more that fills the symbol exactly gives its
    // length as 0, "to the end of the symbol", in one codeword instead of two.
    [[nodiscard]] std::pair<State, int> bestEnd() const
    {
        std::pair<State, int> best{kAscii, kUnreached};
        const auto consider = [&](State s, int extra) {
            if (open_[s].cost != kUnreached && open_[s].cost + extra < best.second) {
                best = {s, open_[s].cost + extra};
            }
        };
        for (const State s : {kAscii, kAsciiDigit, kTail, kTailOne, kTailOneDigit, kTailTwo, kTailTwoDigit,
                              kTripleTail, kTripleTailOne, kTripleTailOneDigit}) {
            consider(s, 0);
        }
        consider(kBase256Long, -1);
        return best;
    }

    // Follows the chosen path back and cuts the items into its runs.
    [[nodiscard]] RunPlan tracePlan(State end) const
    {
        std::vector<State> stateOfItem(items_.size());
        std::vector<bool> opensRun(items_.size());
        State s = end;
        for (std::size_t i = items_.size(); i > 0; --i) {
            const auto settledState = static_cast<State>(openLinks_[i][s]);
            const std::uint8_t link = settledLinks_[i][settledState];
            stateOfItem[i - 1] = settledState;
            opensRun[i - 1] = (link & kLatched) != 0;
            s = static_cast<State>(link & ~kLatched);
        }
        RunPlan plan;
        for (std::size_t i = 0; i < items_.size(); ++i) {
            const EncodingMode scheme = schemeOf(stateOfItem[i]);
            if (plan.empty() || opensRun[i] || plan.back().scheme != scheme) {
                plan.push_back({scheme, {}});
            }
            plan.back().items.push_back(items_[i]);
        }
        return plan;
    }

    const DataItemList& items_;
    Costs settled_;                   // after the last item consumed, before any run is closed
    Costs open_;                      // before the next item, runs closed where that helps
    std::vector<Links> settledLinks_;  // [i]: how each settled state after item i - 1 was reached
    std::vector<Links> openLinks_;     // [i]: how each open state before item i was reached
};

}  // namespace

MinimalEncodation planMinimalRuns(const DataItemList& items, std::size_t startLength)
{
    return Search(items, startLength).run();
}

}  // namespace korvel
