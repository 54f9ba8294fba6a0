#pragma once
// Reading back what an SVG, EPS or PDF file of ours draws: the background
// (if any), the colour of the dark modules and the shapes that mark them,
// in module units: rectangles, outlines of straight lines, or circles. It
// reads the drawing operators as a viewer would, not the writer's own data,
// so that a fault in writing shows as a difference.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "layout/module_outlines.hpp"
#include "layout/module_rectangles.hpp"
#include "korvel/color.hpp"
#include "korvel/output.hpp"

namespace korvel {

// A circle in modules of the symbol.
struct DrawnDot {
    OutlinePoint centre;
    double diameter = 0.0;
};

struct DrawnVector {
    std::optional<Color> background;  // none when nothing is drawn behind the symbol
    Color foreground;
    bool cmyk = false;  // the colours were given in DeviceCMYK
    // In modules of the symbol, row 0 at the top.
    std::vector<ModuleRectangle> dark;  // rectangles of whole modules
    std::vector<Outline> outlines;      // any other closed shape of straight lines
    std::vector<DrawnDot> dots;         // closed shapes of curves: circles
};

// The drawing in `bytes` of the given vector type; nothing, with the reason
// in `error`, when the bytes do not hold a drawing of this form.
[[nodiscard]] std::optional<DrawnVector> readVector(OutputType type, std::span<const std::uint8_t> bytes,
                                                    std::string& error);

}  // namespace korvel
