#include "request_options.hpp"

#include <algorithm>
#include <array>
#include <charconv>

#include "korvel/color.hpp"
#include "korvel/encoding_mode.hpp"
#include "options/combination_rules.hpp"
#include "options/option_value.hpp"

namespace korvel::server {
namespace {

using O = OptionId;

constexpr std::int32_t kLastFormat = 30;

// What the parameters said, before the rules that join several of them.
struct Gathered {
    SymbolRequest request;
    RunFacts given;  // the options in effect (a flag only when 1)
    bool gs1NoCheck = false;
    std::optional<std::int32_t> format;
    std::optional<std::int32_t> width;
    std::optional<std::int32_t> height;
    std::optional<OutputType> type;
    std::optional<std::int32_t> dotsPerInch;
};

// A parameter's value once read: the option's value, the bytes of a base64
// parameter, or a flag.
struct Value {
    OptionValue option;
    std::string bytes;
    bool flag = false;
};

using Apply = void (*)(const Value&, Gathered&);

// One row per parameter: the option it is, how its value is written, the
// accepted values in words where the option's range does not say it all, its
// meaning, and what it sets.
struct Row {
    OptionId option;
    ParameterForm form;
    std::string_view accepted;  // empty: the option's range in words
    std::string_view meaning;
    Apply apply;
};

std::int32_t int32(const Value& v) { return static_cast<std::int32_t>(v.option.number); }

template <typename E>
E keyword(const Value& v)
{
    return static_cast<E>(v.option.number);
}

constexpr ParameterForm kOption = ParameterForm::Option;
constexpr ParameterForm kFlag = ParameterForm::Flag;

// clang-format off
constexpr Row kRows[] = {
    {O::Data, kOption, "text, with the program's tilde escapes (~1 FNC1, ~Xhh a byte, ~~ a tilde ...)",
     "the data to encode, as -d takes it",
     [](const Value& v, Gathered& g) { g.request.symbol.data = std::string(v.option.text); }},
    {O::Input, ParameterForm::Base64, "base64 (RFC 4648, standard or URL alphabet)",
     "the data as bytes, taken literally without escapes, as --input reads a file",
     [](const Value& v, Gathered& g) { g.request.symbol.data = v.bytes; }},
    {O::Gs1, kFlag, {}, "the data is GS1 data: parsed, checked, encoded with FNC1", [](const Value&, Gathered&) {}},
    {O::Gs1NoCheck, kFlag, {}, "as gs1, checking only AIs, value lengths and characters",
     [](const Value&, Gathered& g) { g.gs1NoCheck = true; }},
    {O::Gs1Separator, kOption, {}, "what follows a variable-length GS1 value",
     [](const Value& v, Gathered& g) { g.request.symbol.gs1Separator = keyword<Gs1Separator>(v); }},
    {O::Hibc, kFlag, {}, "the data is a HIBC supplier label: + and the check character are added",
     [](const Value&, Gathered&) {}},
    {O::Format, kOption, "0..30, with dmre=1 0..48",
     "symbol format: 0 the smallest that fits, 1..24 square, 25..30 rectangular, 31..48 DMRE",
     [](const Value& v, Gathered& g) { g.format = int32(v); }},
    {O::Mode, kOption, {}, "encodation: 0 automatic, 1 ASCII, 2 C40, 3 Text, 4 Base 256, 5 EDIFACT, 6 X12",
     [](const Value& v, Gathered& g) { g.request.symbol.mode = *encodingModeFromNumber(int32(v)); }},
    {O::Shape, kOption, {}, "the shape fmt=0 chooses",
     [](const Value& v, Gathered& g) { g.request.symbol.shape = keyword<SymbolShape>(v); }},
    {O::Dmre, kFlag, {}, "allow the rectangular extension formats 31..48",
     [](const Value&, Gathered& g) { g.request.symbol.dmre = true; }},
    {O::Utf8, kFlag, {}, "the data is UTF-8 text; beyond ISO 8859-1 it gets ECI 26",
     [](const Value&, Gathered& g) { g.request.symbol.utf8 = true; }},
    {O::Minimal, kFlag, {}, "encode with the fewest codewords (mode 0 only)",
     [](const Value&, Gathered& g) { g.request.symbol.minimal = true; }},
    {O::XSize, kOption, {}, "image width in pixels (a fixed image size)",
     [](const Value& v, Gathered& g) { g.width = int32(v); }},
    {O::YSize, kOption, {}, "image height in pixels (a fixed image size)",
     [](const Value& v, Gathered& g) { g.height = int32(v); }},
    {O::XDim, kOption, {}, "module size in pixels, rounded half up",
     [](const Value& v, Gathered& g) { g.request.render.moduleSize = v.option.decimal; }},
    {O::ModuleMm, kOption, {}, "module size in millimetres; for a PNG it needs dpi; not with xsize or ysize",
     [](const Value& v, Gathered& g) {
         g.request.vector.moduleMillimetres = v.option.decimal;
         g.request.moduleMillimetresGiven = true;
     }},
    {O::Dpi, kOption, {}, "resolution: a pHYs chunk in a PNG, the size of vector output without module-mm (96 when absent)",
     [](const Value& v, Gathered& g) { g.dotsPerInch = int32(v); }},
    {O::Foreground, kOption, {}, "colour of the dark modules",
     [](const Value& v, Gathered& g) { g.request.render.foreground = v.option.color; }},
    {O::Background, kOption, {}, "background colour",
     [](const Value& v, Gathered& g) { g.request.render.background = v.option.color; }},
    {O::QuietZone, kOption, {}, "draw the quiet zone",
     [](const Value& v, Gathered& g) { g.request.render.quietZone = v.option.number != 0; }},
    {O::QuietZoneSize, kOption, {}, "quiet zone width in modules",
     [](const Value& v, Gathered& g) { g.request.render.quietZoneSize = int32(v); }},
    {O::Orientation, kOption, {}, "rotation in degrees, counter-clockwise",
     [](const Value& v, Gathered& g) { g.request.render.orientation = *orientationFromDegrees(int32(v)); }},
    {O::AlignH, kOption, {}, "horizontal place in a fixed image size: 0 left, 1 centre, 2 right",
     [](const Value& v, Gathered& g) { g.request.render.horizontal = *alignmentFromNumber(int32(v)); }},
    {O::AlignV, kOption, {}, "vertical place in a fixed image size: 0 top, 1 centre, 2 bottom",
     [](const Value& v, Gathered& g) { g.request.render.vertical = *alignmentFromNumber(int32(v)); }},
    {O::StructuredAppend, kOption, {}, "structured append on",
     [](const Value& v, Gathered& g) { g.request.symbol.structuredAppend.enabled = v.option.number != 0; }},
    {O::SequencePosition, kOption, "1..16, at most stot", "position of this symbol in the sequence",
     [](const Value& v, Gathered& g) { g.request.symbol.structuredAppend.position = int32(v); }},
    {O::SequenceTotal, kOption, {}, "number of symbols in the sequence",
     [](const Value& v, Gathered& g) { g.request.symbol.structuredAppend.total = int32(v); }},
    {O::SequenceId, kOption, {}, "file identification of the sequence",
     [](const Value& v, Gathered& g) { g.request.symbol.structuredAppend.id = int32(v); }},
    {O::Palette, kFlag, {}, "PNG as a two-colour indexed image, 1 bit per pixel",
     [](const Value&, Gathered& g) { g.request.png.palette = true; }},
    {O::Time, kOption, {}, "the PNG time stamp in seconds since 1970-01-01 UTC (0 when absent)",
     [](const Value& v, Gathered& g) { g.request.png.time = static_cast<std::time_t>(v.option.number); }},
    {O::Type, kOption, {}, "output format (POST /v1/symbol and /v1/report; the GET paths name it themselves); "
     "text is the preview in Unicode half blocks as plain UTF-8",
     [](const Value& v, Gathered& g) { g.type = keyword<OutputType>(v); }},
    {O::Verify, kFlag, {}, "read the symbol back with zxing-cpp and check the image before answering, as --verify",
     [](const Value&, Gathered& g) { g.request.verify = true; }},
    {O::Cmyk, kFlag, {}, "EPS and PDF colours in DeviceCMYK, so that black is black ink only (PNG and SVG unchanged)",
     [](const Value&, Gathered& g) { g.request.render.cmyk = true; }},
    {O::NoBackground, kFlag, {}, "no background in SVG, EPS and PDF; a PNG shows the background colour transparent",
     [](const Value&, Gathered& g) { g.request.render.transparentBackground = true; }},
    {O::HriText, kFlag, {}, "the human-readable text printed under the symbol (GS1 element string, HIBC data "
     "with its check character, or printable ASCII data)",
     [](const Value&, Gathered& g) { g.request.render.hriText = true; }},
    {O::Dots, kOption, {}, "each dark module a round dot of this diameter, a fraction of the module",
     [](const Value& v, Gathered& g) { g.request.render.dotDiameter = v.option.decimal; }},
    {O::InkSpread, kOption, {}, "shrink dark areas against print gain by this fraction of a module (a PNG by whole pixels)",
     [](const Value& v, Gathered& g) { g.request.render.inkSpread = v.option.decimal; }},
};
// clang-format on

constexpr std::size_t kRowCount = std::size(kRows);

// A number as short as it reads back ("0.5", "100", "65535").
std::string numberText(double value)
{
    std::array<char, 32> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    return {digits.data(), end};
}

// "a, b or c".
template <typename Range, typename Text>
std::string listed(const Range& items, Text text)
{
    std::string words;
    const std::size_t count = std::size(items);
    std::size_t index = 0;
    for (const auto& item : items) {
        words += index == 0 ? "" : index + 1 == count ? " or " : ", ";
        words += text(item);
        ++index;
    }
    return words;
}

// What the option's value may be, in words.
std::string acceptedValues(const OptionDefinition& option, ParameterForm form)
{
    if (form == ParameterForm::Flag) {
        return "0 or 1";
    }
    switch (option.kind) {
    case ValueKind::Integer:
        if (!option.allowed.empty()) {
            return listed(option.allowed, [](std::int64_t n) { return std::to_string(n); });
        }
        return option.integers.low + 1 == option.integers.high
                   ? std::to_string(option.integers.low) + " or " + std::to_string(option.integers.high)
                   : std::to_string(option.integers.low) + ".." + std::to_string(option.integers.high);
    case ValueKind::Decimal:
        return option.decimals.lowExcluded
                   ? "above " + numberText(option.decimals.low) + ", at most " + numberText(option.decimals.high)
                   : numberText(option.decimals.low) + ".." + numberText(option.decimals.high);
    case ValueKind::Color: return "RRGGBB (six hexadecimal digits)";
    case ValueKind::Keyword: return listed(option.keywords, [](const Keyword& k) { return std::string(k.name); });
    default: return "text";
    }
}

const std::array<ParameterInfo, kRowCount>& parameterInfos()
{
    static const auto infos = [] {
        std::array<ParameterInfo, kRowCount> all{};
        for (std::size_t i = 0; i < kRowCount; ++i) {
            const Row& row = kRows[i];
            const OptionDefinition& option = optionDefinition(row.option);
            all[i] = {option.name, row.option, row.form,
                      row.accepted.empty() ? acceptedValues(option, row.form) : std::string(row.accepted),
                      row.meaning};
        }
        return all;
    }();
    return infos;
}

// The row of the parameter with this name, or nothing.
std::optional<std::size_t> findRow(std::string_view name)
{
    for (std::size_t i = 0; i < kRowCount; ++i) {
        if (optionDefinition(kRows[i].option).name == name) {
            return i;
        }
    }
    return std::nullopt;
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

// A text of the request as one printable line, cut short when long.
std::string shown(std::string_view text) { return describeInvalidValue("", text).substr(2); }

RequestRefusal invalidValue(const ParameterInfo& parameter, std::string_view value)
{
    return {std::string(parameter.name), "Error: Invalid value for " + describeInvalidValue(parameter.name, value) +
                                             " (accepted: " + parameter.accepted + ")."};
}

RequestRefusal refusal(std::string_view parameter, const std::string& why)
{
    return {std::string(parameter), "Error: Invalid argument: " + why + "."};
}

// The value read as the row's form and its option's row say; nothing when
// it is not valid.
std::optional<Value> readValue(const Row& row, std::string_view text)
{
    Value value;
    switch (row.form) {
    case ParameterForm::Flag:
        if (text != "0" && text != "1") {
            return std::nullopt;
        }
        value.flag = text == "1";
        return value;
    case ParameterForm::Base64: {
        auto bytes = decodeBase64(text);
        if (!bytes) {
            return std::nullopt;
        }
        value.bytes = std::move(*bytes);
        return value;
    }
    case ParameterForm::Option: break;
    }
    std::optional<OptionValue> option;
    if (!readOptionValue(optionDefinition(row.option), text, ValueReading::Strict, option).ok() || !option) {
        return std::nullopt;
    }
    value.option = *option;
    value.flag = true;
    return value;
}

// The size of the data a value carries, for the server's limit.
std::size_t dataSize(const Value& value) { return std::max(value.bytes.size(), value.option.text.size()); }

// The facts of the combination rules beyond the options given.
RunFacts runFacts(const Gathered& g, OutputType type)
{
    RunFacts facts = g.given;
    if (type == OutputType::Png) {
        facts.add(RunCondition::PngOutput);
    }
    if (g.request.symbol.mode != EncodingMode::Automatic) {
        facts.add(RunCondition::ExplicitMode);
    }
    return facts;
}

// The rules that join parameters: the option table's, in the service's
// names, then the service's own about values that the program reads
// leniently; the first broken one.
std::optional<RequestRefusal> checkCombinations(const Gathered& g, std::optional<OutputType> pathType)
{
    const OutputType type = pathType.value_or(g.type.value_or(OutputType::Png));
    const RunFacts facts = runFacts(g, type);
    if (const CombinationRule* rule = firstBrokenRule(facts, RuleScope::Everywhere)) {
        return refusal(optionDefinition(ruleSubject(*rule, facts)).name, inCallerNames(rule->detail));
    }
    if (Outcome marks = checkDotsAndSpread(g.request.render.dotDiameter, g.request.render.inkSpread); !marks.ok()) {
        return refusal("dots", inCallerNames(marks.detail));
    }
    const SymbolOptions& symbol = g.request.symbol;
    if (g.format && *g.format > kLastFormat && !symbol.dmre) {
        return refusal("fmt", "formats 31..48 need dmre=1");
    }
    if (symbol.structuredAppend.enabled && symbol.structuredAppend.position > symbol.structuredAppend.total) {
        return refusal("spos", "the position spos is beyond the total stot");
    }
    if (g.type && pathType && *g.type != *pathType) {
        return refusal("type", "the path names another output type");
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
    const bool gs1 = g.given.has(O::Gs1) || g.given.has(O::Gs1NoCheck);
    const bool input = g.given.has(O::Input);
    request = std::move(g.request);
    request.type = pathType.value_or(g.type.value_or(OutputType::Png));
    request.typeGiven = pathType.has_value() || g.type.has_value();
    request.gs1 = gs1;
    request.hibc = g.given.has(O::Hibc);
    request.dataFromInput = input;
    SymbolOptions& symbol = request.symbol;
    if (request.gs1) {
        symbol.syntax = DataSyntax::Gs1;
        symbol.gs1.contentChecks = !g.gs1NoCheck;
    } else if (request.hibc) {
        symbol.syntax = DataSyntax::Hibc;
    } else if (input) {
        symbol.syntax = DataSyntax::Literal;
    }
    if (input && (request.gs1 || request.hibc)) {
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
    std::array<bool, kRowCount> seen{};
    for (const RequestField& field : fields) {
        const auto index = findRow(field.name);
        if (!index) {
            const std::string name = shown(field.name);
            return RequestRefusal{name, "Error: Invalid argument: unknown parameter " + name + "."};
        }
        const Row& row = kRows[*index];
        const ParameterInfo& parameter = parameterInfos()[*index];
        if (seen[*index]) {
            return refusal(parameter.name, std::string(parameter.name) + " is given twice");
        }
        seen[*index] = true;
        const auto value = readValue(row, field.value);
        if (!value) {
            return invalidValue(parameter, field.value);
        }
        if (dataSize(*value) > limits.maxDataBytes) {
            return RequestRefusal{std::string(parameter.name),
                                  "Error: The data is " + std::to_string(dataSize(*value)) +
                                      " bytes long, more than this server's limit of " +
                                      std::to_string(limits.maxDataBytes) + ".",
                                  true};
        }
        if (value->flag || row.form == ParameterForm::Base64) {
            g.given.add(row.option);
            row.apply(*value, g);
        }
    }
    if (auto broken = checkCombinations(g, pathType)) {
        return broken;
    }
    finish(g, pathType, request);
    return std::nullopt;
}

std::span<const ParameterInfo> requestParameters() noexcept { return parameterInfos(); }

}  // namespace korvel::server
