#pragma once
// How a symbol is drawn: its size, turn, colours, quiet zone and place in a
// fixed-size image. The same options serve every writer.

#include <cstdint>
#include <optional>

#include "korvel/color.hpp"

namespace korvel {

// Rotation of the drawn symbol: 90 turns it a quarter turn counter-clockwise,
// 270 a quarter turn clockwise.
enum class Orientation : std::int32_t {
    Degrees0 = 0,
    Degrees90 = 90,
    Degrees180 = 180,
    Degrees270 = 270,
};

// The orientation of so many degrees, or nothing for other values than
// 0, 90, 180 and 270.
[[nodiscard]] constexpr std::optional<Orientation> orientationFromDegrees(std::int32_t degrees) noexcept
{
    switch (degrees) {
    case 0: return Orientation::Degrees0;
    case 90: return Orientation::Degrees90;
    case 180: return Orientation::Degrees180;
    case 270: return Orientation::Degrees270;
    default: return std::nullopt;
    }
}

// Place of the symbol in a fixed-size image along one axis: left or top,
// centre, right or bottom. The numbers are the command line's.
enum class Alignment : std::int32_t {
    Start = 0,
    Center = 1,
    End = 2,
};

[[nodiscard]] constexpr std::optional<Alignment> alignmentFromNumber(std::int32_t number) noexcept
{
    if (number < 0 || number > 2) {
        return std::nullopt;
    }
    return static_cast<Alignment>(number);
}

// An image size in pixels.
struct ImageSize {
    std::int32_t width = 0;
    std::int32_t height = 0;

    friend constexpr bool operator==(const ImageSize&, const ImageSize&) = default;
};

// The highest print resolution a PNG's pHYs chunk or a vector grid is given
// in, dots per inch.
inline constexpr std::int32_t kMaxDotsPerInch = 100000;

// The smallest dot and the largest ink spread, in modules.
inline constexpr double kMinDotDiameter = 0.1;
inline constexpr double kMaxInkSpread = 0.5;

struct RenderOptions {
    // Pixels per module (the X-dimension), rounded half up; at least 0.5.
    // Used when no imageSize is given.
    double moduleSize = 5.0;
    // A fixed image size in pixels; the symbol then gets the largest whole
    // module size that fits, placed by the alignments.
    std::optional<ImageSize> imageSize;
    Orientation orientation = Orientation::Degrees0;
    Color background = kWhite;
    Color foreground = kBlack;
    bool quietZone = true;
    std::int32_t quietZoneSize = 1;  // modules on each side, 0 or more
    Alignment horizontal = Alignment::Center;
    Alignment vertical = Alignment::Center;
    // The barcode object's rule for sizes from a module size: a side beyond
    // 65535 pixels wraps around modulo 65536 instead of being refused. Only
    // for callers that must reproduce images made that way.
    bool wrapSixteenBitSize = false;

    // For print. EPS and PDF give their colours in DeviceCMYK (K = 1 -
    // max(R, G, B), C, M and Y relative to 1 - K), so that black is black
    // ink only; PNG and SVG are the same either way.
    bool cmyk = false;
    // No background: SVG, EPS and PDF draw nothing behind the dark modules,
    // and a PNG marks the background colour transparent (a tRNS chunk).
    bool transparentBackground = false;
    // Every dark module a filled circle centred in its module, of this
    // diameter as a fraction of the module (kMinDotDiameter to 1); squares
    // when absent. Finder and timing patterns are dots too.
    std::optional<double> dotDiameter;
    // Print gain compensation: every dark area shrinks by this fraction of a
    // module (0 to kMaxInkSpread), half on each side; a dot's diameter by
    // all of it. A PNG shrinks by the whole pixels this comes to on each
    // side (none where a module has too few pixels).
    double inkSpread = 0.0;
    // The human-readable text (Symbol::hriText) drawn as one line under the
    // symbol and its quiet zone: a band of kTextBandModules modules that the
    // image grows by (with a fixed image size, the symbol and the band fit it
    // together). The line is centred, in the foreground colour, its capitals
    // about 2 modules high, scaled down when it is wider than the image.
    // Writing fails with 1 when the symbol has no such text, and a PNG with 1
    // when no font for it is installed (OCR-B, else DejaVu Sans Mono).
    bool hriText = false;
};

// The height of the text band in modules: half a module of space, capitals
// of 2 modules, room for parentheses and descenders, 1 module of margin.
inline constexpr std::int32_t kTextBandModules = 4;

}  // namespace korvel
