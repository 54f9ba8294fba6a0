#include "request_options.hpp"

#include <array>
#include <charconv>
#include <limits>

#include "korvel/color.hpp"
#include "korvel/encoding_mode.hpp"

namespace korvel::server {
namespace {

constexpr std::int32_t kLastFormat = 30;
constexpr std::int64_t kLatestImageTime = 253402300799;  // 9999-12-31 23:59:59 UTC

// A parameter's value once read, in the field its kind fills.
struct Value {
    bool flag = false;
    std::int64_t whole = 0;
    double decimal = 0.0;
    std::size_t keyword = 0;  // index among the row's keywords
    Color colour;
    std::string text;
};

// What the parameters said, before the rules that join several of them.
struct Gathered {
    SymbolRequest request;
    bool dataGiven = false;
    bool inputGiven = false;
    bool gs1 = false;
    bool gs1NoCheck = false;
    bool hibc = false;
    std::optional<std::int32_t> format;
    std::optional<std::int32_t> width;
    std::optional<std::int32_t> height;
    std::optional<OutputType> type;
    std::optional<std::int32_t> dotsPerInch;
};

using Apply = void (*)(const Value&, Gathered&);

// One row per parameter: its name (the program's long option), how its value
// is written and read, and what it sets.
struct Row {
    ParameterInfo info;
    Apply apply = nullptr;
};

constexpr Orientation kOrientations[] = {Orientation::Degrees0, Orientation::Degrees90, Orientation::Degrees180,
                                         Orientation::Degrees270};
constexpr OutputType kTypes[] = {OutputType::Png, OutputType::Svg, OutputType::Eps, OutputType::Pdf};

std::int32_t int32(const Value& v) { return static_cast<std::int32_t>(v.whole); }

// clang-format off
constexpr std::array<Row, 32> kRows{{
    {{"data", ValueKind::Text, "text, with the program's tilde escapes (~1 FNC1, ~Xhh a byte, ~~ a tilde ...)",
      "the data to encode, as -d takes it", 0, 0, false, {}},
     [](const Value& v, Gathered& g) { g.request.symbol.data = v.text; g.dataGiven = true; }},
    {{"input", ValueKind::Base64, "base64 (RFC 4648, standard or URL alphabet)",
      "the data as bytes, taken literally without escapes, as --input reads a file", 0, 0, false, {}},
     [](const Value& v, Gathered& g) { g.request.symbol.data = v.text; g.inputGiven = true; }},
    {{"gs1", ValueKind::Flag, "0 or 1", "the data is GS1 data: parsed, checked, encoded with FNC1", 0, 0, false, {}},
     [](const Value& v, Gathered& g) { g.gs1 = g.gs1 || v.flag; }},
    {{"gs1-nocheck", ValueKind::Flag, "0 or 1", "as gs1, checking only AIs, value lengths and characters", 0, 0,
     false, {}}, [](const Value& v, Gathered& g) { g.gs1NoCheck = v.flag; }},
    {{"gs1-separator", ValueKind::Keyword, "fnc1 or gs", "what follows a variable-length GS1 value", 0, 0, false,
     "fnc1|gs"},
     [](const Value& v, Gathered& g) {
         g.request.symbol.gs1Separator = v.keyword == 0 ? Gs1Separator::Fnc1 : Gs1Separator::GroupSeparator;
     }},
    {{"hibc", ValueKind::Flag, "0 or 1", "the data is a HIBC supplier label: + and the check character are added",
     0, 0, false, {}}, [](const Value& v, Gathered& g) { g.hibc = v.flag; }},
    {{"fmt", ValueKind::Whole, "0..30, with dmre=1 0..48",
      "symbol format: 0 the smallest that fits, 1..24 square, 25..30 rectangular, 31..48 DMRE", 0, 48, false, {}},
     [](const Value& v, Gathered& g) { g.format = int32(v); }},
    {{"mode", ValueKind::Whole, "0..6",
      "encodation: 0 automatic, 1 ASCII, 2 C40, 3 Text, 4 Base 256, 5 EDIFACT, 6 X12", 0, 6, false, {}},
     [](const Value& v, Gathered& g) { g.request.symbol.mode = *encodingModeFromNumber(int32(v)); }},
    {{"shape", ValueKind::Keyword, "square or rectangle", "the shape fmt=0 chooses", 0, 0, false,
     "square|rectangle"},
     [](const Value& v, Gathered& g) {
         g.request.symbol.shape = v.keyword == 0 ? SymbolShape::Square : SymbolShape::Rectangle;
     }},
    {{"dmre", ValueKind::Flag, "0 or 1", "allow the rectangular extension formats 31..48", 0, 0, false, {}},
     [](const Value& v, Gathered& g) { g.request.symbol.dmre = v.flag; }},
    {{"utf8", ValueKind::Flag, "0 or 1", "the data is UTF-8 text; beyond ISO 8859-1 it gets ECI 26", 0, 0, false,
     {}}, [](const Value& v, Gathered& g) { g.request.symbol.utf8 = v.flag; }},
    {{"minimal", ValueKind::Flag, "0 or 1", "encode with the fewest codewords (mode 0 only)", 0, 0, false, {}},
     [](const Value& v, Gathered& g) { g.request.symbol.minimal = v.flag; }},
    {{"xsize", ValueKind::Whole, "1..65535", "image width in pixels (a fixed image size)", 1, 65535, false, {}},
     [](const Value& v, Gathered& g) { g.width = int32(v); }},
    {{"ysize", ValueKind::Whole, "1..65535", "image height in pixels (a fixed image size)", 1, 65535, false, {}},
     [](const Value& v, Gathered& g) { g.height = int32(v); }},
    {{"xdim", ValueKind::Decimal, "0.5..65535", "module size in pixels, rounded half up", 0.5, 65535, false, {}},
     [](const Value& v, Gathered& g) { g.request.render.moduleSize = v.decimal; }},
    {{"module-mm", ValueKind::Decimal, "above 0, at most 100",
      "module size in millimetres; for a PNG it needs dpi; not with xsize or ysize", 0, kMaxModuleMillimetres, true,
     {}},
     [](const Value& v, Gathered& g) {
         g.request.vector.moduleMillimetres = v.decimal;
         g.request.moduleMillimetresGiven = true;
     }},
    {{"dpi", ValueKind::Whole, "1..100000",
      "resolution: a pHYs chunk in a PNG, the size of vector output without module-mm (96 when absent)", 1,
     kMaxDotsPerInch, false, {}}, [](const Value& v, Gathered& g) { g.dotsPerInch = int32(v); }},
    {{"fcolor", ValueKind::Colour, "RRGGBB (six hexadecimal digits)", "colour of the dark modules", 0, 0, false, {}},
     [](const Value& v, Gathered& g) { g.request.render.foreground = v.colour; }},
    {{"bcolor", ValueKind::Colour, "RRGGBB (six hexadecimal digits)", "background colour", 0, 0, false, {}},
     [](const Value& v, Gathered& g) { g.request.render.background = v.colour; }},
    {{"qzone", ValueKind::Flag, "0 or 1", "draw the quiet zone", 0, 0, false, {}},
     [](const Value& v, Gathered& g) { g.request.render.quietZone = v.flag; }},
    {{"qsize", ValueKind::Whole, "0..65535", "quiet zone width in modules", 0, 65535, false, {}},
     [](const Value& v, Gathered& g) { g.request.render.quietZoneSize = int32(v); }},
    {{"orient", ValueKind::Keyword, "0, 90, 180 or 270", "rotation in degrees, counter-clockwise", 0, 0, false,
     "0|90|180|270"}, [](const Value& v, Gathered& g) { g.request.render.orientation = kOrientations[v.keyword]; }},
    {{"alignh", ValueKind::Whole, "0..2", "horizontal place in a fixed image size: 0 left, 1 centre, 2 right", 0, 2,
     false, {}}, [](const Value& v, Gathered& g) { g.request.render.horizontal = *alignmentFromNumber(int32(v)); }},
    {{"alignv", ValueKind::Whole, "0..2", "vertical place in a fixed image size: 0 top, 1 centre, 2 bottom", 0, 2,
     false, {}}, [](const Value& v, Gathered& g) { g.request.render.vertical = *alignmentFromNumber(int32(v)); }},
    {{"sapp", ValueKind::Flag, "0 or 1", "structured append on", 0, 0, false, {}},
     [](const Value& v, Gathered& g) { g.request.symbol.structuredAppend.enabled = v.flag; }},
    {{"spos", ValueKind::Whole, "1..16, at most stot", "position of this symbol in the sequence", 1, 16, false, {}},
     [](const Value& v, Gathered& g) { g.request.symbol.structuredAppend.position = int32(v); }},
    {{"stot", ValueKind::Whole, "2..16", "number of symbols in the sequence", 2, 16, false, {}},
     [](const Value& v, Gathered& g) { g.request.symbol.structuredAppend.total = int32(v); }},
    {{"sid", ValueKind::Whole, "1..64516", "file identification of the sequence", 1, StructuredAppend::kMaxId,
     false, {}}, [](const Value& v, Gathered& g) { g.request.symbol.structuredAppend.id = int32(v); }},
    {{"palette", ValueKind::Flag, "0 or 1", "PNG as a two-colour indexed image, 1 bit per pixel", 0, 0, false, {}},
     [](const Value& v, Gathered& g) { g.request.png.palette = v.flag; }},
    {{"time", ValueKind::Whole, "0..253402300799",
      "the PNG time stamp in seconds since 1970-01-01 UTC (0 when absent)", 0,
     static_cast<double>(kLatestImageTime), false, {}},
     [](const Value& v, Gathered& g) { g.request.png.time = static_cast<std::time_t>(v.whole); }},
    {{"type", ValueKind::Keyword, "png, svg, eps or pdf",
      "output format (POST /v1/symbol and /v1/report; the GET paths name it themselves)", 0, 0, false,
     "png|svg|eps|pdf"}, [](const Value& v, Gathered& g) { g.type = kTypes[v.keyword]; }},
    {{"verify", ValueKind::Flag, "0 or 1",
      "read the symbol back with zxing-cpp and check the image before answering, as --verify", 0, 0, false, {}},
     [](const Value& v, Gathered& g) { g.request.verify = v.flag; }},
}};
// clang-format on

const std::array<ParameterInfo, kRows.size()>& parameterInfos()
{
    static const auto infos = [] {
        std::array<ParameterInfo, kRows.size()> all{};
        for (std::size_t i = 0; i < kRows.size(); ++i) {
            all[i] = kRows[i].info;
        }
        return all;
    }();
    return infos;
}

const Row* findRow(std::string_view name)
{
    for (const Row& row : kRows) {
        if (row.info.name == name) {
            return &row;
        }
    }
    return nullptr;
}

char lowerCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerCase(a[i]) != lowerCase(b[i])) {
            return false;
        }
    }
    return true;
}

