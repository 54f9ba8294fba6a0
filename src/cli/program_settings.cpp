#include "cli/program_settings.hpp"

#include "cli/option_values.hpp"

namespace korvel {
namespace {

bool inRange(std::int32_t value, std::int32_t low, std::int32_t high) { return value >= low && value <= high; }

}  // namespace

void applyOption(int letter, const char* value, Settings& s)
{
    switch (letter) {
    case 'x':
        if (const std::int32_t v = parseInteger(value); v > 0) {
            s.width = v;
            s.sizeGiven = true;
        }
        break;
    case 'y':
        if (const std::int32_t v = parseInteger(value); v > 0) {
            s.height = v;
            s.sizeGiven = true;
        }
        break;
    case 'n':
        if (const double v = parseDecimal(value); v > 0.0) {
            s.xDimension = v;
        }
        break;
    case 'd': s.data = value; break;
    case 'f':
        if (const std::int32_t v = parseInteger(value); inRange(v, 0, 30)) {
            s.preferredFormat = v;
        }
        break;
    case 'm':
        if (const std::int32_t v = parseInteger(value); inRange(v, 0, 6)) {
            s.encodingMode = v;
        }
        break;
    case 'o':
        if (const std::int32_t v = parseInteger(value); v == 0 || v == 90 || v == 180 || v == 270) {
            s.orientation = v;
        }
        break;
    case 'b': s.backgroundColor = parseColor(value); break;
    case 'r': s.foregroundColor = parseColor(value); break;
    case 'q': s.quietZone = parseInteger(value) != 0; break;
    case 'z':
        if (const std::int32_t v = parseInteger(value); inRange(v, 0, 2)) {
            s.horizontalAlignment = v;
        }
        break;
    case 'v':
        if (const std::int32_t v = parseInteger(value); inRange(v, 0, 2)) {
            s.verticalAlignment = v;
        }
        break;
    case 's': s.structuredAppend = parseInteger(value) != 0; break;
    case 'p': s.structuredAppendPosition = parseInteger(value); break;
    case 't': s.structuredAppendTotal = parseInteger(value); break;
    case 'i': s.structuredAppendId = parseInteger(value); break;
    case 'e': s.quietZoneSize = parseInteger(value); break;
    default: break;
    }
}

}  // namespace korvel
