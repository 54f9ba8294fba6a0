#include "korvel/rendering.hpp"

#include "layout/symbol_layout.hpp"
#include "raster/symbol_drawing.hpp"

namespace korvel {

Outcome imageSize(const Symbol& symbol, const RenderOptions& options, ImageSize& size)
{
    return imageSizeFor(symbol.format(), options, size);
}

Outcome renderSymbol(const Symbol& symbol, const RenderOptions& options, RasterImage& image)
{
    const TargetRect whole{0, image.width(), 0, image.height()};
    return drawSymbol(symbol.format(), symbol.empty() ? nullptr : &symbol.matrix(), options, image, whole);
}

}  // namespace korvel
