#pragma once
// Parsed GS1 and HIBC data as the encoder's input.

#include "encodation/data_item.hpp"
#include "korvel/gs1.hpp"

namespace korvel {

// An element string: FNC1 in first position as a ready codeword, then each AI
// and value as data characters, with a separator (FNC1 codeword, or the data
// character 29) after every value of variable length except the last. A
// Digital Link: the URI's characters, without FNC1.
[[nodiscard]] DataItemList gs1DataItems(const Gs1Data& data, Gs1Separator separator);

// "+", the data and the check character, as data characters.
[[nodiscard]] DataItemList hibcDataItems(const HibcData& data);

}  // namespace korvel
