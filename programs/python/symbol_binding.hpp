#pragma once
// korvel.Symbol: a finished symbol with the options it was made from, its
// attributes, the buffer protocol over its module matrix, and its outputs
// (PNG, SVG, EPS, PDF, to memory or a file), verification and report.

#include <pybind11/pybind11.h>

#include "korvel/symbol.hpp"
#include "korvel/symbol_options.hpp"

namespace korvel::python {

namespace py = pybind11;

// What a Python Symbol holds: the symbol and the options it was encoded
// from, which verification and the report read the meant data from.
struct SymbolHandle {
    SymbolOptions options;
    Symbol symbol;
};

// Encodes with the GIL released; raises the package's exception for a
// failure.
[[nodiscard]] SymbolHandle encodeOrRaise(SymbolOptions options);

void defineSymbol(py::module_& module);

}  // namespace korvel::python
