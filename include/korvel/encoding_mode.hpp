#pragma once
// Encodation modes of the barcode object. Values 1 to 6 also name the
// encodation schemes that automatic selection switches between.

#include <cstdint>

namespace korvel {

enum EncodingMode : std::int32_t {
    Automatic = 0,
    Ascii = 1,
    C40 = 2,
    Text = 3,
    Base256 = 4,
    Edifact = 5,
    X12 = 6,
};

}  // namespace korvel
