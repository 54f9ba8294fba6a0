#pragma once
// The dark areas of a symbol as outlines on the module grid, every edge
// moved into the dark by a distance: what vector output draws for ink
// spread. An area shrinks on every side that borders light, light areas
// inside it grow, and dark modules that touch only at a corner come apart,
// while neighbouring dark modules stay one area.

#include <vector>

#include "layout/module_view.hpp"

namespace korvel {

// A corner of an outline, in modules: x from the left, y from the top.
struct OutlinePoint {
    double x = 0.0;
    double y = 0.0;

    friend bool operator==(const OutlinePoint&, const OutlinePoint&) = default;
};

// The corners of one closed outline, each edge horizontal or vertical. Going
// from corner to corner, the dark lies on the right-hand side (y pointing
// down): outer outlines run clockwise as seen, outlines of light areas
// inside counter-clockwise, so that a fill by the nonzero rule leaves those
// light.
using Outline = std::vector<OutlinePoint>;

// The outlines of the dark areas, each edge moved `inset` modules into the
// dark (0 to 0.25, so that no area vanishes). In order of their top-left
// corners.
[[nodiscard]] std::vector<Outline> darkOutlines(const ModuleView& view, double inset);

}  // namespace korvel
