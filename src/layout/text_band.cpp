#include "layout/text_band.hpp"

namespace korvel {

TextBandRows textBandRows(const ModuleExtent& extent, const ModulePlacement& placement,
                          const RenderOptions& options) noexcept
{
    const std::int64_t s = placement.moduleSize;
    const std::int64_t quietZone = options.quietZone ? options.quietZoneSize : 0;
    const std::int64_t extentTop = placement.top - quietZone * s;
    return {extentTop + (extent.rows - kTextBandModules) * s, kTextBandModules * s};
}

LineBox textLineBox(double imageWidth, double moduleSize) noexcept
{
    const double margin = imageWidth > 4.0 * moduleSize ? moduleSize : 0.0;
    return {margin, imageWidth - 2.0 * margin, kTextCapModules * moduleSize, kTextCapCentreModules * moduleSize};
}

Outcome textBandLine(const Symbol& symbol, std::string& text)
{
    if (!symbol.hriText()) {
        return {ResultCode::InvalidArgument,
                "the data cannot be shown as human-readable text: it is not GS1 or HIBC data, and not all of it "
                "is printable ASCII"};
    }
    text = *symbol.hriText();
    return ResultCode::Ok;
}

Outcome rasteriseTextBand(const Symbol& symbol, const RenderOptions& options, ImageSize size, TextBandImage& band)
{
    if (symbol.empty()) {
        return ResultCode::InvalidData;
    }
    std::string text;
    if (Outcome line = textBandLine(symbol, text); !line.ok()) {
        return line;
    }
    std::shared_ptr<const TextFont> font;
    if (Outcome found = sharedTextFont(font); !found.ok()) {
        return found;
    }
    const auto extent = symbolExtent(symbol.format(), options);
    ModulePlacement placement;
    if (!extent || placeInTarget(*extent, options, {0, size.width, 0, size.height}, placement) != ResultCode::Ok) {
        return ResultCode::InvalidBarcodeSize;
    }
    band.rows = textBandRows(*extent, placement, options);
    const double s = static_cast<double>(placement.moduleSize);
    return rasteriseLine(font, text, textLineBox(size.width, s), static_cast<std::int32_t>(band.rows.height),
                         band.coverage);
}

}  // namespace korvel