std::optional<std::size_t> keywordIndex(std::string_view keywords, std::string_view text)
{
    std::size_t index = 0;
    while (true) {
        const std::size_t bar = keywords.find('|');
        if (equalIgnoringCase(keywords.substr(0, bar), text)) {
            return index;
        }
        if (bar == std::string_view::npos) {
            return std::nullopt;
        }
        keywords.remove_prefix(bar + 1);
        ++index;
    }
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = lowerCase(c);
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

std::optional<Color> parseColour(std::string_view text)
{
    if (text.size() != 6) {
        return std::nullopt;
    }
    std::uint32_t rgb = 0;
    for (const char c : text) {
        const int digit = hexValue(c);
        if (digit < 0) {
            return std::nullopt;
        }
        rgb = (rgb << 4) | static_cast<std::uint32_t>(digit);
    }
    return Color::fromRgb(rgb);
}

// Decimal digits only, at most 18 of them (beyond every range here).
std::optional<std::int64_t> parseWhole(std::string_view text)
{
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// Digits with at most one '.' among or around them ("2", "0.25", ".5", "5.").
std::optional<double> parseDecimal(std::string_view text)
{
    const std::size_t point = text.find('.');
    const bool onePoint = point == std::string_view::npos || text.find('.', point + 1) == std::string_view::npos;
    const std::size_t digits = text.size() - (point == std::string_view::npos ? 0 : 1);
    if (!onePoint || digits == 0 || digits > 30 || text.find_first_not_of("0123456789.") != std::string_view::npos) {
        return std::nullopt;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

int base64Value(char c)
{
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    if (c == '+' || c == '-') {
        return 62;
    }
    return c == '/' || c == '_' ? 63 : -1;
}

// Base64 in the standard or the URL alphabet, with or without its padding;
// nothing for any other character, a lone last character or bits left over.
std::optional<std::string> decodeBase64(std::string_view text)
{
    std::size_t end = text.size();
    if (end % 4 == 0 && end > 0 && text[end - 1] == '=') {
        end -= text[end - 2] == '=' ? 2U : 1U;
    }
    if (end % 4 == 1) {
        return std::nullopt;
    }
    std::string bytes;
    bytes.reserve(end * 3 / 4);
    std::uint32_t bits = 0;
    int count = 0;
    for (std::size_t i = 0; i < end; ++i) {
        const int value = base64Value(text[i]);
        if (value < 0) {
            return std::nullopt;
        }
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes += static_cast<char>((bits >> count) & 0xFFU);
        }
    }
    if ((bits & ((1U << count) - 1U)) != 0) {
        return std::nullopt;  // the last character carries bits beyond the data
    }
    return bytes;
}

// The value as one line of a message: printable ASCII as it is, other bytes
// as \xNN, a long value cut short.
std::string shownValue(std::string_view value)
{
    constexpr std::size_t kShownBytes = 60;
    constexpr std::string_view kHex = "0123456789abcdef";
    std::string shown;
    for (const char c : value.substr(0, kShownBytes)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            shown += c;
        } else {
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 0xFU];
        }
    }
    return value.size() > kShownBytes ? shown + "..." : shown;
}

RequestRefusal invalidValue(const Row& row, std::string_view value)
{
    return {std::string(row.info.name),
            "Error: Invalid value for " + std::string(row.info.name) + ": " + shownValue(value) + " (accepted: " +
                std::string(row.info.accepted) + ")."};
}

RequestRefusal refusal(std::string_view parameter, const std::string& why)
{
    return {std::string(parameter), "Error: Invalid argument: " + why + "."};
}

bool inRange(const Row& row, double value)
{
    return (row.info.lowExclusive ? value > row.info.low : value >= row.info.low) && value <= row.info.high;
}

// The value read as the row's kind says; nothing when it is not valid.
std::optional<Value> readValue(const Row& row, std::string_view text)
{
    Value value;
    switch (row.info.kind) {
    case ValueKind::Flag:
        if (text != "0" && text != "1") {
            return std::nullopt;
        }
        value.flag = text == "1";
        return value;
    case ValueKind::Text: value.text = text; return value;
    case ValueKind::Base64: {
        auto bytes = decodeBase64(text);
        if (!bytes) {
            return std::nullopt;
        }
        value.text = std::move(*bytes);
        return value;
    }
    case ValueKind::Whole: {
        const auto whole = parseWhole(text);
        if (!whole || !inRange(row, static_cast<double>(*whole))) {
            return std::nullopt;
        }
        value.whole = *whole;
        return value;
    }
    case ValueKind::Decimal: {
        const auto decimal = parseDecimal(text);
        if (!decimal || !inRange(row, *decimal)) {
            return std::nullopt;
        }
        value.decimal = *decimal;
        return value;
    }
    case ValueKind::Colour: {
        const auto colour = parseColour(text);
        if (!colour) {
            return std::nullopt;
        }
        value.colour = *colour;
        return value;
    }
    case ValueKind::Keyword: {
        const auto index = keywordIndex(row.info.keywords, text);
        if (!index) {
            return std::nullopt;
        }
        value.keyword = *index;
        return value;
    }
    }
    return std::nullopt;
}

// The rules that join parameters, as the program's; the first broken one.
std::optional<RequestRefusal> checkCombinations(const Gathered& g, std::optional<OutputType> pathType)
{
    const SymbolOptions& symbol = g.request.symbol;
    if (g.dataGiven && g.inputGiven) {
        return refusal("input", "data and input both give the data; use one of them");
    }
    if ((g.gs1 || g.gs1NoCheck) && g.hibc) {
        return refusal("hibc", "hibc cannot be combined with gs1 or gs1-nocheck");
    }
    if ((g.gs1 || g.gs1NoCheck || g.hibc) && symbol.utf8) {
        return refusal("utf8", "utf8 cannot be combined with gs1, gs1-nocheck or hibc (their data is plain ASCII)");
    }
    if (symbol.minimal && symbol.mode != EncodingMode::Automatic) {
        return refusal("minimal", "minimal chooses the schemes itself and needs mode=0");
    }
    if (g.format && *g.format > kLastFormat && !symbol.dmre) {
        return refusal("fmt", "formats 31..48 need dmre=1");
    }
    if (symbol.structuredAppend.enabled && symbol.structuredAppend.position > symbol.structuredAppend.total) {
        return refusal("spos", "the position spos is beyond the total stot");
    }
    if (g.type && pathType && *g.type != *pathType) {
        return refusal("type", "the path names another output type");
    }
    if (g.request.moduleMillimetresGiven && (g.width || g.height)) {
        return refusal("module-mm", "module-mm cannot be combined with xsize or ysize");
    }
    const OutputType type = pathType.value_or(g.type.value_or(OutputType::Png));
    if (g.request.moduleMillimetresGiven && type == OutputType::Png && !g.dotsPerInch) {
        return refusal("module-mm", "module-mm needs dpi for a PNG image");
    }
    return std::nullopt;
}

// One final LF or CR LF of literal GS1 or HIBC input goes, as the program
// drops it from a file given to --input.
void dropFinalLineEnd(std::string& data)
{
    if (!data.empty() && data.back() == '\n') {
        data.pop_back();
        if (!data.empty() && data.back() == '\r') {
            data.pop_back();
        }
    }
}

void finish(Gathered& g, std::optional<OutputType> pathType, SymbolRequest& request)
{
    request = std::move(g.request);
    request.type = pathType.value_or(g.type.value_or(OutputType::Png));
    request.typeGiven = pathType.has_value() || g.type.has_value();
    request.gs1 = g.gs1 || g.gs1NoCheck;
    request.hibc = g.hibc;
    request.dataFromInput = g.inputGiven;
    SymbolOptions& symbol = request.symbol;
    if (request.gs1) {
        symbol.syntax = DataSyntax::Gs1;
        symbol.gs1.contentChecks = !g.gs1NoCheck;
    } else if (request.hibc) {
        symbol.syntax = DataSyntax::Hibc;
    } else if (g.inputGiven) {
        symbol.syntax = DataSyntax::Literal;
    }
    if (g.inputGiven && (request.gs1 || request.hibc)) {
        dropFinalLineEnd(symbol.data);
    }
    symbol.preferredFormat = g.format.value_or(0);
    if (g.width || g.height) {
        request.render.imageSize = ImageSize{g.width.value_or(100), g.height.value_or(100)};
        request.imageSizeGiven = true;
    }
    request.png.dotsPerInch = g.dotsPerInch;
    request.vector.dotsPerInch = g.dotsPerInch.value_or(kDefaultDotsPerInch);
    if (request.moduleMillimetresGiven && request.type == OutputType::Png) {
        request.render.moduleSize = modulePixelsAt(*request.vector.moduleMillimetres, *g.dotsPerInch);
    }
}

}  // namespace

