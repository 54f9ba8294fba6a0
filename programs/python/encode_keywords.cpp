#include "encode_keywords.hpp"

#include <array>
#include <string>
#include <utility>

#include "keyword_values.hpp"
#include "python_errors.hpp"

namespace korvel::python {
namespace {

constexpr std::int64_t kLastFormat = 30;
constexpr std::string_view kFormatAccepted = "0 to 30, with dmre=True 0 to 48";
constexpr std::string_view kModeAccepted = "0 to 6, or 'auto', 'ascii', 'c40', 'text', 'base256', 'edifact', 'x12'";
constexpr std::string_view kSappAccepted =
    "(position, total) or (position, total, id): total 2 to 16, position 1 to total, id 1 to 64516";

// The keywords as given, before they are checked against each other.
struct EncodeKeywords {
    EncodeSettings settings;
    bool gs1 = false;
    bool gs1NoCheck = false;
    bool hibc = false;
    std::int64_t format = 0;
};

EncodingMode modeValue(std::string_view keyword, py::handle value)
{
    constexpr std::array<std::pair<std::string_view, EncodingMode>, 8> kNames{{
        {"auto", EncodingMode::Automatic},
        {"automatic", EncodingMode::Automatic},
        {"ascii", EncodingMode::Ascii},
        {"c40", EncodingMode::C40},
        {"text", EncodingMode::Text},
        {"base256", EncodingMode::Base256},
        {"edifact", EncodingMode::Edifact},
        {"x12", EncodingMode::X12},
    }};
    if (PyUnicode_Check(value.ptr())) {
        const std::string name = wordValue(keyword, value, kModeAccepted);
        for (const auto& [known, mode] : kNames) {
            if (name == known) {
                return mode;
            }
        }
        raiseInvalidValue(keyword, value, kModeAccepted);
    }
    return static_cast<EncodingMode>(integerValue(keyword, value, OptionId::Mode, kModeAccepted));
}

StructuredAppend sappValue(std::string_view keyword, py::handle value)
{
    if (!PyTuple_Check(value.ptr()) && !PyList_Check(value.ptr())) {
        raiseInvalidType(keyword, value, kSappAccepted);
    }
    const py::sequence parts = py::reinterpret_borrow<py::sequence>(value);
    if (parts.size() != 2 && parts.size() != 3) {
        raiseInvalidValue(keyword, value, kSappAccepted);
    }
    // Each number in its range; a refusal shows the whole tuple.
    const auto number = [&](std::size_t index, std::int64_t low, std::int64_t high) {
        const py::object part = parts[index];
        if (PyIndex_Check(part.ptr()) == 0 || PyBool_Check(part.ptr()) != 0) {
            raiseInvalidType(keyword, value, kSappAccepted);
        }
        int overflow = 0;
        const long long n = PyLong_AsLongLongAndOverflow(part.ptr(), &overflow);
        if (overflow != 0 || n < low || n > high) {
            PyErr_Clear();
            raiseInvalidValue(keyword, value, kSappAccepted);
        }
        return static_cast<std::int32_t>(n);
    };
    StructuredAppend sequence;
    sequence.enabled = true;
    sequence.total = number(1, 2, 16);
    sequence.position = number(0, 1, sequence.total);
    if (parts.size() == 3) {
        sequence.id = number(2, 1, StructuredAppend::kMaxId);
    }
    return sequence;
}

void applyKeyword(EncodeKeywords& k, std::string_view name, py::handle value, std::string_view function)
{
    SymbolOptions& o = k.settings.options;
    if (name == "gs1") {
        k.gs1 = flagValue(name, value);
    } else if (name == "gs1_nocheck") {
        k.gs1NoCheck = flagValue(name, value);
    } else if (name == "gs1_separator") {
        o.gs1Separator = static_cast<Gs1Separator>(wordValue(name, value, OptionId::Gs1Separator, "'fnc1' or 'gs'"));
    } else if (name == "hibc") {
        k.hibc = flagValue(name, value);
    } else if (name == "escapes") {
        k.settings.escapes = flagValue(name, value);
    } else if (name == "utf8") {
        k.settings.utf8 = flagValue(name, value);
    } else if (name == "mode") {
        o.mode = modeValue(name, value);
    } else if (name == "fmt") {
        k.format = integerValue(name, value, OptionId::Format, kFormatAccepted);
    } else if (name == "shape") {
        o.shape = static_cast<SymbolShape>(wordValue(name, value, OptionId::Shape, "'square' or 'rectangle'"));
    } else if (name == "dmre") {
        o.dmre = flagValue(name, value);
    } else if (name == "minimal") {
        o.minimal = flagValue(name, value);
    } else if (name == "sapp") {
        o.structuredAppend = sappValue(name, value);
    } else if (name == "spos" || name == "stot" || name == "sid") {
        raiseArgumentTypeError("Error: " + std::string(function) + "() takes structured append as one keyword, " +
                               "sapp=(position, total, id), not " + std::string(name) + ".");
    } else {
        raiseArgumentTypeError("Error: " + std::string(function) + "() got an unexpected keyword argument '" +
                               std::string(name) + "'.");
    }
}

// The options in effect, as the combination rules see them.
RunFacts factsOf(const EncodeKeywords& k)
{
    const SymbolOptions& o = k.settings.options;
    RunFacts facts;
    const std::pair<bool, OptionId> given[] = {{k.gs1, OptionId::Gs1},
                                               {k.gs1NoCheck, OptionId::Gs1NoCheck},
                                               {k.hibc, OptionId::Hibc},
                                               {k.settings.utf8.value_or(false), OptionId::Utf8},
                                               {o.minimal, OptionId::Minimal}};
    for (const auto& [on, option] : given) {
        if (on) {
            facts.add(option);
        }
    }
    if (o.mode != EncodingMode::Automatic) {
        facts.add(RunCondition::ExplicitMode);
    }
    return facts;
}

// The combinations the program refuses, in its words with the keywords'
// names, then the package's own: escapes is a keyword of the package alone,
// and a DMRE format needs dmre=True.
void checkCombinations(const EncodeKeywords& k, const py::kwargs& keywords)
{
    checkKeywordCombinations(factsOf(k));
    if ((k.gs1 || k.gs1NoCheck || k.hibc) && k.settings.escapes) {
        raiseArgumentError("escapes cannot be combined with gs1, gs1_nocheck or hibc (their data has no escapes)");
    }
    const SymbolOptions& o = k.settings.options;
    if (k.format > kLastFormat && !o.dmre) {
        raiseInvalidValue("fmt", keywords["fmt"], kFormatAccepted);
    }
}

}  // namespace

EncodeSettings encodeSettingsOf(const py::kwargs& keywords, std::string_view function)
{
    EncodeKeywords k;
    for (const auto& [key, value] : keywords) {
        if (!value.is_none()) {
            applyKeyword(k, keywordName(key), value, function);
        }
    }
    checkCombinations(k, keywords);
    SymbolOptions& o = k.settings.options;
    o.preferredFormat = static_cast<std::int32_t>(k.format);
    if (k.gs1 || k.gs1NoCheck) {
        o.syntax = DataSyntax::Gs1;
        o.gs1.contentChecks = !k.gs1NoCheck;
    } else if (k.hibc) {
        o.syntax = DataSyntax::Hibc;
    } else {
        o.syntax = k.settings.escapes ? DataSyntax::TildeEscapes : DataSyntax::Literal;
    }
    o.data.clear();
    return std::move(k.settings);
}

std::string dataBytes(py::handle data, bool& isText)
{
    isText = PyUnicode_Check(data.ptr()) != 0;
    if (isText) {
        Py_ssize_t size = 0;
        const char* text = PyUnicode_AsUTF8AndSize(data.ptr(), &size);
        if (text == nullptr) {
            PyErr_Clear();
            raiseOutcome({ResultCode::InvalidData, "the text is not valid Unicode (it holds a lone surrogate)"});
        }
        return {text, static_cast<std::size_t>(size)};
    }
    if (PyBytes_Check(data.ptr())) {
        return {PyBytes_AS_STRING(data.ptr()), static_cast<std::size_t>(PyBytes_GET_SIZE(data.ptr()))};
    }
    if (PyObject_CheckBuffer(data.ptr()) == 0) {
        raiseInvalidType("data", data, "str or bytes");
    }
    Py_buffer view{};
    if (PyObject_GetBuffer(data.ptr(), &view, PyBUF_SIMPLE) != 0) {
        throw py::error_already_set();
    }
    std::string bytes(static_cast<const char*>(view.buf), static_cast<std::size_t>(view.len));
    PyBuffer_Release(&view);
    return bytes;
}

SymbolOptions symbolOptionsFor(const EncodeSettings& settings, py::handle data)
{
    bool isText = false;
    std::string bytes = dataBytes(data, isText);
    SymbolOptions options = settings.options;
    options.data = std::move(bytes);
    const bool plainData = options.syntax == DataSyntax::Literal || options.syntax == DataSyntax::TildeEscapes;
    options.utf8 = plainData && settings.utf8.value_or(isText);
    return options;
}

}  // namespace korvel::python
