#pragma once
// A run: consecutive data items encoded in one scheme. The encodation driver
// turns the prepared data into a list of runs, then encodes them one after
// another.

#include <vector>

#include "encodation/data_item.hpp"
#include "korvel/codeword_string.hpp"
#include "korvel/encoding_mode.hpp"

namespace korvel {

struct EncodationRun {
    EncodingMode scheme = Ascii;
    DataItemList items;
};

using RunPlan = std::vector<EncodationRun>;

// Appends the codewords of one run in its scheme. finalSegment is passed on to
// the X12 and EDIFACT encoders only. An empty run writes nothing.
[[nodiscard]] bool encodeRun(EncodingMode scheme, const DataItemList& run, bool finalSegment, CodewordString& out);

// Whether the scheme can encode the data character c at all.
[[nodiscard]] bool schemeEncodes(EncodingMode scheme, std::uint8_t c);

}  // namespace korvel
