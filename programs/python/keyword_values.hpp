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

}  // namespace korvel::python
