#include "korvel/rendering.hpp"

#include "image/symbol_drawing.hpp"
#include "image/symbol_geometry.hpp"

namespace korvel {

Outcome imageSize(const Symbol& symbol, const RenderOptions& options, ImageSize& size)
{
    if (!renderOptionsValid(options)) {
        return ResultCode::InvalidArgument;
    }
    if (options.imageSize) {
        if (options.imageSize->width <= 0 || options.imageSize->height <= 0) {
            return ResultCode::InvalidArgument;
        }
        size = *options.imageSize;
        return ResultCode::Ok;
    }
    const auto extent = symbolExtent(symbol.format(), options);
    if (!extent) {
        return ResultCode::InvalidArgument;
    }
    return imageSizeForModules(*extent, options.moduleSize, options.wrapSixteenBitSize, size);
}

Outcome renderSymbol(const Symbol& symbol, const RenderOptions& options, RasterImage& image)
{
    const TargetRect whole{0, image.width(), 0, image.height()};
    return drawSymbol(symbol.format(), symbol.empty() ? nullptr : &symbol.matrix(), options, image, whole);
}

}  // namespace korvel