std::optional<RequestRefusal> requestToOptions(const RequestFields& fields, const RequestLimits& limits,
                                               std::optional<OutputType> pathType, SymbolRequest& request)
{
    Gathered g;
    g.request.png.time = static_cast<std::time_t>(kDefaultImageTime);
    std::array<bool, kRows.size()> seen{};
    for (const RequestField& field : fields) {
        const Row* row = findRow(field.name);
        if (row == nullptr) {
            return RequestRefusal{shownValue(field.name),
                                  "Error: Invalid argument: unknown parameter " + shownValue(field.name) + "."};
        }
        const auto index = static_cast<std::size_t>(row - kRows.data());
        if (seen[index]) {
            return refusal(row->info.name, std::string(row->info.name) + " is given twice");
        }
        seen[index] = true;
        const auto value = readValue(*row, field.value);
        if (!value) {
            return invalidValue(*row, field.value);
        }
        if ((row->info.kind == ValueKind::Text || row->info.kind == ValueKind::Base64) &&
            value->text.size() > limits.maxDataBytes) {
            return RequestRefusal{std::string(row->info.name),
                                  "Error: The data is " + std::to_string(value->text.size()) +
                                      " bytes long, more than this server's limit of " +
                                      std::to_string(limits.maxDataBytes) + ".",
                                  true};
        }
        row->apply(*value, g);
    }
    if (auto broken = checkCombinations(g, pathType)) {
        return broken;
    }
    finish(g, pathType, request);
    return std::nullopt;
}

std::span<const ParameterInfo> requestParameters() noexcept { return parameterInfos(); }

}  // namespace korvel::server
