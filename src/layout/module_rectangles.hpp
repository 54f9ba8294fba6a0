#pragma once
// The dark modules of a symbol as few rectangles: runs of dark modules in a
// row, merged with the identical runs of the rows below. Vector output draws
// them as one path, so that neighbouring modules share exact edges.

#include <cstdint>
#include <vector>

#include "layout/module_view.hpp"

namespace korvel {

// In modules of the view grid: column 0 is the left, row 0 the top.
struct ModuleRectangle {
    std::int32_t column = 0;
    std::int32_t row = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The dark modules of the view, each covered exactly once; ordered by top
// row, then by left column.
[[nodiscard]] std::vector<ModuleRectangle> darkRectangles(const ModuleView& view);

}  // namespace korvel
