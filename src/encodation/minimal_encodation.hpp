#pragma once
// The encodation with the fewest data codewords: a shortest path over encoder
// states (scheme, characters waiting to be packed, ASCII digit waiting for its
// pair) across all six schemes, instead of the look-ahead's estimate.

#include <cstddef>

#include "encodation/encodation_run.hpp"

namespace korvel {

struct MinimalEncodation {
    // The smallest data capacity that holds the runs once the driver has
    // chosen their endings for that capacity. Every larger capacity holds them
    // too, so the first candidate format with at least this capacity is the
    // first one that any encodation within the search fits.
    std::size_t requiredCapacity = 0;
    RunPlan plan;
};

// Runs for the items after `startLength` codewords already written (structured
// append header, leading ready codewords). The search covers every way of
// cutting the items into runs of the six schemes, with ready codewords in
// ASCII, priced exactly as the scheme encoders write them and with every
// ending that the room left in the symbol allows: C40, Text and X12 without
// their unlatch where at most one codeword follows their last triple,
// EDIFACT without it where at most two follow its last group, Base 256 with
// the length 0 of a run that fills the symbol. Linear in the number of items.
[[nodiscard]] MinimalEncodation planMinimalRuns(const DataItemList& items, std::size_t startLength);

}  // namespace korvel
