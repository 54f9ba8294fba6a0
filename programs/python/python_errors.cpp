#include "python_errors.hpp"

#include <cerrno>

namespace korvel::python {
namespace {

// The classes live in a Python module of the package; they are looked up
// when an error is made (sys.modules holds the module), so that the
// extension keeps no Python objects of its own between calls.
py::object errorClass(const char* name) { return py::module_::import("korvel._errors").attr(name); }

const char* errorClassName(ResultCode code)
{
    switch (code) {
    case ResultCode::InvalidArgument:
    case ResultCode::InvalidBarcodeSize:
    case ResultCode::InvalidEncodingMode:
    case ResultCode::InvalidPreferredFormat:
    case ResultCode::EmptyOutputFileName: return "ArgumentError";
    case ResultCode::InvalidData: return "DataError";
    case ResultCode::NoMatrixFormat:
    case ResultCode::DataDoesNotFitFormat: return "CapacityError";
    case ResultCode::InvalidGs1Data: return "GS1Error";
    case ResultCode::VerificationFailed: return "VerificationError";
    default: return "Error";
    }
}

std::string keywordValueMessage(std::string_view keyword, py::handle value, std::string_view accepted)
{
    std::string message = "Error: Invalid value for ";
    message += keyword;
    message += ": ";
    message += py::repr(value).cast<std::string>();
    message += " (";
    message += accepted;
    message += ").";
    return message;
}

}  // namespace

py::object exceptionFor(const Outcome& outcome)
{
    const std::string message = outcomeMessage(outcome);
    const auto code = static_cast<unsigned>(outcome.code);
    switch (outcome.code) {
    case ResultCode::CantOpenOutputFile:
    case ResultCode::CantCloseOutputFile: return py::reinterpret_borrow<py::object>(PyExc_OSError)(message);
    case ResultCode::UnknownException: return py::reinterpret_borrow<py::object>(PyExc_MemoryError)(message);
    default: break;
    }
    const py::object type = errorClass(errorClassName(outcome.code));
    if (outcome.code == ResultCode::InvalidGs1Data && outcome.gs1Fault) {
        const Gs1Fault& fault = *outcome.gs1Fault;
        return type(message, code, py::arg("ai") = fault.ai.empty() ? py::object(py::none()) : py::object(py::str(fault.ai)),
                    py::arg("position") = fault.position, py::arg("length") = fault.length);
    }
    return type(message, code);
}

void raise(const py::object& exception)
{
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(exception.ptr())), exception.ptr());
    throw py::error_already_set();
}

void raiseOutcome(const Outcome& outcome) { raise(exceptionFor(outcome)); }

void raiseVerificationFailed(const Outcome& outcome, const py::object& verification)
{
    raise(errorClass("VerificationError")(outcomeMessage(outcome), static_cast<unsigned>(outcome.code),
                                          py::arg("verification") = verification));
}

void raiseWriteFailure(const Outcome& outcome, int error, const py::object& path)
{
    if (outcome.code == ResultCode::CantOpenOutputFile && error != 0) {
        errno = error;
        PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, path.ptr());
        throw py::error_already_set();
    }
    if (outcome.code == ResultCode::CantOpenOutputFile || outcome.code == ResultCode::CantCloseOutputFile) {
        raise(py::reinterpret_borrow<py::object>(PyExc_OSError)(
            outcomeMessage(outcome) + " (" + py::str(path).cast<std::string>() + ")"));
    }
    raiseOutcome(outcome);
}

void raiseInvalidValue(std::string_view keyword, py::handle value, std::string_view accepted)
{
    raise(errorClass("ArgumentError")(keywordValueMessage(keyword, value, accepted), 1));
}

void raiseInvalidType(std::string_view keyword, py::handle value, std::string_view accepted)
{
    raise(errorClass("ArgumentTypeError")(keywordValueMessage(keyword, value, accepted), 1));
}

void raiseArgumentError(const std::string& detail)
{
    raiseOutcome({ResultCode::InvalidArgument, detail});
}

void raiseArgumentTypeError(const std::string& message) { raise(errorClass("ArgumentTypeError")(message, 1)); }

}  // namespace korvel::python
