#pragma once
// The command's settings: one per option, each at its default until an
// accepted value arrives.

#include <cstdint>
#include <string>

#include "korvel/encoding_mode.hpp"
#include "korvel/raster_image.hpp"

namespace korvel {

struct Settings {
    std::int32_t width = 100;
    std::int32_t height = 100;
    bool sizeGiven = false;
    double xDimension = 5.0;
    std::string data = "1234567";
    std::int32_t preferredFormat = 0;
    std::int32_t encodingMode = Automatic;
    std::int32_t orientation = 0;
    Color backgroundColor = kWhite;
    Color foregroundColor = kBlack;
    bool quietZone = true;
    std::int32_t horizontalAlignment = 1;
    std::int32_t verticalAlignment = 1;
    bool structuredAppend = false;
    std::int32_t structuredAppendPosition = 1;
    std::int32_t structuredAppendTotal = 2;
    std::int32_t structuredAppendId = 1;
    std::int32_t quietZoneSize = 1;
};

// Stores an option's converted value when it is accepted; values out of
// range are dropped silently and the setting keeps its previous value.
void applyOption(int letter, const char* value, Settings& settings);

}  // namespace korvel
