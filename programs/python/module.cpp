// The extension module korvel._korvel: encode, the Symbol type, the engine
// of encode_many and GS1 parsing. The package korvel (korvel/__init__.py)
// presents them.

#include <pybind11/pybind11.h>

#include <string>
#include <utility>

#include "batch_encoding.hpp"
#include "encode_keywords.hpp"
#include "keyword_values.hpp"
#include "korvel/gs1.hpp"
#include "python_errors.hpp"
#include "symbol_binding.hpp"

namespace korvel::python {
namespace {

py::object encodeData(py::handle data, const py::kwargs& keywords)
{
    const EncodeSettings settings = encodeSettingsOf(keywords, "encode");
    return py::cast(encodeOrRaise(symbolOptionsFor(settings, data)));
}

py::list parseGs1Data(py::handle data, py::handle noCheck)
{
    bool isText = false;
    const std::string text = dataBytes(data, isText);
    Gs1Options options;
    options.contentChecks = noCheck.is_none() || !flagValue("nocheck", noCheck);
    Gs1Data parsed;
    if (Outcome outcome = parseGs1(text, options, parsed); !outcome.ok()) {
        raiseOutcome(outcome);
    }
    py::list elements;
    for (const Gs1Element& element : parsed.elements) {
        elements.append(py::make_tuple(element.ai, element.value));
    }
    return elements;
}

constexpr const char* kEncodeDoc = R"(encode(data, **options) -> Symbol

Makes a Data Matrix symbol from data, a str or bytes.

A str that ISO 8859-1 can hold is written in ISO 8859-1 (what readers
assume); any other str is written as UTF-8 behind ECI 000026. bytes are
written as they are. Options, named as the korvel program's long options:

  gs1=True       GS1 data: element string "[01]09501101530003[17]261231",
                 "(01)...(17)..." or a Digital Link URI; checked, FNC1 added
  gs1_nocheck=True  as gs1, checking only AIs, lengths and characters
  gs1_separator  'fnc1' (default) or 'gs': what ends a variable-length value
  hibc=True      HIBC supplier label data; '+' and the check character added
  escapes=True   the program's tilde escapes: ~1 FNC1, ~7dddddd ECI, ~Xhh ...
  utf8           False writes a str's UTF-8 bytes without conversion or ECI;
                 True treats bytes as UTF-8 text like a str
  mode           0/'auto' (default), 1/'ascii', 2/'c40', 3/'text',
                 4/'base256', 5/'edifact', 6/'x12'
  fmt            format: 0 smallest (default), 1-24 square, 25-30
                 rectangular, 31-48 DMRE (with dmre=True)
  shape          'square' (default) or 'rectangle' for fmt 0
  dmre=True      allow the rectangular extension formats 31-48
  minimal=True   the encodation with the fewest codewords (mode 0 only)
  sapp           structured append: (position, total) or
                 (position, total, file_id)

Raises korvel.ArgumentError (also TypeError for a value of the wrong type),
korvel.DataError, korvel.CapacityError or korvel.GS1Error.)";

constexpr const char* kParseGs1Doc = R"(parse_gs1(data, nocheck=False) -> list[tuple[str, str]]

Parses and checks GS1 data without encoding it; see korvel.gs1.parse.)";

}  // namespace
}  // namespace korvel::python

PYBIND11_MODULE(_korvel, module)
{
    namespace py = pybind11;
    using namespace korvel::python;
    py::options options;
    options.disable_function_signatures();
    module.doc() = "The native part of the korvel package; use the package korvel.";
    module.attr("__version__") = KORVEL_VERSION;
    defineSymbol(module);
    defineBatchEncoder(module);
    module.def("encode", &encodeData, py::arg("data"), kEncodeDoc);
    module.def("parse_gs1", &parseGs1Data, py::arg("data"), py::arg("nocheck") = py::none(), kParseGs1Doc);
}
