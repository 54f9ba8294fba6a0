#include "image/symbol_drawing.hpp"

#include "image/module_view.hpp"
#include "image/symbol_geometry.hpp"

namespace korvel {

ResultCode drawSymbol(const SymbolFormat& format, const ModuleMatrix* matrix, const RenderOptions& options,
                      RasterImage& image, const TargetRect& target)
{
    ModulePlacement placement;
    if (const ResultCode placed = placeSymbol(format, matrix != nullptr, options, target, placement);
        placed != ResultCode::Ok) {
        return placed;
    }

    if (options.background != image.initialColor()) {
        image.fillRect(target.left, target.top, target.right - target.left, target.bottom - target.top,
                       options.background);
    }
    const ModuleView view(*matrix, options.orientation);
    const std::int64_t s = placement.moduleSize;
    const auto size = static_cast<std::int32_t>(s);
    for (int i = 0; i < view.rows(); ++i) {
        for (int j = 0; j < view.columns(); ++j) {
            if (view.dark(i, j)) {
                image.fillRect(static_cast<std::int32_t>(placement.left + j * s),
                               static_cast<std::int32_t>(placement.top + i * s), size, size, options.foreground);
            }
        }
    }
    return ResultCode::Ok;
}

}  // namespace korvel
