#include "korvel/data_matrix_barcode.hpp"

#include <new>

#include "raster/symbol_drawing.hpp"
#include "layout/symbol_layout.hpp"

namespace korvel {

DataMatrixBarcode::DataMatrixBarcode()
{
    symbolOptions_.mode = EncodingMode::Base256;
    // The defaults are always encodable; the result only shows in isEncoded().
    static_cast<void>(update());
}

ResultCode DataMatrixBarcode::update()
{
    if (updatesSuspended_) {
        return ResultCode::Ok;
    }
    encoded_ = false;
    const auto mode = encodingModeFromNumber(encodingMode_);
    if (!mode) {
        return ResultCode::InvalidEncodingMode;
    }
    symbolOptions_.mode = *mode;
    const ResultCode result = encode(symbolOptions_, symbol_).code;
    encoded_ = result == ResultCode::Ok;
    if (encoded_) {
        format_ = symbol_.format();
    } else if (result == ResultCode::DataDoesNotFitFormat) {
        format_ = findFormat(symbolOptions_.preferredFormat).value_or(format_);
    }
    return result;
}

ResultCode DataMatrixBarcode::suspendUpdates(bool suspended)
{
    updatesSuspended_ = suspended;
    return suspended ? ResultCode::Ok : update();
}

ResultCode DataMatrixBarcode::changedStructuredAppend()
{
    return symbolOptions_.structuredAppend.enabled ? update() : ResultCode::Ok;
}

ResultCode DataMatrixBarcode::setData(std::string_view data)
{
    if (data == symbolOptions_.data) {
        return ResultCode::Ok;
    }
    try {
        symbolOptions_.data.assign(data);
    } catch (const std::bad_alloc&) {
        return ResultCode::UnknownException;
    }
    return update();
}

ResultCode DataMatrixBarcode::setPreferredFormat(std::int32_t format)
{
    if (format == symbolOptions_.preferredFormat) {
        return ResultCode::Ok;
    }
    symbolOptions_.preferredFormat = format;
    return update();
}

ResultCode DataMatrixBarcode::setEncodingMode(std::int32_t mode)
{
    if (mode == encodingMode_) {
        return ResultCode::Ok;
    }
    encodingMode_ = mode;
    return update();
}

ResultCode DataMatrixBarcode::setEncodingMode(EncodingMode mode)
{
    return setEncodingMode(static_cast<std::int32_t>(mode));
}

ResultCode DataMatrixBarcode::setStructuredAppend(bool on)
{
    if (on == symbolOptions_.structuredAppend.enabled) {
        return ResultCode::Ok;
    }
    symbolOptions_.structuredAppend.enabled = on;
    return update();
}

ResultCode DataMatrixBarcode::setStructuredAppendPosition(std::int32_t position)
{
    if (position == symbolOptions_.structuredAppend.position) {
        return ResultCode::Ok;
    }
    if (position < 1 || position > 16) {
        return ResultCode::InvalidArgument;
    }
    symbolOptions_.structuredAppend.position = position;
    return changedStructuredAppend();
}

ResultCode DataMatrixBarcode::setStructuredAppendTotal(std::int32_t total)
{
    if (total == symbolOptions_.structuredAppend.total) {
        return ResultCode::Ok;
    }
    if (total < 2 || total > 16) {
        return ResultCode::InvalidArgument;
    }
    symbolOptions_.structuredAppend.total = total;
    return changedStructuredAppend();
}

ResultCode DataMatrixBarcode::setStructuredAppendId(std::int32_t id)
{
    if (id == symbolOptions_.structuredAppend.id) {
        return ResultCode::Ok;
    }
    if (id < 1 || id > kMaxStructuredAppendId) {
        return ResultCode::InvalidArgument;
    }
    symbolOptions_.structuredAppend.id = id;
    return changedStructuredAppend();
}

ResultCode DataMatrixBarcode::setOrientation(std::int32_t degrees)
{
    const auto orientation = orientationFromDegrees(degrees);
    return orientation ? setOrientation(*orientation) : ResultCode::InvalidArgument;
}

ResultCode DataMatrixBarcode::setOrientation(Orientation orientation)
{
    if (!orientationFromDegrees(static_cast<std::int32_t>(orientation))) {
        return ResultCode::InvalidArgument;
    }
    renderOptions_.orientation = orientation;
    return ResultCode::Ok;
}

ResultCode DataMatrixBarcode::setBackgroundColor(Color color)
{
    renderOptions_.background = color;
    return ResultCode::Ok;
}

ResultCode DataMatrixBarcode::setForegroundColor(Color color)
{
    renderOptions_.foreground = color;
    return ResultCode::Ok;
}

ResultCode DataMatrixBarcode::setQuietZone(bool shown)
{
    renderOptions_.quietZone = shown;
    return ResultCode::Ok;
}

ResultCode DataMatrixBarcode::setHorizontalAlignment(std::int32_t alignment)
{
    const auto value = alignmentFromNumber(alignment);
    return value ? setHorizontalAlignment(*value) : ResultCode::InvalidArgument;
}

ResultCode DataMatrixBarcode::setHorizontalAlignment(Alignment alignment)
{
    if (!alignmentFromNumber(static_cast<std::int32_t>(alignment))) {
        return ResultCode::InvalidArgument;
    }
    renderOptions_.horizontal = alignment;
    return ResultCode::Ok;
}

ResultCode DataMatrixBarcode::setVerticalAlignment(std::int32_t alignment)
{
    const auto value = alignmentFromNumber(alignment);
    return value ? setVerticalAlignment(*value) : ResultCode::InvalidArgument;
}

ResultCode DataMatrixBarcode::setVerticalAlignment(Alignment alignment)
{
    if (!alignmentFromNumber(static_cast<std::int32_t>(alignment))) {
        return ResultCode::InvalidArgument;
    }
    renderOptions_.vertical = alignment;
    return ResultCode::Ok;
}

ResultCode DataMatrixBarcode::setQuietZoneSize(std::int32_t modules)
{
    if (modules == renderOptions_.quietZoneSize) {
        return ResultCode::Ok;
    }
    if (modules < 0) {
        return ResultCode::InvalidArgument;
    }
    renderOptions_.quietZoneSize = modules;
    return ResultCode::Ok;
}

ResultCode DataMatrixBarcode::getImageSize(double xDimension, ImageSize& size) const
{
    const auto extent = symbolExtent(format_, renderOptions_);
    if (!extent) {
        return ResultCode::InvalidArgument;
    }
    return imageSizeForModules(*extent, xDimension, true, size);
}

ResultCode DataMatrixBarcode::draw(RasterImage& image, const TargetRect& target) const
{
    return drawSymbol(format_, encoded_ ? &symbol_.matrix() : nullptr, renderOptions_, image, target);
}

}  // namespace korvel
