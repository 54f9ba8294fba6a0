#pragma once
// Strict reading of keyword values: each reader takes the Python types that
// mean the value and nothing else (no bool for a number, no number for a
// flag, no text for a number), and refuses what is out of range with a
// message that names the keyword, the value and what is accepted.

#include <pybind11/pybind11.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "korvel/color.hpp"
#include "options/combination_rules.hpp"
#include "options/option_table.hpp"

namespace korvel::python {

namespace py = pybind11;

// The keyword as UTF-8 text.
[[nodiscard]] std::string_view keywordName(py::handle key);

// True or False only.
[[nodiscard]] bool flagValue(std::string_view keyword, py::handle value);
// A Python int (or any object with __index__, not a bool) in low..high.
[[nodiscard]] std::int64_t integerValue(std::string_view keyword, py::handle value, std::int64_t low,
                                        std::int64_t high, std::string_view accepted);
// An int or float (not a bool), finite.
[[nodiscard]] double realValue(std::string_view keyword, py::handle value, std::string_view accepted);
// A str, compared without regard to letter case: the lower-case text.
[[nodiscard]] std::string wordValue(std::string_view keyword, py::handle value, std::string_view accepted);
// "#RRGGBB" (or "RRGGBB" as the program takes it) or a sequence of three
// integers 0..255.
[[nodiscard]] Color colorValue(std::string_view keyword, py::handle value);

// The same readers with the range of the option's row (options/option_table.hpp):
// an integer in its range (and among its allowed values, when the row lists
// them), a real number in its range, or one of its keywords (the keyword's number).
[[nodiscard]] std::int64_t integerValue(std::string_view keyword, py::handle value, OptionId option,
                                        std::string_view accepted);
[[nodiscard]] double realValue(std::string_view keyword, py::handle value, OptionId option,
                               std::string_view accepted);
[[nodiscard]] std::int64_t wordValue(std::string_view keyword, py::handle value, OptionId option,
                                     std::string_view accepted);

// Raises korvel.ArgumentError for the first combination rule that the facts
// break (the rules every caller has), in the program's words with the
// keywords' names ("module_mm cannot be combined with xsize or ysize").
void checkKeywordCombinations(const RunFacts& facts);

}  // namespace korvel::python
