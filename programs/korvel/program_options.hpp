#pragma once
// The option scanner's tables, made from the option rows of
// options/option_table.hpp: the one-letter forms (a letter followed by ':'
// takes a value) and the long names in the order in which a prefix of a long
// name is matched. Options added after the first eighteen have no one-letter
// form and are matched by their full names only.

#include <string>
#include <vector>

#include "option_scanner.hpp"
#include "options/option_table.hpp"

namespace korvel {

// What the scanner returns for an option: its letter, or for an option
// without one kFirstLongOnlyCode plus its OptionId.
[[nodiscard]] int scannerCode(const OptionDefinition& option) noexcept;

// The option behind a code the scanner returned, or null.
[[nodiscard]] const OptionDefinition* optionForCode(int code) noexcept;

// "hx:y:n:d:f:m:o:b:r:q:z:v:s:p:t:i:e:"
extern const std::string kShortOptions;
extern const std::vector<LongOption> kLongOptions;

}  // namespace korvel
