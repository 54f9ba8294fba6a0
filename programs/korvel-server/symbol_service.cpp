#include "symbol_service.hpp"

#include <nlohmann/json.hpp>

#include <new>
#include <utility>

#include "korvel/gs1.hpp"
#include "korvel/png_writer.hpp"
#include "korvel/rendering.hpp"
#include "korvel/report.hpp"
#include "korvel/symbol.hpp"
#include "korvel/text_writer.hpp"
#include "korvel/vector_writer.hpp"
#include "korvel/verification.hpp"
#include "korvel/zxing_decoder.hpp"

namespace korvel::server {
namespace {

using Json = nlohmann::ordered_json;

std::string dumped(const Json& json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

// The parameter a library failure points at, where one does.
std::string parameterOf(const SymbolRequest& request, ResultCode code)
{
    switch (code) {
    case ResultCode::InvalidData:
    case ResultCode::NoMatrixFormat:
    case ResultCode::InvalidGs1Data: return request.dataFromInput ? "input" : "data";
    case ResultCode::DataDoesNotFitFormat: return "fmt";
    case ResultCode::InvalidBarcodeSize: return "xsize";
    default: return {};
    }
}

ApiError errorOfOutcome(const SymbolRequest& request, const Outcome& outcome)
{
    ApiError error;
    error.httpStatus = httpStatusOf(outcome.code);
    error.message = outcomeMessage(outcome);
    error.parameter = parameterOf(request, outcome.code);
    error.exitStatus = static_cast<unsigned>(outcome.code);
    error.gs1Fault = outcome.gs1Fault;
    return error;
}

// The size parameter that made an image too large.
std::string sizeParameter(const SymbolRequest& request)
{
    if (request.imageSizeGiven) {
        return request.render.imageSize->width >= request.render.imageSize->height ? "xsize" : "ysize";
    }
    return request.moduleMillimetresGiven ? "module-mm" : "xdim";
}

// A PNG within the server's pixel limit; vector output draws no pixels.
Outcome checkPixels(const SymbolRequest& request, const Symbol& symbol, std::uint64_t maxPixels)
{
    if (request.type != OutputType::Png) {
        return ResultCode::Ok;
    }
    ImageSize size;
    if (Outcome sized = imageSize(symbol, request.render, size); !sized.ok()) {
        return sized;
    }
    const std::uint64_t pixels = static_cast<std::uint64_t>(size.width) * static_cast<std::uint64_t>(size.height);
    if (pixels <= maxPixels) {
        return ResultCode::Ok;
    }
    return {ResultCode::InvalidArgument, "the image would be " + std::to_string(size.width) + " x " +
                                             std::to_string(size.height) + " pixels, more than this server's limit of " +
                                             std::to_string(maxPixels)};
}

Outcome writeImage(const SymbolRequest& request, const Symbol& symbol, std::vector<std::uint8_t>& bytes)
{
    const ByteSink sink = bufferSink(bytes);
    switch (request.type) {
    case OutputType::Svg: return writeSvg(symbol, request.render, request.vector, sink);
    case OutputType::Eps: return writeEps(symbol, request.render, request.vector, sink);
    case OutputType::Pdf: return writePdf(symbol, request.render, request.vector, sink);
    case OutputType::Text: return writeText(symbol, request.render, {}, sink);
    case OutputType::Png: break;
    }
    return writePng(symbol, request.render, request.png, sink);
}

// The steps every symbol request takes: encode, check the size, draw, and
// verify when asked; the report, when given, is filled as the steps go. A
// failure after encoding that is the options' fault names a size parameter.
Outcome produce(const SymbolRequest& request, std::uint64_t maxPixels, MadeImage& image, SymbolReport* report,
                std::string& parameter)
{
    Symbol symbol;
    if (Outcome encoded = encode(request.symbol, symbol); !encoded.ok()) {
        return encoded;
    }
    if (report != nullptr) {
        describeSymbol(request.symbol, symbol, *report);
        describeImage(symbol, request.render, *report);
    }
    Outcome result = checkPixels(request, symbol, maxPixels);
    if (result.ok()) {
        result = writeImage(request, symbol, image.bytes);
    }
    if (!result.ok()) {
        parameter = result.code == ResultCode::InvalidArgument ? sizeParameter(request) : std::string();
        return result;
    }
    if (request.verify) {
        ZxingDecoder decoder;
        Verification verification;
        result = verify(request.symbol, symbol, request.render, {request.type, image.bytes}, decoder, verification);
        if (report != nullptr) {
            report->verification = verification;
        }
    }
    return result;
}

// The error of a failed production.
ApiError errorOfProduction(const SymbolRequest& request, const Outcome& outcome, const std::string& parameter)
{
    ApiError error = errorOfOutcome(request, outcome);
    if (!parameter.empty()) {
        error.parameter = parameter;
    }
    return error;
}

Json faultJson(const std::optional<Gs1Fault>& fault)
{
    if (!fault) {
        return Json::object();
    }
    return {{"ai", fault->ai}, {"position", fault->position}, {"length", fault->length}};
}

std::optional<ApiError> validateGs1(const SymbolRequest& request, std::string& json)
{
    Gs1Data data;
    const Outcome parsed = parseGs1(request.symbol.data, request.symbol.gs1, data);
    Json result{{"valid", parsed.ok()}, {"syntax", "gs1"}};
    if (!parsed.ok()) {
        result["message"] = outcomeMessage(parsed);
        result.update(faultJson(parsed.gs1Fault));
        json = dumped(result);
        return std::nullopt;
    }
    Json elements = Json::array();
    for (const Gs1Element& element : data.elements) {
        elements.push_back({{"ai", element.ai}, {"value", element.value}, {"position", element.position}});
    }
    result["digital_link"] = data.digitalLink;
    result["elements"] = std::move(elements);
    result["hri"] = gs1HumanReadable(data);
    json = dumped(result);
    return std::nullopt;
}

std::optional<ApiError> validateHibc(const SymbolRequest& request, std::string& json)
{
    HibcData data;
    const Outcome parsed = parseHibc(request.symbol.data, data);
    Json result{{"valid", parsed.ok()}, {"syntax", "hibc"}};
    if (!parsed.ok()) {
        result["message"] = outcomeMessage(parsed);
        result.update(faultJson(parsed.gs1Fault));
    } else {
        result["check"] = std::string(1, data.check);
        result["hri"] = hibcHumanReadable(data);
    }
    json = dumped(result);
    return std::nullopt;
}

}  // namespace

unsigned httpStatusOf(ResultCode code) noexcept
{
    switch (code) {
    case ResultCode::Ok: return 200;
    case ResultCode::InvalidArgument: return 400;
    case ResultCode::InvalidBarcodeSize:
    case ResultCode::InvalidData:
    case ResultCode::NoMatrixFormat:
    case ResultCode::DataDoesNotFitFormat:
    case ResultCode::InvalidGs1Data: return 422;
    case ResultCode::VerifierNotAvailable:
    case ResultCode::UnknownException:
    case ResultCode::CantInitializePngCreator: return 503;
    default: return 500;
    }
}

ApiError errorOf(const RequestRefusal& refusal)
{
    ApiError error;
    error.httpStatus = refusal.tooLarge ? 413 : 400;
    error.message = refusal.message;
    error.parameter = refusal.parameter;
    if (!refusal.tooLarge) {
        error.exitStatus = static_cast<unsigned>(ResultCode::InvalidArgument);
    }
    return error;
}

std::string errorJson(const ApiError& error)
{
    Json json{{"status", error.httpStatus}, {"message", error.message}};
    if (!error.parameter.empty()) {
        json["parameter"] = error.parameter;
    }
    if (error.exitStatus) {
        json["exit_status"] = *error.exitStatus;
    }
    json.update(faultJson(error.gs1Fault));
    if (error.reportJson) {
        json["report"] = Json::parse(*error.reportJson, nullptr, false);
    }
    return dumped(json);
}

std::optional<ApiError> makeImage(const SymbolRequest& request, std::uint64_t maxPixels, MadeImage& image)
{
    try {
        std::string parameter;
        if (Outcome made = produce(request, maxPixels, image, nullptr, parameter); !made.ok()) {
            return errorOfProduction(request, made, parameter);
        }
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        return errorOfOutcome(request, ResultCode::UnknownException);
    }
}

std::optional<ApiError> makeReport(const SymbolRequest& request, std::uint64_t maxPixels, std::string& json)
{
    try {
        SymbolReport report = describeInput(request.symbol);
        MadeImage image;
        std::string parameter;
        report.outcome = produce(request, maxPixels, image, &report, parameter);
        if (report.outcome.ok()) {
            report.sha256 = sha256Hex(image.bytes);
        }
        json = reportJson(report);
        if (report.outcome.ok()) {
            return std::nullopt;
        }
        ApiError error = errorOfProduction(request, report.outcome, parameter);
        error.reportJson = json;
        return error;
    } catch (const std::bad_alloc&) {
        return errorOfOutcome(request, ResultCode::UnknownException);
    }
}

std::optional<ApiError> validateData(const SymbolRequest& request, std::string& json)
{
    if (request.gs1) {
        return validateGs1(request, json);
    }
    if (request.hibc) {
        return validateHibc(request, json);
    }
    ApiError error;
    error.message = "Error: Invalid argument: validate needs gs1=1, gs1-nocheck=1 or hibc=1.";
    error.parameter = "gs1";
    error.exitStatus = static_cast<unsigned>(ResultCode::InvalidArgument);
    return error;
}

}  // namespace korvel::server
