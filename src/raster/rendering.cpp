#include "korvel/rendering.hpp"

#include "raster/symbol_drawing.hpp"
#include "layout/symbol_geometry.hpp"

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

Outcome placeSymbol(const Symbol& symbol, const RenderOptions& options, const ImageSize& size,
                    SymbolPlacement& placement)
{
    if (!renderOptionsValid(options)) {
        return ResultCode::InvalidArgument;
    }
    if (symbol.empty()) {
        return ResultCode::InvalidData;
    }
    const auto extent = symbolExtent(symbol.format(), options);
    if (!extent) {
        return ResultCode::InvalidBarcodeSize;
    }
    ModulePlacement placed;
    if (const ResultCode result = placeInTarget(*extent, options, {0, size.width, 0, size.height}, placed);
        result != ResultCode::Ok) {
        return result;
    }
    placement = {static_cast<std::int32_t>(placed.moduleSize), static_cast<std::int32_t>(placed.left),
                 static_cast<std::int32_t>(placed.top)};
    return ResultCode::Ok;
}

Outcome renderSymbol(const Symbol& symbol, const RenderOptions& options, RasterImage& image)
{
    const TargetRect whole{0, image.width(), 0, image.height()};
    return drawSymbol(symbol.format(), symbol.empty() ? nullptr : &symbol.matrix(), options, image, whole);
}

}  // namespace korvel
