#pragma once
// Many symbols at once for korvel.encode_many: the items of one chunk are
// read under the GIL, encoded on several threads with the GIL released, and
// handed back in input order, each a Symbol or the exception for that item.

#include <pybind11/pybind11.h>

namespace korvel::python {

namespace py = pybind11;

void defineBatchEncoder(py::module_& module);

}  // namespace korvel::python
