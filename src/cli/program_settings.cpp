#include "cli/program_settings.hpp"

#include "cli/option_values.hpp"

namespace korvel {
namespace {

bool inRange(std::int32_t value, std::int32_t low, std::int32_t high) { return value >= low && value <= high; }

}  // namespace

void applyOption(int code, const char* value, Settings& s)
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
        if (const std::int32_t v = parseInteger(value); inRange(v, 0, 30)) {
            s.symbol.preferredFormat = v;
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
    default: break;
    }
}

ResultCode checkSettings(const Settings& s)
{
    const StructuredAppend& sequence = s.symbol.structuredAppend;
    const bool accepted = inRange(sequence.position, 1, 16) && inRange(sequence.total, 2, 16) &&
                          inRange(sequence.id, 1, StructuredAppend::kMaxId) && s.render.quietZoneSize >= 0;
    return accepted ? ResultCode::Ok : ResultCode::InvalidArgument;
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
