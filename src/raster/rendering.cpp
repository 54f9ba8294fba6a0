#include "korvel/rendering.hpp"

#include "layout/symbol_layout.hpp"
#include "layout/text_band.hpp"
#include "raster/symbol_drawing.hpp"

namespace korvel {

Outcome imageSize(const Symbol& symbol, const RenderOptions& options, ImageSize& size)
{
    return imageSizeFor(symbol.format(), options, size);
}

namespace {

// The line blended over the background of the layout's band.
void paintTextBand(const Coverage& line, const SymbolLayout& layout, const RenderOptions& options, RasterImage& image)
{
    for (std::int32_t y = 0; y < line.height; ++y) {
        const std::int64_t row = layout.bandTop + y;
        if (row < 0 || row >= image.height()) {
            continue;
        }
        std::uint8_t* pixel = image.row(static_cast<std::int32_t>(row));
        for (std::int32_t x = 0; x < line.width && x < image.width(); ++x, pixel += 3) {
            const Color c = inkOnPaper(options.background, options.foreground, line.at(x, y));
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
    SymbolLayout layout;
    Coverage line;
    if (options.hriText &&
        layOutInTarget(symbol.format(), !symbol.empty(), options, whole, layout) == ResultCode::Ok) {
        if (Outcome drawn = rasteriseTextBand(symbol, layout, line); !drawn.ok()) {
            return drawn;
        }
    }
    const ResultCode drawn = drawSymbol(symbol.format(), symbol.empty() ? nullptr : &symbol.matrix(), options, image, whole);
    if (drawn == ResultCode::Ok && options.hriText) {
        paintTextBand(line, layout, options, image);
    }
    return drawn;
}

}  // namespace korvel
