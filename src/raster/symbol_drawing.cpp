#include "raster/symbol_drawing.hpp"

#include <algorithm>
#include <cstdint>

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
    const std::int64_t s = layout.moduleSize;
    const auto size = static_cast<std::int32_t>(s);
    for (int i = 0; i < view.rows(); ++i) {
        for (int j = 0; j < view.columns(); ++j) {
            if (view.dark(i, j)) {
                image.fillRect(static_cast<std::int32_t>(layout.left + j * s),
                               static_cast<std::int32_t>(layout.top + i * s), size, size, options.foreground);
            }
        }
    }
    return ResultCode::Ok;
}

}  // namespace korvel
