#include "layout/symbol_layout.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/rounding.hpp"

namespace korvel {
namespace {

constexpr double kMillimetresPerInch = 25.4;

// Offset of the symbol within the free space.
std::int64_t alignmentOffset(Alignment alignment, std::int64_t freeSpace)
{
    switch (alignment) {
    case Alignment::Center: return freeSpace / 2;
    case Alignment::End: return freeSpace;
    case Alignment::Start: break;
    }
    return 0;
}

bool upright(Orientation orientation)
{
    return orientation == Orientation::Degrees0 || orientation == Orientation::Degrees180;
}

bool vectorOptionsValid(const VectorOptions& vector, const RenderOptions& render)
{
    if (vector.moduleMillimetres) {
        return *vector.moduleMillimetres > 0.0 && *vector.moduleMillimetres <= kMaxModuleMillimetres &&
               !render.imageSize;
    }
    return vector.dotsPerInch >= 1 && vector.dotsPerInch <= kMaxDotsPerInch;
}

// What every layout shares beyond the placement: the symbol's size in
// modules as drawn, its quiet zone, orientation and marks.
void describeSymbol(const SymbolFormat& format, const RenderOptions& options, SymbolLayout& layout)
{
    const bool turned = !upright(options.orientation);
    layout.columns = turned ? format.symbolRows : format.symbolColumns;
    layout.rows = turned ? format.symbolColumns : format.symbolRows;
    layout.quietZone = options.quietZone ? options.quietZoneSize : 0;
    layout.orientation = options.orientation;
    layout.marks = {options.dotDiameter, options.inkSpread};
}

// Print options within their ranges; a dot that ink spread leaves smaller
// than the smallest dot is refused.
bool marksValid(const RenderOptions& options) noexcept
{
    if (!(options.inkSpread >= 0.0 && options.inkSpread <= kMaxInkSpread)) {
        return false;
    }
    if (!options.dotDiameter) {
        return true;
    }
    const double diameter = *options.dotDiameter;
    return diameter >= kMinDotDiameter && diameter <= 1.0 && diameter - options.inkSpread >= kMinDotDiameter - 1e-9;
}

// The band lies below the symbol's bottom quiet zone, across the image.
void placeBand(const RenderOptions& options, SymbolLayout& layout)
{
    const std::int64_t bandModules = bandModulesFor(options);
    layout.bandTop = layout.top + layout.symbolHeight() + layout.quietZone * layout.moduleSize;
    layout.bandHeight = bandModules * layout.moduleSize;
}

// One unit per module: the image is exactly the symbol, its quiet zones and band.
ResultCode layOutModules(const SymbolFormat& format, const RenderOptions& options, SymbolLayout& layout)
{
    const auto extent = symbolExtent(format, options);
    if (!extent) {
        return ResultCode::InvalidArgument;
    }
    describeSymbol(format, options, layout);
    layout.width = extent->columns;
    layout.height = extent->rows;
    layout.moduleSize = 1;
    layout.left = layout.quietZone;
    layout.top = layout.quietZone;
    placeBand(options, layout);
    return ResultCode::Ok;
}

}  // namespace

std::int32_t bandModulesFor(const RenderOptions& options) noexcept
{
    return options.hriText ? kTextBandModules : 0;
}

bool renderOptionsValid(const RenderOptions& options) noexcept
{
    return orientationFromDegrees(static_cast<std::int32_t>(options.orientation)).has_value() &&
           alignmentFromNumber(static_cast<std::int32_t>(options.horizontal)).has_value() &&
           alignmentFromNumber(static_cast<std::int32_t>(options.vertical)).has_value() && options.quietZoneSize >= 0 &&
           marksValid(options);
}

std::optional<ModuleExtent> symbolExtent(const SymbolFormat& format, const RenderOptions& options)
{
    const bool turned = !upright(options.orientation);
    ModuleExtent extent{turned ? format.symbolRows : format.symbolColumns,
                        turned ? format.symbolColumns : format.symbolRows};
    if (options.quietZone) {
        extent.columns += 2 * std::int64_t{options.quietZoneSize};
        extent.rows += 2 * std::int64_t{options.quietZoneSize};
    }
    extent.rows += bandModulesFor(options);
    if (extent.columns > kMaxExtentModules || extent.rows > kMaxExtentModules) {
        return std::nullopt;
    }
    return extent;
}

ResultCode imageSizeForModules(const ModuleExtent& extent, double moduleSize, bool wrapSixteenBits, ImageSize& size)
{
    if (!(moduleSize >= 0.0)) {
        return ResultCode::InvalidArgument;
    }
    const double pixels = roundHalfUp(moduleSize);
    if (!(pixels <= static_cast<double>(std::numeric_limits<std::uint32_t>::max()))) {
        return ResultCode::InvalidArgument;
    }
    const auto p = static_cast<std::uint64_t>(pixels);
    std::uint64_t width = p * static_cast<std::uint64_t>(extent.columns);
    std::uint64_t height = p * static_cast<std::uint64_t>(extent.rows);
    if (wrapSixteenBits) {
        // The barcode object's size is a 16-bit quantity: larger products wrap around.
        width = static_cast<std::uint16_t>(width);
        height = static_cast<std::uint16_t>(height);
    } else if (width > 65535 || height > 65535) {
        return ResultCode::InvalidArgument;
    }
    if (width == 0 || height == 0) {
        return ResultCode::InvalidArgument;
    }
    size = {static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
    return ResultCode::Ok;
}

namespace {

// The steps below take render options already checked: each write checks
// them once, at its start.

ResultCode sizeImage(const SymbolFormat& format, const RenderOptions& options, ImageSize& size)
{
    if (options.imageSize) {
        if (options.imageSize->width <= 0 || options.imageSize->height <= 0) {
            return ResultCode::InvalidArgument;
        }
        size = *options.imageSize;
        return ResultCode::Ok;
    }
    const auto extent = symbolExtent(format, options);
    if (!extent) {
        return ResultCode::InvalidArgument;
    }
    return imageSizeForModules(*extent, options.moduleSize, options.wrapSixteenBitSize, size);
}

ResultCode placeInTarget(const SymbolFormat& format, bool encoded, const RenderOptions& options,
                         const TargetRect& target, SymbolLayout& layout)
{
    const auto extent = symbolExtent(format, options);
    if (!extent) {
        return ResultCode::InvalidBarcodeSize;
    }
    const std::int64_t targetWidth = std::int64_t{target.right} - target.left;
    const std::int64_t targetHeight = std::int64_t{target.bottom} - target.top;
    if (extent->columns > targetWidth || extent->rows > targetHeight || extent->columns <= 0 || extent->rows <= 0) {
        return ResultCode::InvalidBarcodeSize;
    }
    const std::int64_t s = std::min(targetWidth / extent->columns, targetHeight / extent->rows);
    if (s < 1) {
        return ResultCode::InvalidBarcodeSize;
    }
    describeSymbol(format, options, layout);
    const std::int64_t h = alignmentOffset(options.horizontal, targetWidth - extent->columns * s);
    const std::int64_t v = alignmentOffset(options.vertical, targetHeight - extent->rows * s);
    const std::int64_t q = layout.quietZone * s;
    layout.width = targetWidth;
    layout.height = targetHeight;
    layout.moduleSize = s;
    layout.left = target.left + q + h;
    layout.top = target.top + q + v;
    // Half the ink spread on each side, in whole pixels, rounded down.
    layout.inkSpreadUnits = static_cast<std::int64_t>(std::floor(options.inkSpread * static_cast<double>(s) / 2.0 + 1e-9));
    placeBand(options, layout);
    return encoded ? ResultCode::Ok : ResultCode::InvalidData;
}

Outcome layOutCheckedPixels(const Symbol& symbol, const RenderOptions& options,
                            std::optional<std::int32_t> dotsPerInch, PixelLimit limit, SymbolLayout& layout)
{
    ImageSize size;
    if (const ResultCode sized = sizeImage(symbol.format(), options, size); sized != ResultCode::Ok) {
        return sized;
    }
    if (limit == PixelLimit::Raster && !RasterImage::sizeAccepted(size.width, size.height)) {
        return ResultCode::CantInitializePngCreator;
    }
    if (const ResultCode placed =
            placeInTarget(symbol.format(), !symbol.empty(), options, {0, size.width, 0, size.height}, layout);
        placed != ResultCode::Ok) {
        return placed;
    }
    if (dotsPerInch) {
        layout.unitMillimetres = kMillimetresPerInch / *dotsPerInch;
    }
    return ResultCode::Ok;
}

}  // namespace

ResultCode imageSizeFor(const SymbolFormat& format, const RenderOptions& options, ImageSize& size)
{
    return renderOptionsValid(options) ? sizeImage(format, options, size) : ResultCode::InvalidArgument;
}

ResultCode layOutInTarget(const SymbolFormat& format, bool encoded, const RenderOptions& options,
                          const TargetRect& target, SymbolLayout& layout)
{
    return renderOptionsValid(options) ? placeInTarget(format, encoded, options, target, layout)
                                       : ResultCode::InvalidArgument;
}

Outcome layOutPixels(const Symbol& symbol, const RenderOptions& options, std::optional<std::int32_t> dotsPerInch,
                     PixelLimit limit, SymbolLayout& layout)
{
    if (!renderOptionsValid(options)) {
        return ResultCode::InvalidArgument;
    }
    return layOutCheckedPixels(symbol, options, dotsPerInch, limit, layout);
}

Outcome layOutVector(const Symbol& symbol, const RenderOptions& render, const VectorOptions& vector,
                     SymbolLayout& layout)
{
    if (!renderOptionsValid(render) || !vectorOptionsValid(vector, render)) {
        return ResultCode::InvalidArgument;
    }
    if (vector.moduleMillimetres) {
        if (const ResultCode laid = layOutModules(symbol.format(), render, layout); laid != ResultCode::Ok) {
            return laid;
        }
        layout.unitMillimetres = *vector.moduleMillimetres;
        return symbol.empty() ? ResultCode::InvalidData : ResultCode::Ok;
    }
    return layOutCheckedPixels(symbol, render, vector.dotsPerInch, PixelLimit::None, layout);
}

}  // namespace korvel
