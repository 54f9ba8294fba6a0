#include "raster/symbol_drawing.hpp"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "layout/dark_spans.hpp"
#include "layout/module_view.hpp"
#include "layout/symbol_layout.hpp"

namespace korvel {

ResultCode drawSymbol(const SymbolFormat& format, const ModuleMatrix* matrix, const RenderOptions& options,
                      RasterImage& image, const TargetRect& target)
{
    SymbolLayout layout;
    if (const ResultCode placed = layOutInTarget(format, matrix != nullptr, options, target, layout);
        placed != ResultCode::Ok) {
        return placed;
    }

    if (options.background != image.initialColor()) {
        // A target may be wider than 32 bits can say; the image clips what it paints.
        const auto side = [](std::int32_t low, std::int32_t high) {
            return static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{high} - low, INT32_MAX));
        };
        image.fillRect(target.left, target.top, side(target.left, target.right), side(target.top, target.bottom),
                       options.background);
    }
    const ModuleView view(*matrix, options.orientation);
    const DarkSpans dark(layout, view);
    std::vector<PixelSpan> spans;
    const std::int64_t bottom = layout.top + layout.symbolHeight();
    for (std::int64_t y = layout.top; y < bottom;) {
        const std::int64_t rows = std::min(dark.rowsAlike(y), bottom - y);
        dark.row(y, spans);
        for (const PixelSpan& span : spans) {
            image.fillRect(static_cast<std::int32_t>(span.begin), static_cast<std::int32_t>(y),
                           static_cast<std::int32_t>(span.end - span.begin), static_cast<std::int32_t>(rows),
                           options.foreground);
        }
        y += rows;
    }
    return ResultCode::Ok;
}

}  // namespace korvel
