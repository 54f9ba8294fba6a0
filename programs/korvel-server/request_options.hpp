#pragma once
// The request-to-options step of the HTTP service: the parameters of a
// request (query string or JSON body), named like the korvel program's long
// options and read with the program's meanings, become the library's symbol
// and render options. Every value is read strictly (the whole text, inside
// the option's range, as the option table says), the combinations are
// checked by the table of combination rules, and anything else is refused
// with a message that names the parameter.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "korvel/output.hpp"
#include "korvel/png_writer.hpp"
#include "korvel/render_options.hpp"
#include "korvel/symbol_options.hpp"
#include "korvel/vector_writer.hpp"
#include "options/option_table.hpp"

namespace korvel::server {

// One parameter as it arrived: a name and its text.
struct RequestField {
    std::string name;
    std::string value;
};
using RequestFields = std::vector<RequestField>;

// The PNG time stamp when the request gives no `time`: 1970-01-01 00:00:00
// UTC, so that the same request always gives the same bytes.
inline constexpr std::int64_t kDefaultImageTime = 0;

// What a request asks for, ready for the library.
struct SymbolRequest {
    SymbolOptions symbol;
    RenderOptions render;
    PngOptions png;
    VectorOptions vector;
    OutputType type = OutputType::Png;
    bool typeGiven = false;
    bool verify = false;
    bool gs1 = false;   // gs1 or gs1-nocheck
    bool hibc = false;
    bool imageSizeGiven = false;  // xsize or ysize
    bool dataFromInput = false;   // the data came as input (base64 bytes)
    bool moduleMillimetresGiven = false;
};

// Why a request was refused: the parameter at fault (empty when a rule
// about several has no single one), the message line, and whether the
// request was merely too large (the data beyond the server's limit).
struct RequestRefusal {
    std::string parameter;
    std::string message;
    bool tooLarge = false;
};

struct RequestLimits {
    std::size_t maxDataBytes = 8192;
};

// The request's parameters in, its options out; nothing when they are all
// accepted, the refusal of the first parameter or rule that fails otherwise.
// `type` is the output type the path names (nothing for paths where the
// `type` parameter chooses, PNG by default).
[[nodiscard]] std::optional<RequestRefusal> requestToOptions(const RequestFields& fields, const RequestLimits& limits,
                                                             std::optional<OutputType> pathType,
                                                             SymbolRequest& request);

// How a parameter's value is written in a request.
enum class ParameterForm : std::uint8_t {
    Option,  // the option's own value, read strictly as its row says
    Flag,    // 0 or 1, for an option that takes no value
    Base64,  // bytes in base64 (input: the data itself rather than a file name)
};

// A parameter the service knows, for its description (OpenAPI) and its
// tests: the option whose name, value kind and range it has, how its value
// is written, what is accepted in words, and its meaning.
struct ParameterInfo {
    std::string_view name;  // the option's long name
    OptionId option{};
    ParameterForm form = ParameterForm::Option;
    std::string accepted;
    std::string_view meaning;

    [[nodiscard]] const OptionDefinition& definition() const noexcept { return optionDefinition(option); }
};
[[nodiscard]] std::span<const ParameterInfo> requestParameters() noexcept;

}  // namespace korvel::server
