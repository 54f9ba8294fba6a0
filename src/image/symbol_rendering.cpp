// Sizing and drawing a barcode's symbol into a raster image.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

#include "encodation/automatic_selection.hpp"
#include "image/symbol_layout.hpp"
#include "korvel/data_matrix_barcode.hpp"

namespace korvel {
namespace {

// The symbol's extent in modules with its quiet zones, in the drawing
// orientation (sized as for 90 degrees for any orientation but 0 and 180).
std::optional<SymbolExtent> extentOf(const SymbolFormat& format, std::int32_t orientation, bool quietZone,
                                     std::int32_t quietZoneSize)
{
    const bool upright = orientation == 0 || orientation == 180;
    return symbolExtent(upright ? format.symbolColumns : format.symbolRows,
                        upright ? format.symbolRows : format.symbolColumns, quietZone ? quietZoneSize : 0);
}

}  // namespace

ResultCode DataMatrixBarcode::getImageSize(double xDimension, ImageSize& size) const
{
    if (!(xDimension >= 0.0)) {
        return ResultCode::InvalidArgument;
    }
    const double pixels = roundHalfUp(xDimension);
    if (!(pixels <= static_cast<double>(std::numeric_limits<std::uint32_t>::max()))) {
        return ResultCode::InvalidArgument;
    }
    const auto p = static_cast<std::uint64_t>(pixels);
    const auto extent = extentOf(format_, orientation_, quietZone_, quietZoneSize_);
    if (!extent) {
        return ResultCode::InvalidArgument;
    }
    // The size is a 16-bit quantity: larger products wrap around.
    const auto width = static_cast<std::uint16_t>(p * static_cast<std::uint64_t>(extent->columns));
    const auto height = static_cast<std::uint16_t>(p * static_cast<std::uint64_t>(extent->rows));
    if (width == 0 || height == 0) {
        return ResultCode::InvalidArgument;
    }
    size = {width, height};
    return ResultCode::Ok;
}

ResultCode DataMatrixBarcode::draw(RasterImage& image, const TargetRect& target)
{
    const std::int64_t targetWidth = std::int64_t{target.right} - target.left;
    const std::int64_t targetHeight = std::int64_t{target.bottom} - target.top;
    const auto extent = extentOf(format_, orientation_, quietZone_, quietZoneSize_);
    const std::int64_t quietModules = quietZone_ ? quietZoneSize_ : 0;
    const auto layout = extent ? fitSymbol(*extent, quietModules, targetWidth, targetHeight, horizontalAlignment_,
                                           verticalAlignment_)
                               : std::nullopt;
    if (!layout) {
        return ResultCode::InvalidBarcodeSize;
    }
    if (!encoded_) {
        return ResultCode::InvalidData;
    }

    if (backgroundColor_ != image.initialColor()) {
        image.fillRect(target.left, target.top, static_cast<std::int32_t>(targetWidth),
                       static_cast<std::int32_t>(targetHeight), backgroundColor_);
    }
    const std::int64_t s = layout->moduleSize;
    const std::int64_t x0 = target.left + layout->left;
    const std::int64_t y0 = target.top + layout->top;

    matrix_.setViewOrientation(orientation_);
    const int viewRows = matrix_.viewRows();
    const int viewColumns = matrix_.viewColumns();
    const auto size = static_cast<std::int32_t>(s);
    for (int i = 0; i < viewRows; ++i) {
        for (int j = 0; j < viewColumns; ++j) {
            if (matrix_.moduleAt(i, j) == 1) {
                image.fillRect(static_cast<std::int32_t>(x0 + j * s), static_cast<std::int32_t>(y0 + i * s), size,
                               size, foregroundColor_);
            }
        }
    }
    return ResultCode::Ok;
}

}  // namespace korvel
