#include "korvel/rendering.hpp"

#include "layout/symbol_geometry.hpp"
#include "layout/text_band.hpp"
#include "raster/symbol_drawing.hpp"

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

namespace {

// The band's line blended over the background it lies on.
void paintTextBand(const TextBandImage& band, const RenderOptions& options, RasterImage& image)
{
    for (std::int32_t y = 0; y < band.coverage.height; ++y) {
        const std::int64_t row = band.rows.top + y;
        if (row < 0 || row >= image.height()) {
            continue;
        }
        std::uint8_t* pixel = image.row(static_cast<std::int32_t>(row));
        for (std::int32_t x = 0; x < band.coverage.width && x < image.width(); ++x, pixel += 3) {
            const Color c = inkOnPaper(options.background, options.foreground, band.coverage.at(x, y));
            pixel[0] = c.red();
            pixel[1] = c.green();
            pixel[2] = c.blue();
        }
    }
}

}  // namespace

Outcome renderSymbol(const Symbol& symbol, const RenderOptions& options, RasterImage& image)
{
    const TargetRect whole{0, image.width(), 0, image.height()};
    TextBandImage band;
    if (options.hriText && !symbol.empty() && renderOptionsValid(options)) {
        if (Outcome drawn = rasteriseTextBand(symbol, options, {image.width(), image.height()}, band); !drawn.ok()) {
            return drawn;
        }
    }
    const ResultCode drawn = drawSymbol(symbol.format(), symbol.empty() ? nullptr : &symbol.matrix(), options, image, whole);
    if (drawn == ResultCode::Ok && options.hriText) {
        paintTextBand(band, options, image);
    }
    return drawn;
}

}  // namespace korvel
