#pragma once
// The package's exceptions (defined in korvel/_errors.py) made from the
// library's outcomes and from refused keyword values. Every message is the
// line the korvel program prints for the same fault ("Error: ...").

#include <pybind11/pybind11.h>

#include <string>
#include <string_view>

#include "korvel/result_code.hpp"

namespace korvel::python {

namespace py = pybind11;

// The exception for a failed outcome, not raised: korvel.ArgumentError
// (1, 4, 6, 7, 11), DataError (5), CapacityError (8, 10), GS1Error (15,
// with the fault's AI, position and length), VerificationError (16),
// OSError (12, 13), MemoryError (14), korvel.Error for the rest.
[[nodiscard]] py::object exceptionFor(const Outcome& outcome);

// Raises the exception (a C++ throw that pybind11 hands to Python).
[[noreturn]] void raise(const py::object& exception);
[[noreturn]] void raiseOutcome(const Outcome& outcome);

// korvel.VerificationError for a failed verification (16), carrying what
// was checked and found as `verification`.
[[noreturn]] void raiseVerificationFailed(const Outcome& outcome, const py::object& verification);

// OSError for an output file that could not be written: with the errno
// value and the path when the file could not be opened, else the message.
[[noreturn]] void raiseWriteFailure(const Outcome& outcome, int error, const py::object& path);

// A keyword value that is refused: korvel.ArgumentError "Error: Invalid
// value for dpi: 0 (an integer from 1 to 100000).", or
// korvel.ArgumentTypeError (also a TypeError) when the value's type is wrong.
[[noreturn]] void raiseInvalidValue(std::string_view keyword, py::handle value, std::string_view accepted);
[[noreturn]] void raiseInvalidType(std::string_view keyword, py::handle value, std::string_view accepted);

// korvel.ArgumentError "Error: Invalid argument: <detail>."
[[noreturn]] void raiseArgumentError(const std::string& detail);
// korvel.ArgumentTypeError with this message (a keyword the call does not take).
[[noreturn]] void raiseArgumentTypeError(const std::string& message);

}  // namespace korvel::python
