// The report as JSON, built with nlohmann::json. Keys keep the documented
// order; parts that do not exist for a failed symbol are null.

#include <nlohmann/json.hpp>

#include "common/byte_text.hpp"
#include "korvel/report.hpp"

namespace korvel {
namespace {

using Json = nlohmann::ordered_json;

bool isValidUtf8(const std::string& text)
{
    try {
        static_cast<void>(Json(text).dump());
        return true;
    } catch (const Json::type_error&) {
        return false;
    }
}

Json readingJson(const SymbolReading& reading, const std::optional<StructuredAppend>& sequence)
{
    Json eci = Json::array();
    for (const EciDesignation& designation : reading.ecis) {
        eci.push_back({{"number", designation.number}, {"offset", designation.offset}});
    }
    Json structured = nullptr;
    if (reading.sequenceTotal > 0) {
        structured = {{"position", reading.sequencePosition}, {"total", reading.sequenceTotal}};
        if (sequence) {
            structured["file_id"] = sequence->id;
        }
    }
    return {{"hex", hexText(reading.bytes)},
            {"symbology_identifier", reading.symbologyId},
            {"eci", eci},
            {"reader_programming", reading.readerProgramming},
            {"structured_append", structured}};
}

Json formatJson(const SymbolFormat& format, std::size_t used)
{
    const int across = format.mappingColumns / format.regionColumns;
    const int down = format.mappingRows / format.regionRows;
    return {{"number", format.id},
            {"rows", format.symbolRows},
            {"columns", format.symbolColumns},
            {"data_regions", {{"count", across * down}, {"across", across}, {"down", down}}},
            {"data_codewords_used", used},
            {"data_capacity", format.dataCodewords},
            {"error_codewords", format.errorCodewords}};
}

Json imageJson(const ImageReport& image)
{
    Json json{{"width", image.size.width},
              {"height", image.size.height},
              {"module_size", image.moduleSize},
              {"unit", unitName(image.unit)}};
    if (image.widthMm && image.heightMm && image.moduleMm) {
        json["width_mm"] = *image.widthMm;
        json["height_mm"] = *image.heightMm;
        json["module_mm"] = *image.moduleMm;
    }
    return json;
}

Json verificationJson(const Verification& verification)
{
    return {{"passed", verification.passed},
            {"detail", verification.detail},
            {"decoder", verification.decoder.empty() ? Json(nullptr) : Json(verification.decoder)},
            {"read", verification.read ? readingJson(*verification.read, std::nullopt) : Json(nullptr)},
            {"output_checked", verification.outputChecked}};
}

template <typename T, typename F>
Json orNull(const std::optional<T>& value, F&& convert)
{
    return value ? Json(convert(*value)) : Json(nullptr);
}

}  // namespace

std::string reportJson(const SymbolReport& report)
{
    Json json;
    if (report.line) {
        json["line"] = *report.line;
    }
    json["status"] = static_cast<unsigned>(report.outcome.code);
    json["message"] = outcomeMessage(report.outcome);
    json["input"] = report.input;
    if (!isValidUtf8(report.input)) {
        json["input_hex"] = hexText(report.input);
    }
    if (report.syntax == DataSyntax::Gs1 || report.syntax == DataSyntax::Hibc) {
        Json elements = Json::array();
        for (const Gs1Element& element : report.gs1Elements) {
            elements.push_back({{"ai", element.ai}, {"value", element.value}});
        }
        json["gs1"] = {{"elements", report.format ? elements : Json(nullptr)},
                       {"hri", report.format ? Json(report.humanReadable) : Json(nullptr)}};
    }
    json["data"] = orNull(report.data, [&](const SymbolReading& r) { return readingJson(r, report.structuredAppend); });
    Json encodation = Json::array();
    for (const EncodationSegment& segment : report.encodation) {
        encodation.push_back({{"scheme", schemeName(segment.scheme)}, {"items", segment.items}});
    }
    json["encodation"] = report.format ? encodation : Json(nullptr);
    json["format"] = orNull(report.format, [&](const SymbolFormat& f) { return formatJson(f, report.dataCodewordsUsed); });
    json["codewords"] = report.format ? Json(hexText(report.codewords)) : Json(nullptr);
    json["image"] = orNull(report.image, imageJson);
    json["output_file"] = orNull(report.outputFile, [](const std::string& path) { return path; });
    json["sha256"] = orNull(report.sha256, [](const std::string& hash) { return hash; });
    if (report.verification) {
        json["verification"] = verificationJson(*report.verification);
    }
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace korvel
