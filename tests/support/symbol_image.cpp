#include "support/symbol_image.hpp"

#include "korvel/rendering.hpp"

namespace korvel::testing {

std::unique_ptr<RasterImage> drawSymbol(const Symbol& symbol, Orientation orientation, int moduleSize)
{
    RenderOptions render;
    render.moduleSize = moduleSize;
    render.orientation = orientation;
    render.quietZoneSize = 2;
    ImageSize size;
    if (!imageSize(symbol, render, size).ok()) {
        return nullptr;
    }
    auto image = std::make_unique<RasterImage>(size.width, size.height, kWhite);
    if (!image->allocate() || !renderSymbol(symbol, render, *image).ok()) {
        return nullptr;
    }
    return image;
}

}  // namespace korvel::testing
