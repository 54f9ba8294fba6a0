#pragma once
// What the service answers, apart from HTTP: a symbol's image bytes, the
// program's JSON report, a GS1 or HIBC validation, and errors as data. Each
// call makes everything in memory and is independent of every other, so
// that any number run at once.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "korvel/result_code.hpp"
#include "request_options.hpp"

namespace korvel::server {

// A request that cannot be answered as asked.
struct ApiError {
    unsigned httpStatus = 400;
    std::string message;    // one line
    std::string parameter;  // the request parameter at fault; empty when none is
    // The status the korvel program ends with for the same options, when the
    // library said no.
    std::optional<unsigned> exitStatus;
    std::optional<Gs1Fault> gs1Fault;
    // /v1/report: the report of the failed attempt, as one line of JSON.
    std::optional<std::string> reportJson;
};

// The HTTP status of a library failure: the program's status 1 is the
// client's fault (400), a symbol that cannot be made from the data or size
// 422, a wrong symbol the server's (500), a decoder or memory that fails 503.
[[nodiscard]] unsigned httpStatusOf(ResultCode code) noexcept;

// An error from a refused request (400, or 413 for data beyond the limit).
[[nodiscard]] ApiError errorOf(const RequestRefusal& refusal);

// The error as a JSON object: status (the HTTP status), message, and when
// known parameter, exit_status, ai, position, length and report.
[[nodiscard]] std::string errorJson(const ApiError& error);

struct MadeImage {
    std::vector<std::uint8_t> bytes;
};

// The symbol's image in the request's type. A PNG of more than `maxPixels`
// pixels is refused (400, naming the size parameter).
[[nodiscard]] std::optional<ApiError> makeImage(const SymbolRequest& request, std::uint64_t maxPixels,
                                                MadeImage& image);

// The program's report (--report) for the request, with the image made as
// the request says; on failure the error carries the report too.
[[nodiscard]] std::optional<ApiError> makeReport(const SymbolRequest& request, std::uint64_t maxPixels,
                                                 std::string& json);

// GS1 or HIBC data checked alone: {"valid": true, "syntax", "elements",
// "hri"} or {"valid": false, "syntax", "message", "ai", "position",
// "length"}. Refused (400) without gs1, gs1-nocheck or hibc.
[[nodiscard]] std::optional<ApiError> validateData(const SymbolRequest& request, std::string& json);

}  // namespace korvel::server
