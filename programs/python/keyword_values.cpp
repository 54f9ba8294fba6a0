#include "keyword_values.hpp"

#include <algorithm>
#include <cmath>

#include "common/byte_text.hpp"
#include "python_errors.hpp"

namespace korvel::python {
namespace {

constexpr std::string_view kFlagAccepted = "True or False";
constexpr std::string_view kColorAccepted = "'#RRGGBB' or (red, green, blue) with 0 to 255 each";

bool isInteger(py::handle value) { return PyIndex_Check(value.ptr()) != 0 && !PyBool_Check(value.ptr()); }

Color colorFromText(std::string_view keyword, py::handle value)
{
    std::string_view text = keywordName(value);
    if (text.starts_with('#')) {
        text.remove_prefix(1);
    }
    std::uint32_t rgb = 0;
    for (const char c : text) {
        const int digit = hexDigit(c);
        if (digit < 0) {
            raiseInvalidValue(keyword, value, kColorAccepted);
        }
        rgb = (rgb << 4) | static_cast<std::uint32_t>(digit);
    }
    if (text.size() != 6) {
        raiseInvalidValue(keyword, value, kColorAccepted);
    }
    return Color::fromRgb(rgb);
}

}  // namespace

std::string_view keywordName(py::handle key)
{
    Py_ssize_t size = 0;
    const char* text = PyUnicode_AsUTF8AndSize(key.ptr(), &size);
    if (text == nullptr) {
        throw py::error_already_set();
    }
    return {text, static_cast<std::size_t>(size)};
}

bool flagValue(std::string_view keyword, py::handle value)
{
    if (!PyBool_Check(value.ptr())) {
        raiseInvalidType(keyword, value, kFlagAccepted);
    }
    return value.ptr() == Py_True;
}

std::int64_t integerValue(std::string_view keyword, py::handle value, std::int64_t low, std::int64_t high,
                          std::string_view accepted)
{
    if (!isInteger(value)) {
        raiseInvalidType(keyword, value, accepted);
    }
    const py::object number = py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
    if (!number) {
        throw py::error_already_set();
    }
    int overflow = 0;
    const long long result = PyLong_AsLongLongAndOverflow(number.ptr(), &overflow);
    if (overflow != 0 || result < low || result > high) {
        raiseInvalidValue(keyword, value, accepted);
    }
    return result;
}

double realValue(std::string_view keyword, py::handle value, std::string_view accepted)
{
    if (!PyFloat_Check(value.ptr()) && !isInteger(value)) {
        raiseInvalidType(keyword, value, accepted);
    }
    const double result = PyFloat_AsDouble(value.ptr());
    if (result == -1.0 && PyErr_Occurred() != nullptr) {
        PyErr_Clear();
        raiseInvalidValue(keyword, value, accepted);
    }
    if (!std::isfinite(result)) {
        raiseInvalidValue(keyword, value, accepted);
    }
    return result;
}

std::string wordValue(std::string_view keyword, py::handle value, std::string_view accepted)
{
    if (!PyUnicode_Check(value.ptr())) {
        raiseInvalidType(keyword, value, accepted);
    }
    std::string word(keywordName(value));
    for (char& c : word) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return word;
}

Color colorValue(std::string_view keyword, py::handle value)
{
    if (PyUnicode_Check(value.ptr())) {
        return colorFromText(keyword, value);
    }
    if (!PyTuple_Check(value.ptr()) && !PyList_Check(value.ptr())) {
        raiseInvalidType(keyword, value, kColorAccepted);
    }
    const py::sequence parts = py::reinterpret_borrow<py::sequence>(value);
    if (parts.size() != 3) {
        raiseInvalidValue(keyword, value, kColorAccepted);
    }
    std::uint8_t channels[3] = {};
    for (std::size_t i = 0; i < 3; ++i) {
        const py::object part = parts[i];
        if (!isInteger(part)) {
            raiseInvalidType(keyword, value, kColorAccepted);
        }
        const long long channel = PyLong_AsLongLong(part.ptr());
        if (channel < 0 || channel > 255) {
            PyErr_Clear();
            raiseInvalidValue(keyword, value, kColorAccepted);
        }
        channels[i] = static_cast<std::uint8_t>(channel);
    }
    return {channels[0], channels[1], channels[2]};
}

std::int64_t integerValue(std::string_view keyword, py::handle value, OptionId option, std::string_view accepted)
{
    const OptionDefinition& definition = optionDefinition(option);
    const std::int64_t number = integerValue(keyword, value, definition.integers.low, definition.integers.high, accepted);
    if (!definition.allowed.empty() && std::find(definition.allowed.begin(), definition.allowed.end(), number) == definition.allowed.end()) {
        raiseInvalidValue(keyword, value, accepted);
    }
    return number;
}

double realValue(std::string_view keyword, py::handle value, OptionId option, std::string_view accepted)
{
    const DecimalRange& range = optionDefinition(option).decimals;
    const double number = realValue(keyword, value, accepted);
    const bool aboveLow = range.lowExcluded ? number > range.low : number >= range.low;
    if (!aboveLow || number > range.high) {
        raiseInvalidValue(keyword, value, accepted);
    }
    return number;
}

std::int64_t wordValue(std::string_view keyword, py::handle value, OptionId option, std::string_view accepted)
{
    const std::string word = wordValue(keyword, value, accepted);
    for (const Keyword& known : optionDefinition(option).keywords) {
        if (known.name == word) {
            return known.value;
        }
    }
    raiseInvalidValue(keyword, value, accepted);
}

void checkKeywordCombinations(const RunFacts& facts)
{
    if (const CombinationRule* rule = firstBrokenRule(facts, RuleScope::Everywhere)) {
        raiseArgumentError(inCallerNames(rule->detail, '_'));
    }
}

}  // namespace korvel::python
