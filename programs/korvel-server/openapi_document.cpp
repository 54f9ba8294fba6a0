#include "openapi_document.hpp"

#include <nlohmann/json.hpp>

#include "api_routes.hpp"
#include "request_options.hpp"

namespace korvel::server {
namespace {

using Json = nlohmann::ordered_json;

Json schemaOf(const ParameterInfo& p)
{
    const OptionDefinition& option = p.definition();
    if (p.form == ParameterForm::Flag) {
        return {{"type", "integer"}, {"enum", {0, 1}}};
    }
    if (p.form == ParameterForm::Base64) {
        return {{"type", "string"}, {"format", "byte"}};
    }
    switch (option.kind) {
    case ValueKind::Color: return {{"type", "string"}, {"pattern", "^[0-9A-Fa-f]{6}$"}};
    case ValueKind::Integer:
        if (!option.allowed.empty()) {
            Json values = Json::array();
            for (const std::int64_t value : option.allowed) {
                values.push_back(value);
            }
            return {{"type", "integer"}, {"enum", values}};
        }
        return {{"type", "integer"}, {"minimum", option.integers.low}, {"maximum", option.integers.high}};
    case ValueKind::Decimal: {
        Json schema{{"type", "number"}, {"minimum", option.decimals.low}, {"maximum", option.decimals.high}};
        if (option.decimals.lowExcluded) {
            schema["exclusiveMinimum"] = true;
        }
        return schema;
    }
    case ValueKind::Keyword: {
        Json words = Json::array();
        for (const Keyword& keyword : option.keywords) {
            words.push_back(std::string(keyword.name));
        }
        return {{"type", "string"}, {"enum", words}};
    }
    default: return {{"type", "string"}};
    }
}

std::string describe(const ParameterInfo& p) { return std::string(p.meaning) + "; accepted: " + p.accepted; }

Json queryParameters(bool withType)
{
    Json list = Json::array();
    for (const ParameterInfo& p : requestParameters()) {
        if (p.name == "type" && !withType) {
            continue;
        }
        list.push_back({{"name", std::string(p.name)}, {"in", "query"}, {"required", false},
                        {"description", describe(p)}, {"schema", schemaOf(p)}});
    }
    return list;
}

Json bodySchema()
{
    Json properties = Json::object();
    for (const ParameterInfo& p : requestParameters()) {
        Json schema = schemaOf(p);
        schema["description"] = describe(p);
        properties[std::string(p.name)] = schema;
    }
    return {{"type", "object"}, {"additionalProperties", false}, {"properties", properties}};
}

Json errorResponses()
{
    const Json error{{"description", "an error as JSON: status, message, and where known parameter, exit_status "
                                     "(the korvel program's status for the same options), ai, position, length"},
                     {"content", {{"application/json", {{"schema", {{"$ref", "#/components/schemas/Error"}}}}}}}};
    Json responses;
    for (const char* status : {"400", "413", "414", "422", "431", "500", "503"}) {
        responses[status] = error;
    }
    return responses;
}

Json imageOperation(const char* summary, const char* mediaType, bool post)
{
    Json responses{{"200", {{"description", "the image; ETag is the quoted SHA-256 of its bytes"},
                            {"content", {{mediaType, {{"schema", {{"type", "string"}, {"format", "binary"}}}}}}}}},
                   {"304", {{"description", "If-None-Match named these bytes"}}}};
    responses.update(errorResponses());
    Json operation{{"summary", summary}, {"responses", responses}};
    if (post) {
        operation["requestBody"] = {{"required", true},
                                    {"content", {{"application/json", {{"schema", bodySchema()}}}}}};
    } else {
        operation["parameters"] = queryParameters(false);
    }
    return operation;
}

Json jsonOperation(const char* summary, bool withType)
{
    Json responses{{"200", {{"description", summary}, {"content", {{"application/json", Json::object()}}}}},
                   {"304", {{"description", "If-None-Match named this answer"}}}};
    responses.update(errorResponses());
    return {{"summary", summary}, {"parameters", queryParameters(withType)}, {"responses", responses}};
}

Json document()
{
    Json paths;
    paths["/v1/symbol.png"]["get"] = imageOperation("the symbol as PNG", "image/png", false);
    paths["/v1/symbol.svg"]["get"] = imageOperation("the symbol as SVG 1.1", "image/svg+xml", false);
    paths["/v1/symbol.eps"]["get"] = imageOperation("the symbol as EPS", "application/postscript", false);
    paths["/v1/symbol.pdf"]["get"] = imageOperation("the symbol as one-page PDF", "application/pdf", false);
    paths["/v1/symbol.txt"]["get"] = imageOperation(
        "the symbol as a text preview in Unicode half blocks (plain UTF-8; size, colours, dots and ink spread do not "
        "apply)",
        "text/plain", false);
    paths["/v1/symbol"]["post"] = imageOperation("the symbol from a JSON body; type chooses the format (png)",
                                                 "application/octet-stream", true);
    paths["/v1/validate"]["get"] = jsonOperation(
        "GS1 or HIBC data checked: valid, syntax, elements and hri, or message, ai, position and length", false);
    paths["/v1/report"]["get"] = jsonOperation("the korvel program's JSON report (--report) for the parameters", true);
    paths["/healthz"]["get"] = {{"summary", "the server is up"},
                                {"responses", {{"200", {{"description", "{\"status\":\"ok\"}"}}}}}};
    const Json error{{"type", "object"},
                     {"required", {"status", "message"}},
                     {"properties",
                      {{"status", {{"type", "integer"}}},
                       {"message", {{"type", "string"}}},
                       {"parameter", {{"type", "string"}}},
                       {"exit_status", {{"type", "integer"}}},
                       {"ai", {{"type", "string"}}},
                       {"position", {{"type", "integer"}, {"description", "first faulty byte of the data, from 1"}}},
                       {"length", {{"type", "integer"}}}}}};
    return {{"openapi", "3.0.3"},
            {"info", {{"title", "korvel-server"}, {"version", serverVersion()},
                      {"description", "Data Matrix (ECC 200) symbols over HTTP. Parameters are named like the korvel "
                                      "program's long options and have their meanings."}}},
            {"paths", paths},
            {"components", {{"schemas", {{"Error", error}}}}}};
}

}  // namespace

const std::string& openApiDocument()
{
    static const std::string text = document().dump(1);
    return text;
}

}  // namespace korvel::server
