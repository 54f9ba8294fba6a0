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

constexpr std::int64_t kMaxExtent = 65535;

// The symbol's size in modules with its quiet zones, in the drawing
// orientation; nothing when it does not fit 16 bits.
struct Extent {
    std::int64_t columns;
    std::int64_t rows;
};

std::optional<Extent> symbolExtent(const SymbolFormat& format, std::int32_t orientation, bool quietZone,
                                   std::int32_t quietZoneSize)
{
    const bool upright = orientation == 0 || orientation == 180;
    Extent extent{upright ? format.symbolColumns : format.symbolRows,
                  upright ? format.symbolRows : format.symbolColumns};
    if (quietZone) {
        extent.columns += 2 * std::int64_t{quietZoneSize};
        extent.rows += 2 * std::int64_t{quietZoneSize};
    }
    if (extent.columns > kMaxExtent || extent.rows > kMaxExtent) {
        return std::nullopt;
    }
    return extent;
}

// Offset of the symbol within the free space for an alignment 0, 1 or 2.
std::int64_t alignmentOffset(std::int32_t alignment, std::int64_t freeSpace)
{
    switch (alignment) {
    case 1: return freeSpace / 2;
    case 2: return freeSpace;
    default: return 0;
    }
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
    const auto extent = symbolExtent(format_, orientation_, quietZone_, quietZoneSize_);
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

ResultCode layoutSymbol(const DataMatrixBarcode& barcode, const TargetRect& target, SymbolLayout& layout)
{
    const std::int64_t targetWidth = std::int64_t{target.right} - target.left;
    const std::int64_t targetHeight = std::int64_t{target.bottom} - target.top;
    const auto extent =
        symbolExtent(barcode.format(), barcode.orientation(), barcode.quietZone(), barcode.quietZoneSize());
    if (!extent || extent->columns > targetWidth || extent->rows > targetHeight) {
        return ResultCode::InvalidBarcodeSize;
    }
    const std::int64_t s = std::min(targetWidth / extent->columns, targetHeight / extent->rows);
    if (s < 1) {
        return ResultCode::InvalidBarcodeSize;
    }
    if (!barcode.isEncoded()) {
        return ResultCode::InvalidData;
    }
    const std::int64_t h = alignmentOffset(barcode.horizontalAlignment(), targetWidth - extent->columns * s);
    const std::int64_t v = alignmentOffset(barcode.verticalAlignment(), targetHeight - extent->rows * s);
    const std::int64_t q = barcode.quietZone() ? barcode.quietZoneSize() * s : 0;
    layout = {s, target.left + q + h, target.top + q + v};
    return ResultCode::Ok;
}

ResultCode DataMatrixBarcode::draw(RasterImage& image, const TargetRect& target)
{
    SymbolLayout layout;
    if (const ResultCode result = layoutSymbol(*this, target, layout); result != ResultCode::Ok) {
        return result;
    }
    if (backgroundColor_ != image.initialColor()) {
        image.fillRect(target.left, target.top, static_cast<std::int32_t>(std::int64_t{target.right} - target.left),
                       static_cast<std::int32_t>(std::int64_t{target.bottom} - target.top), backgroundColor_);
    }
    matrix_.setViewOrientation(orientation_);
    const int viewRows = matrix_.viewRows();
    const int viewColumns = matrix_.viewColumns();
    const std::int64_t s = layout.modulePixels;
    const auto size = static_cast<std::int32_t>(s);
    for (int i = 0; i < viewRows; ++i) {
        for (int j = 0; j < viewColumns; ++j) {
            if (matrix_.moduleAt(i, j) == 1) {
                image.fillRect(static_cast<std::int32_t>(layout.left + j * s),
                               static_cast<std::int32_t>(layout.top + i * s), size, size, foregroundColor_);
            }
        }
    }
    return ResultCode::Ok;
}

}  // namespace korvel
