#include "layout/symbol_geometry.hpp"

#include <algorithm>
#include <limits>

#include "common/rounding.hpp"

namespace korvel {
namespace {

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

}  // namespace

bool renderOptionsValid(const RenderOptions& options) noexcept
{
    return orientationFromDegrees(static_cast<std::int32_t>(options.orientation)).has_value() &&
           alignmentFromNumber(static_cast<std::int32_t>(options.horizontal)).has_value() &&
           alignmentFromNumber(static_cast<std::int32_t>(options.vertical)).has_value() && options.quietZoneSize >= 0;
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
    if (options.hriText) {
        extent.rows += kTextBandModules;
    }
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

ResultCode placeInTarget(const ModuleExtent& extent, const RenderOptions& options, const TargetRect& target,
                         ModulePlacement& placement)
{
    const std::int64_t targetWidth = std::int64_t{target.right} - target.left;
    const std::int64_t targetHeight = std::int64_t{target.bottom} - target.top;
    if (extent.columns > targetWidth || extent.rows > targetHeight || extent.columns <= 0 || extent.rows <= 0) {
        return ResultCode::InvalidBarcodeSize;
    }
    const std::int64_t s = std::min(targetWidth / extent.columns, targetHeight / extent.rows);
    if (s < 1) {
        return ResultCode::InvalidBarcodeSize;
    }
    const std::int64_t h = alignmentOffset(options.horizontal, targetWidth - extent.columns * s);
    const std::int64_t v = alignmentOffset(options.vertical, targetHeight - extent.rows * s);
    const std::int64_t q = options.quietZone ? options.quietZoneSize * s : 0;
    placement = {s, target.left + q + h, target.top + q + v};
    return ResultCode::Ok;
}

ResultCode placeSymbol(const SymbolFormat& format, bool encoded, const RenderOptions& options,
                       const TargetRect& target, ModulePlacement& placement)
{
    if (!renderOptionsValid(options)) {
        return ResultCode::InvalidArgument;
    }
    const auto extent = symbolExtent(format, options);
    if (!extent) {
        return ResultCode::InvalidBarcodeSize;
    }
    if (const ResultCode placed = placeInTarget(*extent, options, target, placement); placed != ResultCode::Ok) {
        return placed;
    }
    return encoded ? ResultCode::Ok : ResultCode::InvalidData;
}

}  // namespace korvel
