#pragma once
// The dark pixels of a symbol on a pixel grid, row by row: what the layout's
// marks cover. A square fills its module; ink spread takes whole pixels off
// every side of a dark area that borders light (an erosion of the dark
// areas, so that neighbouring dark modules stay joined); a dot covers the
// pixels whose centres lie inside its circle. The PNG rows, the raster
// drawing and the pixel check all work from these spans.

#include <cstdint>
#include <utility>
#include <vector>

#include "layout/module_view.hpp"
#include "layout/symbol_layout.hpp"

namespace korvel {

// Image columns [begin, end) of one row.
struct PixelSpan {
    std::int64_t begin = 0;
    std::int64_t end = 0;
};

class DarkSpans {
public:
    // Both must outlive this object.
    DarkSpans(const SymbolLayout& layout, const ModuleView& view);

    // Rows with the same key have the same spans; -1 for the rows above and
    // below the symbol, which have none.
    [[nodiscard]] std::int64_t rowKey(std::int64_t y) const noexcept;
    // How many rows from y on (y included) have y's spans: at least 1.
    [[nodiscard]] std::int64_t rowsAlike(std::int64_t y) const noexcept;
    // The dark spans of image row y, left to right, neighbours joined.
    void row(std::int64_t y, std::vector<PixelSpan>& spans) const;
    // Whether the pixel (x, y) is dark.
    [[nodiscard]] bool dark(std::int64_t x, std::int64_t y) const;

private:
    enum class Band { Top, Middle, Bottom };
    [[nodiscard]] bool darkModule(std::int64_t i, std::int64_t j) const noexcept;
    [[nodiscard]] Band band(std::int64_t r) const noexcept;
    void plainRow(std::int64_t i, std::vector<PixelSpan>& spans) const;
    // The pixels of module (i, j) in its pixel row r that are dark, from the module's left edge.
    [[nodiscard]] std::pair<std::int64_t, std::int64_t> squarePart(std::int64_t i, std::int64_t j,
                                                                   std::int64_t r) const noexcept;

    const SymbolLayout& layout_;
    const ModuleView& view_;
    std::int64_t spread_;  // whole pixels off each side of a dark area
    // For dots: the dark pixels of each pixel row of a module.
    std::vector<std::pair<std::int64_t, std::int64_t>> dotRows_;
};

}  // namespace korvel
