#pragma once
// The service's answers by path and method, apart from the connection: a
// parsed request in, a complete response out.
//
//   GET  /v1/symbol.png|svg|eps|pdf   the symbol's image
//   POST /v1/symbol                   the same from a JSON body (type chooses)
//   GET  /v1/validate                 GS1 or HIBC data checked alone
//   GET  /v1/report                   the program's JSON report
//   GET  /healthz, /v1/openapi.json   health, the API's description
//   GET  /                            the web page (and its two files)
//
// HEAD goes wherever GET does, and POST to /v1/validate and /v1/report too.

#include <cstdint>
#include <optional>
#include <string>

#include <boost/beast/http/message.hpp>
#include <boost/beast/http/string_body.hpp>

#include "request_options.hpp"

namespace korvel::server {

using HttpRequest = boost::beast::http::request<boost::beast::http::string_body>;
using HttpResponse = boost::beast::http::response<boost::beast::http::string_body>;

struct ServiceConfig {
    RequestLimits limits;
    std::uint64_t maxPixels = 4194304;
    std::optional<std::string> corsOrigin;  // Access-Control-Allow-Origin, when given
};

[[nodiscard]] HttpResponse answer(const HttpRequest& request, const ServiceConfig& config);

// The JSON error response for a request the connection refused before it
// was whole (400 malformed, 413 body too large, 414 target too long, 431
// header too large, 503 too many connections); it closes the connection.
[[nodiscard]] HttpResponse refusedRequest(unsigned status, const std::string& message, const ServiceConfig& config);

// The version the server reports (--version, /healthz, the Server header).
[[nodiscard]] const char* serverVersion() noexcept;

}  // namespace korvel::server
