#pragma once
// Automatic choice of encodation schemes by look-ahead: the data is cut into
// runs, each in the scheme that the look-ahead estimates to be cheapest.

#include <cstddef>

#include "encodation/encodation_run.hpp"

namespace korvel {


// The scheme (1..6) the look-ahead chooses for the first of `count` items
// starting at `items`, given the scheme now in force.
[[nodiscard]] EncodingMode lookAheadTest(EncodingMode current, const DataItem* items, std::size_t count);

// Cuts the items into runs by look-ahead. Ready codewords always stand in ASCII
// runs; a data character that the chosen X12 or EDIFACT scheme cannot hold goes
// into an ASCII run instead; and no item returns to a scheme it already left.
[[nodiscard]] RunPlan planAutomaticRuns(const DataItemList& items);

}  // namespace korvel
