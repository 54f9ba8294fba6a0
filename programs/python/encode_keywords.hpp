#pragma once
// The keywords of encode and encode_many: the program's long options with
// '_' for '-', read strictly into SymbolOptions, and the data of one call.

#include <pybind11/pybind11.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "korvel/symbol_options.hpp"

namespace korvel::python {

namespace py = pybind11;

// What the keywords ask for, apart from the data.
struct EncodeSettings {
    SymbolOptions options;  // syntax and utf8 follow from the data (symbolOptionsFor)
    bool escapes = false;
    std::optional<bool> utf8;  // unset: on for str data, off for bytes
};

// Reads the keywords of `function` (named in messages): gs1, gs1_nocheck,
// gs1_separator, hibc, escapes, utf8, mode, fmt, shape, dmre, minimal, sapp.
// None leaves a keyword at its default. Raises korvel.ArgumentError (or
// ArgumentTypeError) for an unknown keyword, a refused value or a
// combination that the program refuses.
[[nodiscard]] EncodeSettings encodeSettingsOf(const py::kwargs& keywords, std::string_view function);

// The symbol options for one item of data: str (UTF-8, written in
// ISO 8859-1 where it can be, else behind ECI 26, unless utf8=False) or a
// bytes-like object (taken literally). Raises korvel.ArgumentTypeError for
// other types and korvel.DataError for text that is not valid Unicode.
[[nodiscard]] SymbolOptions symbolOptionsFor(const EncodeSettings& settings, py::handle data);

// The bytes of data given as str (UTF-8; isText set) or as a bytes-like
// object. Raises as symbolOptionsFor does.
[[nodiscard]] std::string dataBytes(py::handle data, bool& isText);

}  // namespace korvel::python
