#pragma once
// Reading back what an SVG, EPS or PDF file of ours draws: the background,
// the colour of the dark modules and the rectangles they cover, in module
// units. It reads the drawing operators as a viewer would, not the writer's
// own data, so that a fault in writing shows as a difference.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "layout/module_rectangles.hpp"
#include "korvel/color.hpp"
#include "korvel/output.hpp"

namespace korvel {

struct DrawnVector {
    Color background;
    Color foreground;
    std::vector<ModuleRectangle> dark;  // in modules of the symbol, row 0 at the top
};

// The drawing in `bytes` of the given vector type; nothing, with the reason
// in `error`, when the bytes do not hold a drawing of this form.
[[nodiscard]] std::optional<DrawnVector> readVector(OutputType type, std::span<const std::uint8_t> bytes,
                                                    std::string& error);

}  // namespace korvel
