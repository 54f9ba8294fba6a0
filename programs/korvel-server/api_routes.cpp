#include "api_routes.hpp"

#include <array>
#include <string_view>
#include <utility>

#include <boost/beast/http/field.hpp>
#include <boost/beast/http/verb.hpp>

#include "korvel/report.hpp"
#include "openapi_document.hpp"
#include "request_fields.hpp"
#include "symbol_service.hpp"
#include "web_files.hpp"

namespace korvel::server {
namespace {

namespace http = boost::beast::http;

constexpr std::string_view kImmutable = "public, max-age=31536000, immutable";
constexpr std::string_view kRevalidate = "no-cache";
constexpr std::string_view kNoStore = "no-store";
constexpr std::string_view kJson = "application/json";
constexpr std::string_view kPagePolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' blob: data:; connect-src 'self'; "
    "base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

struct ImagePath {
    std::string_view path;
    OutputType type;
    std::string_view contentType;
};
constexpr std::array<ImagePath, 5> kImagePaths{{
    {"/v1/symbol.png", OutputType::Png, "image/png"},
    {"/v1/symbol.svg", OutputType::Svg, "image/svg+xml"},
    {"/v1/symbol.eps", OutputType::Eps, "application/postscript"},
    {"/v1/symbol.pdf", OutputType::Pdf, "application/pdf"},
    {"/v1/symbol.txt", OutputType::Text, "text/plain; charset=utf-8"},
}};

std::string_view contentTypeOf(OutputType type)
{
    for (const ImagePath& image : kImagePaths) {
        if (image.type == type) {
            return image.contentType;
        }
    }
    return kImagePaths[0].contentType;
}

// What a path answers to.
enum class Endpoint { None, Image, Symbol, Validate, Report, Health, OpenApi, WebFile };

struct Route {
    Endpoint endpoint = Endpoint::None;
    std::optional<OutputType> type;  // Image
    const WebFile* file = nullptr;   // WebFile
};

Route routeOf(std::string_view path)
{
    for (const ImagePath& image : kImagePaths) {
        if (path == image.path) {
            return {Endpoint::Image, image.type};
        }
    }
    constexpr std::array<std::pair<std::string_view, Endpoint>, 5> kFixed{{{"/v1/symbol", Endpoint::Symbol},
                                                                           {"/v1/validate", Endpoint::Validate},
                                                                           {"/v1/report", Endpoint::Report},
                                                                           {"/healthz", Endpoint::Health},
                                                                           {"/v1/openapi.json", Endpoint::OpenApi}}};
    for (const auto& [fixed, endpoint] : kFixed) {
        if (path == fixed) {
            return {endpoint, std::nullopt, nullptr};
        }
    }
    for (const WebFile& file : webFiles()) {
        if (path == file.path) {
            return {Endpoint::WebFile, std::nullopt, &file};
        }
    }
    return {};
}

// The methods each endpoint takes (HEAD wherever GET goes).
std::string_view allowedMethods(Endpoint endpoint)
{
    switch (endpoint) {
    case Endpoint::Symbol: return "POST, OPTIONS";
    case Endpoint::Validate:
    case Endpoint::Report: return "GET, HEAD, POST, OPTIONS";
    default: return "GET, HEAD, OPTIONS";
    }
}

bool allows(Endpoint endpoint, http::verb method)
{
    switch (method) {
    case http::verb::get:
    case http::verb::head: return endpoint != Endpoint::Symbol;
    case http::verb::post:
        return endpoint == Endpoint::Symbol || endpoint == Endpoint::Validate || endpoint == Endpoint::Report;
    case http::verb::options: return true;
    default: return false;
    }
}

HttpResponse baseResponse(http::status status, const HttpRequest& request, const ServiceConfig& config)
{
    HttpResponse response{status, request.version()};
    response.set(http::field::server, std::string("korvel-server/") + serverVersion());
    response.set("X-Content-Type-Options", "nosniff");
    if (config.corsOrigin) {
        response.set(http::field::access_control_allow_origin, *config.corsOrigin);
        response.set(http::field::access_control_expose_headers, "ETag, Content-Length");
    }
    response.keep_alive(request.keep_alive());
    return response;
}

HttpResponse errorResponse(const ApiError& error, const HttpRequest& request, const ServiceConfig& config)
{
    HttpResponse response = baseResponse(static_cast<http::status>(error.httpStatus), request, config);
    response.set(http::field::content_type, kJson);
    response.set(http::field::cache_control, kNoStore);
    response.body() = errorJson(error);
    response.prepare_payload();
    return response;
}

ApiError plainError(unsigned status, std::string message)
{
    ApiError error;
    error.httpStatus = status;
    error.message = std::move(message);
    return error;
}

// Weak comparison (RFC 9110, 13.1.2): any listed tag, with or without W/, or *.
bool matchesIfNoneMatch(std::string_view header, std::string_view etag)
{
    while (!header.empty()) {
        const std::size_t comma = header.find(',');
        std::string_view tag = header.substr(0, comma);
        header = comma == std::string_view::npos ? std::string_view{} : header.substr(comma + 1);
        while (!tag.empty() && (tag.front() == ' ' || tag.front() == '\t')) {
            tag.remove_prefix(1);
        }
        while (!tag.empty() && (tag.back() == ' ' || tag.back() == '\t')) {
            tag.remove_suffix(1);
        }
        if (tag.substr(0, 2) == "W/") {
            tag.remove_prefix(2);
        }
        if (tag == "*" || tag == etag) {
            return true;
        }
    }
    return false;
}

// A successful answer with its validator: 304 without body when the client
// holds these bytes already; HEAD gets the headers alone.
HttpResponse contentResponse(std::string body, std::string_view contentType, std::string_view cacheControl,
                             const HttpRequest& request, const ServiceConfig& config)
{
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(body.data()), body.size());
    const std::string etag = "\"" + sha256Hex(bytes) + "\"";
    const auto ifNoneMatch = request.find(http::field::if_none_match);
    const bool notModified = ifNoneMatch != request.end() && matchesIfNoneMatch(ifNoneMatch->value(), etag);
    HttpResponse response = baseResponse(notModified ? http::status::not_modified : http::status::ok, request, config);
    response.set(http::field::etag, etag);
    response.set(http::field::cache_control, cacheControl);
    if (notModified) {
        return response;
    }
    response.set(http::field::content_type, contentType);
    if (request.method() == http::verb::head) {
        response.content_length(body.size());
    } else {
        response.body() = std::move(body);
        response.prepare_payload();
    }
    return response;
}

// The request's parameters: the query's, and a POST's JSON body's.
std::optional<ApiError> gatherFields(const HttpRequest& request, std::string_view query, RequestFields& fields)
{
    std::string error;
    if (!appendQueryFields(query, fields, error)) {
        return plainError(400, error);
    }
    if (request.method() != http::verb::post) {
        return std::nullopt;
    }
    const auto type = request.find(http::field::content_type);
    const std::string_view mediaType =
        type == request.end() ? std::string_view{} : type->value().substr(0, type->value().find(';'));
    if (mediaType != "application/json") {
        return plainError(415, "Error: Invalid argument: a POST body must be application/json.");
    }
    if (!appendJsonFields(request.body(), fields, error)) {
        return plainError(400, error);
    }
    return std::nullopt;
}

HttpResponse answerSymbolRequest(const Route& route, const HttpRequest& request, std::string_view query,
                                 const ServiceConfig& config)
{
    RequestFields fields;
    if (auto bad = gatherFields(request, query, fields)) {
        return errorResponse(*bad, request, config);
    }
    SymbolRequest symbolRequest;
    if (auto refused = requestToOptions(fields, config.limits, route.type, symbolRequest)) {
        return errorResponse(errorOf(*refused), request, config);
    }
    std::string json;
    switch (route.endpoint) {
    case Endpoint::Validate:
        if (auto failed = validateData(symbolRequest, json)) {
            return errorResponse(*failed, request, config);
        }
        return contentResponse(std::move(json), kJson, kRevalidate, request, config);
    case Endpoint::Report:
        if (auto failed = makeReport(symbolRequest, config.maxPixels, json)) {
            return errorResponse(*failed, request, config);
        }
        return contentResponse(std::move(json), kJson, kRevalidate, request, config);
    default: break;
    }
    MadeImage image;
    if (auto failed = makeImage(symbolRequest, config.maxPixels, image)) {
        return errorResponse(*failed, request, config);
    }
    std::string body(image.bytes.begin(), image.bytes.end());
    return contentResponse(std::move(body), contentTypeOf(symbolRequest.type), kImmutable, request, config);
}

HttpResponse answerOptions(const Route& route, const HttpRequest& request, const ServiceConfig& config)
{
    HttpResponse response = baseResponse(http::status::no_content, request, config);
    response.set(http::field::allow, allowedMethods(route.endpoint));
    if (config.corsOrigin) {
        response.set(http::field::access_control_allow_methods, allowedMethods(route.endpoint));
        response.set(http::field::access_control_allow_headers, "Content-Type, If-None-Match");
        response.set(http::field::access_control_max_age, "86400");
    }
    return response;
}

}  // namespace

