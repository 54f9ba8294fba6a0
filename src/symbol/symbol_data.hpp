#pragma once
// The data of a symbol as the encoder receives it: escapes resolved, GS1 and
// HIBC data parsed and framed, UTF-8 text converted.

#include "encodation/data_item.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol_options.hpp"

namespace korvel {

// The items `encode` encodes for these options; the failures of parsing and
// UTF-8 reading are those of `encode`.
[[nodiscard]] Outcome prepareSymbolData(const SymbolOptions& options, DataItemList& items);

}  // namespace korvel
