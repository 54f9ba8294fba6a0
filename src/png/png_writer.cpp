#include "korvel/png_writer.hpp"

#include <optional>

#include "layout/symbol_layout.hpp"
#include "layout/text_band.hpp"
#include "png/png_stream.hpp"
#include "png/symbol_rows.hpp"

namespace korvel {

namespace {

// The symbol as the rows of an image of the size the render options give,
// without a raster. The raster's size limit still holds.
Outcome describeImage(const Symbol& symbol, const RenderOptions& render, const PngOptions& png,
                      std::optional<RowStructure>& rows)
{
    if (png.compressionLevel < 0 || png.compressionLevel > 9 ||
        (png.dotsPerInch && (*png.dotsPerInch < 1 || *png.dotsPerInch > kMaxDotsPerInch))) {
        return ResultCode::InvalidArgument;
    }
    SymbolLayout layout;
    if (Outcome laid = layOutPixels(symbol, render, png.dotsPerInch, PixelLimit::Raster, layout); !laid.ok()) {
        return laid;
    }
    if (!render.hriText) {
        return describeSymbol(symbol, render, layout, rows);
    }
    Coverage line;
    if (Outcome drawn = rasteriseTextBand(symbol, layout, line); !drawn.ok()) {
        return drawn;
    }
    return describeSymbol(symbol, render, layout, rows, {&line, png.palette});
}

PngStreamExtras streamExtras(const RenderOptions& render, const PngOptions& png)
{
    PngStreamExtras extras{png.dotsPerInch, std::nullopt, std::nullopt};
    if (png.palette) {
        extras.palette = std::array<Color, 2>{render.background, render.foreground};
    }
    if (render.transparentBackground) {
        extras.transparent = render.background;
    }
    return extras;
}

}  // namespace

Outcome writePng(const Symbol& symbol, const RenderOptions& render, const PngOptions& png, const ByteSink& sink)
{
    std::optional<RowStructure> rows;
    if (Outcome described = describeImage(symbol, render, png, rows); !described.ok()) {
        return described;
    }
    return writePngStream(*rows, png.compressionLevel, png.time.value_or(std::time(nullptr)), sink,
                          streamExtras(render, png));
}

Outcome writePngFile(const Symbol& symbol, const RenderOptions& render, const PngOptions& png,
                     const std::string& path)
{
    std::optional<RowStructure> rows;
    if (Outcome described = describeImage(symbol, render, png, rows); !described.ok()) {
        return described;
    }
    const std::time_t when = png.time.value_or(std::time(nullptr));
    return writeFile(path, [&](const ByteSink& sink) {
        return writePngStream(*rows, png.compressionLevel, when, sink, streamExtras(render, png));
    });
}

}  // namespace korvel
