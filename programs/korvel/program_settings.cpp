#include "program_settings.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <utility>

#include "image_time.hpp"
#include "option_values.hpp"
#include "program_options.hpp"
#include "korvel/vector_writer.hpp"

namespace korvel {
namespace {

bool inRange(std::int32_t value, std::int32_t low, std::int32_t high) { return value >= low && value <= high; }

constexpr std::int32_t kLastFormat = 30;
constexpr std::int32_t kLastDmreFormat = 48;

// Keyword values are taken in any letter case, as file name endings are.
bool sameKeyword(std::string_view given, std::string_view keyword)
{
    return given.size() == keyword.size() && std::equal(given.begin(), given.end(), keyword.begin(), [](char a, char b) {
               return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
           });
}

std::optional<SymbolShape> shapeFromName(std::string_view name)
{
    if (sameKeyword(name, "square")) {
        return SymbolShape::Square;
    }
    if (sameKeyword(name, "rectangle")) {
        return SymbolShape::Rectangle;
    }
    return std::nullopt;
}

std::optional<OutputType> parseOutputType(std::string_view text)
{
    constexpr std::array<std::pair<std::string_view, OutputType>, 5> kTypes{{{"png", OutputType::Png},
                                                                             {"svg", OutputType::Svg},
                                                                             {"eps", OutputType::Eps},
                                                                             {"pdf", OutputType::Pdf},
                                                                             {"text", OutputType::Text}}};
    for (const auto& [name, type] : kTypes) {
        if (sameKeyword(text, name)) {
            return type;
        }
    }
    return std::nullopt;
}

std::optional<Gs1Separator> gs1SeparatorFromName(std::string_view name)
{
    if (sameKeyword(name, "fnc1")) {
        return Gs1Separator::Fnc1;
    }
    if (sameKeyword(name, "gs")) {
        return Gs1Separator::GroupSeparator;
    }
    return std::nullopt;
}

// The options of print output; false for a value outside the option's range.
bool applyPrintOption(int code, const char* value, PrintSettings& p)
{
    switch (code) {
    case kTypeOption: p.type = parseOutputType(value); return p.type.has_value();
    case kModuleMmOption:
        p.moduleMillimetres = parseStrictDecimal(value);
        if (!p.moduleMillimetres || !(*p.moduleMillimetres > 0.0 && *p.moduleMillimetres <= kMaxModuleMillimetres)) {
            p.moduleMillimetres.reset();
            return false;
        }
        return true;
    case kDpiOption:
        if (const auto dpi = parseWholeNumber(value, kMaxDotsPerInch); dpi && *dpi >= 1) {
            p.dotsPerInch = static_cast<std::int32_t>(*dpi);
            return true;
        }
        return false;
    case kPaletteOption: p.palette = true; return true;
    case kTimeOption: p.time = parseImageTime(value); return p.time.has_value();
    case kStdoutOption: p.toStandardOutput = true; return true;
    default: return true;
    }
}

}  // namespace

bool applyOption(int code, const char* value, Settings& s)
{
    switch (code) {
    case 'x':
        if (const std::int32_t v = parseInteger(value); v > 0) {
            s.imageSize.width = v;
            s.imageSizeGiven = true;
        }
        break;
    case 'y':
        if (const std::int32_t v = parseInteger(value); v > 0) {
            s.imageSize.height = v;
            s.imageSizeGiven = true;
        }
        break;
    case 'n':
        if (const double v = parseDecimal(value); v > 0.0) {
            s.render.moduleSize = v;
        }
        break;
    case 'd':
        s.symbol.data = value;
        s.source.dataGiven = true;
        break;
    case 'f':
        if (const std::int32_t v = parseInteger(value); inRange(v, 0, kLastDmreFormat)) {
            s.formatWithDmre = v;
            if (v <= kLastFormat) {
                s.symbol.preferredFormat = v;
            }
        }
        break;
    case 'm':
        if (const auto mode = encodingModeFromNumber(parseInteger(value))) {
            s.symbol.mode = *mode;
        }
        break;
    case 'o':
        if (const auto orientation = orientationFromDegrees(parseInteger(value))) {
            s.render.orientation = *orientation;
        }
        break;
    case 'b': s.render.background = parseColor(value); break;
    case 'r': s.render.foreground = parseColor(value); break;
    case 'q': s.render.quietZone = parseInteger(value) != 0; break;
    case 'z':
        if (const auto alignment = alignmentFromNumber(parseInteger(value))) {
            s.render.horizontal = *alignment;
        }
        break;
    case 'v':
        if (const auto alignment = alignmentFromNumber(parseInteger(value))) {
            s.render.vertical = *alignment;
        }
        break;
    case 's': s.symbol.structuredAppend.enabled = parseInteger(value) != 0; break;
    case 'p': s.symbol.structuredAppend.position = parseInteger(value); break;
    case 't': s.symbol.structuredAppend.total = parseInteger(value); break;
    case 'i': s.symbol.structuredAppend.id = parseInteger(value); break;
    case 'e': s.render.quietZoneSize = parseInteger(value); break;
    case kShapeOption: {
        const auto shape = shapeFromName(value);
        if (!shape) {
            return false;
        }
        s.symbol.shape = *shape;
        break;
    }
    case kDmreOption: s.symbol.dmre = true; break;
    case kUtf8Option: s.symbol.utf8 = true; break;
    case kMinimalOption: s.symbol.minimal = true; break;
    case kGs1Option:
    case kGs1NoCheckOption:
        s.gs1 = true;
        s.symbol.syntax = DataSyntax::Gs1;
        s.symbol.gs1.contentChecks = s.symbol.gs1.contentChecks && code == kGs1Option;
        break;
    case kGs1SeparatorOption: {
        const auto separator = gs1SeparatorFromName(value);
        if (!separator) {
            return false;
        }
        s.symbol.gs1Separator = *separator;
        break;
    }
    case kHibcOption:
        s.hibc = true;
        s.symbol.syntax = DataSyntax::Hibc;
        break;
    case kHriOption: s.printHumanReadable = true; break;
    case kHriTextOption: s.render.hriText = true; break;
    case kVerifyOption: s.verify = true; break;
    case kReportOption:
        if (value == nullptr || *value == '\0') {
            return false;
        }
        s.reportPath = value;
        break;
    default: return applyPrintOption(code, value, s.print);
    }
    return true;
}

Outcome checkCombinations(const Settings& s)
{
    if (s.symbol.minimal && s.symbol.mode != EncodingMode::Automatic) {
        return {ResultCode::InvalidArgument, "--minimal chooses the schemes itself and needs -m 0"};
    }
    if (s.gs1 && s.hibc) {
        return {ResultCode::InvalidArgument, "--hibc cannot be combined with --gs1 or --gs1-nocheck"};
    }
    if ((s.gs1 || s.hibc) && s.symbol.utf8) {
        return {ResultCode::InvalidArgument,
                "--utf8 cannot be combined with --gs1, --gs1-nocheck or --hibc (their data is plain ASCII)"};
    }
    if (s.printHumanReadable && !s.gs1 && !s.hibc) {
        return {ResultCode::InvalidArgument, "--hri needs --gs1, --gs1-nocheck or --hibc"};
    }
    const bool reportThere = s.reportPath && *s.reportPath == kStandardOutputName;
    if (s.print.toStandardOutput && reportThere) {
        return {ResultCode::InvalidArgument, "--stdout and --report=- both claim standard output"};
    }
    if (s.print.toStandardOutput && s.source.batchPath) {
        return {ResultCode::InvalidArgument, "--stdout cannot take the many images of --batch"};
    }
    return ResultCode::Ok;
}

Outcome checkRanges(const Settings& s)
{
    const StructuredAppend& sequence = s.symbol.structuredAppend;
    const bool accepted = inRange(sequence.position, 1, 16) && inRange(sequence.total, 2, 16) &&
                          inRange(sequence.id, 1, StructuredAppend::kMaxId) && s.render.quietZoneSize >= 0;
    return accepted ? ResultCode::Ok : ResultCode::InvalidArgument;
}

SymbolOptions symbolOptionsOf(const Settings& settings)
{
    SymbolOptions symbol = settings.symbol;
    if (symbol.dmre) {
        symbol.preferredFormat = settings.formatWithDmre;
    }
    return symbol;
}

RenderOptions renderOptionsOf(const Settings& settings)
{
    RenderOptions render = settings.render;
    if (settings.imageSizeGiven) {
        render.imageSize = settings.imageSize;
    }
    return render;
}

}  // namespace korvel
