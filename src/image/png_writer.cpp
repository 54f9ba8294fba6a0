#include "korvel/png_writer.hpp"

#include <memory>
#include <new>

#include "image/png_stream.hpp"
#include "korvel/rendering.hpp"

namespace korvel {

namespace {

// The symbol drawn into a raster of the size the render options give.
Outcome drawRaster(const Symbol& symbol, const RenderOptions& render, const PngOptions& png,
                   std::unique_ptr<RasterImage>& image)
{
    if (png.compressionLevel < 0 || png.compressionLevel > 9) {
        return ResultCode::InvalidArgument;
    }
    ImageSize size;
    if (Outcome sized = imageSize(symbol, render, size); !sized.ok()) {
        return sized;
    }
    image = std::make_unique<RasterImage>(size.width, size.height, render.background);
    if (!image->allocate()) {
        return ResultCode::CantInitializePngCreator;
    }
    return renderSymbol(symbol, render, *image);
}

}  // namespace

Outcome writePng(const Symbol& symbol, const RenderOptions& render, const PngOptions& png, const ByteSink& sink)
{
    std::unique_ptr<RasterImage> image;
    if (Outcome drawn = drawRaster(symbol, render, png, image); !drawn.ok()) {
        return drawn;
    }
    return writePngStream(*image, png.compressionLevel, png.time.value_or(std::time(nullptr)), sink);
}

Outcome writePngFile(const Symbol& symbol, const RenderOptions& render, const PngOptions& png,
                     const std::string& path)
{
    std::unique_ptr<RasterImage> image;
    if (Outcome drawn = drawRaster(symbol, render, png, image); !drawn.ok()) {
        return drawn;
    }
    const std::time_t when = png.time.value_or(std::time(nullptr));
    return writeFile(path, [&](const ByteSink& sink) { return writePngStream(*image, png.compressionLevel, when, sink); });
}

}  // namespace korvel
