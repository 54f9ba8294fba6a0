// Fuzz target over korvel-server's request-to-options step: the parameters
// of a request, as a query string or a JSON body, become symbol and render
// options or a refusal.
//
// Input layout (missing bytes read as 0):
//   0   bit 0: the rest is a JSON body (else a query string); bits 1-2: the
//       output type the path names (none, PNG, SVG, PDF)
//   1.. the query string or the body
//
// Whatever the input, a refusal is one line that starts with "Error: " and
// names a parameter of the request or none; an accepted request keeps the
// data within the limit and its options within their ranges, and the
// library never refuses its symbol options as an invalid argument (the step
// checks everything encode checks).

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_targets.hpp"
#include "korvel/symbol.hpp"
#include "request_fields.hpp"
#include "request_options.hpp"

namespace korvel::fuzz {
namespace {

constexpr std::size_t kMaxData = 600;  // keeps encoding each accepted input quick
constexpr std::array<std::optional<OutputType>, 4> kPathTypes{std::nullopt, OutputType::Png, OutputType::Svg,
                                                              OutputType::Pdf};

const char* checkRefusal(const server::RequestRefusal& refusal, const server::RequestFields& fields)
{
    const std::string& m = refusal.message;
    if (m.rfind("Error: ", 0) != 0 || m.back() != '.' || m.size() > 400) {
        return "a refusal's message does not look like the program's";
    }
    for (const char c : m) {
        if (c < ' ' || c > '~') {
            return "a refusal's message holds a byte that is not printable ASCII";
        }
    }
    if (refusal.parameter.empty()) {
        return nullptr;
    }
    for (const server::ParameterInfo& p : server::requestParameters()) {
        if (p.name == refusal.parameter) {
            return nullptr;
        }
    }
    for (const server::RequestField& field : fields) {
        if (field.name == refusal.parameter) {
            return nullptr;
        }
    }
    if (m.find("unknown parameter") != std::string::npos) {
        return nullptr;  // a name with unprintable bytes, shown escaped
    }
    return "a refusal names a parameter that is neither known nor in the request";
}

const char* checkAccepted(const server::SymbolRequest& r)
{
    const SymbolOptions& s = r.symbol;
    const StructuredAppend& sequence = s.structuredAppend;
    if (s.data.size() > kMaxData) {
        return "accepted data is longer than the limit";
    }
    if (s.preferredFormat < 0 || s.preferredFormat > (s.dmre ? 48 : 30) || !(r.render.moduleSize >= 0.5) ||
        r.render.quietZoneSize < 0 || sequence.position < 1 || sequence.position > 16 || sequence.total < 2 ||
        sequence.total > 16 || sequence.id < 1 || sequence.id > StructuredAppend::kMaxId ||
        (r.png.dotsPerInch && (*r.png.dotsPerInch < 1 || *r.png.dotsPerInch > 100000)) || !r.png.time ||
        *r.png.time < 0) {
        return "an accepted option is outside its range";
    }
    Symbol symbol;
    if (encode(s, symbol).code == ResultCode::InvalidArgument) {
        return "the library refuses accepted symbol options as an invalid argument";
    }
    return nullptr;
}

}  // namespace

const char* fuzzRequestOptions(const std::uint8_t* data, std::size_t size)
{
    const std::uint8_t flags = size > 0 ? data[0] : 0;
    const std::string_view rest =
        size > 1 ? std::string_view(reinterpret_cast<const char*>(data + 1), size - 1) : std::string_view{};
    server::RequestFields fields;
    std::string error;
    const bool read = (flags & 0x01) != 0 ? server::appendJsonFields(rest, fields, error)
                                          : server::appendQueryFields(rest, fields, error);
    if (!read) {
        return error.rfind("Error: ", 0) == 0 ? nullptr : "a malformed request's message does not start with Error:";
    }
    server::SymbolRequest request;
    const auto refusal = server::requestToOptions(fields, {kMaxData}, kPathTypes[(flags >> 1) & 0x03], request);
    return refusal ? checkRefusal(*refusal, fields) : checkAccepted(request);
}

}  // namespace korvel::fuzz