const char* serverVersion() noexcept { return KORVEL_SERVER_VERSION; }

HttpResponse answer(const HttpRequest& request, const ServiceConfig& config)
{
    const std::string_view target = request.target();
    const std::size_t question = target.find('?');
    const std::string_view path = target.substr(0, question);
    const std::string_view query = question == std::string_view::npos ? std::string_view{} : target.substr(question + 1);
    const Route route = routeOf(path);
    if (route.endpoint == Endpoint::None) {
        return errorResponse(plainError(404, "Error: Not found: " + std::string(path.substr(0, 200)) + "."), request,
                             config);
    }
    if (!allows(route.endpoint, request.method())) {
        HttpResponse response = errorResponse(
            plainError(405, "Error: Method not allowed: " + std::string(request.method_string()) + "."), request,
            config);
        response.set(http::field::allow, allowedMethods(route.endpoint));
        return response;
    }
    if (request.method() == http::verb::options) {
        return answerOptions(route, request, config);
    }
    switch (route.endpoint) {
    case Endpoint::Health:
        return contentResponse(std::string("{\"status\":\"ok\",\"version\":\"") + serverVersion() + "\"}", kJson,
                               kNoStore, request, config);
    case Endpoint::OpenApi: return contentResponse(openApiDocument(), kJson, kRevalidate, request, config);
    case Endpoint::WebFile: {
        HttpResponse response =
            contentResponse(std::string(route.file->bytes), route.file->contentType, kRevalidate, request, config);
        response.set("Content-Security-Policy", kPagePolicy);
        response.set("Referrer-Policy", "no-referrer");
        response.set("X-Frame-Options", "DENY");
        return response;
    }
    default: break;
    }
    return answerSymbolRequest(route, request, query, config);
}

HttpResponse refusedRequest(unsigned status, const std::string& message, const ServiceConfig& config)
{
    HttpRequest request;
    request.version(11);
    request.keep_alive(false);
    HttpResponse response = errorResponse(plainError(status, message), request, config);
    response.keep_alive(false);
    response.prepare_payload();
    return response;
}

}  // namespace korvel::server
