#include "cli/program_settings.hpp"

#include <optional>
#include <string_view>

#include "cli/option_values.hpp"
#include "cli/program_options.hpp"

namespace korvel {
namespace {

bool inRange(std::int32_t value, std::int32_t low, std::int32_t high) { return value >= low && value <= high; }

constexpr std::int32_t kLastFormat = 30;
constexpr std::int32_t kLastDmreFormat = 48;

std::optional<SymbolShape> shapeFromName(std::string_view name)
{
    if (name == "square") {
        return SymbolShape::Square;
    }
    if (name == "rectangle") {
        return SymbolShape::Rectangle;
    }
    return std::nullopt;
}

std::optional<Gs1Separator> gs1SeparatorFromName(std::string_view name)
{
    if (name == "fnc1") {
        return Gs1Separator::Fnc1;
    }
    if (name == "gs") {
        return Gs1Separator::GroupSeparator;
    }
    return std::nullopt;
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
    case 'd': s.symbol.data = value; break;
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
    default: break;
    }
    return true;
}

Outcome checkSettings(const Settings& s)
{
    const StructuredAppend& sequence = s.symbol.structuredAppend;
    const bool accepted = inRange(sequence.position, 1, 16) && inRange(sequence.total, 2, 16) &&
                          inRange(sequence.id, 1, StructuredAppend::kMaxId) && s.render.quietZoneSize >= 0;
    if (!accepted) {
        return ResultCode::InvalidArgument;
    }
    if (s.symbol.minimal && s.symbol.mode != EncodingMode::Automatic) {
        return {ResultCode::InvalidArgument, "--minimal chooses the schemes itself and needs -m 0"};
    }
    if (s.gs1 && s.hibc) {
        return {ResultCode::InvalidArgument, "--hibc cannot be combined with --gs1 or --gs1-nocheck"};
    }
    if ((s.gs1 || s.hibc) && s.symbol.utf8) {
        return {ResultCode::InvalidArgument, "--utf8 cannot be combined with --gs1, --gs1-nocheck or --hibc (their data is plain ASCII)"};
    }
    if (s.printHumanReadable && !s.gs1 && !s.hibc) {
        return {ResultCode::InvalidArgument, "--hri needs --gs1, --gs1-nocheck or --hibc"};
    }
    return ResultCode::Ok;
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
