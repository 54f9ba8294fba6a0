#include "korvel/data_matrix_barcode.hpp"

#include <new>

#include "encodation/encodation_driver.hpp"

namespace korvel {

DataMatrixBarcode::DataMatrixBarcode()
{
    // The defaults are always encodable; the result only shows in isEncoded().
    static_cast<void>(update());
}

ResultCode DataMatrixBarcode::update()
{
    if (updatesSuspended_) {
        return ResultCode::Ok;
    }
    const EncodationSettings settings{data_,
                                      encodingMode_,
                                      preferredFormat_,
                                      structuredAppend_,
                                      structuredAppendPosition_,
                                      structuredAppendTotal_,
                                      structuredAppendId_};
    encoded_ = false;
    try {
        const ResultCode result = encodeData(settings, codewords_, format_);
        if (result != ResultCode::Ok) {
            return result;
        }
        matrix_.buildMatrix(format_, codewords_);
    } catch (const std::bad_alloc&) {
        // Storage for the data, codewords or matrix could not be had.
        return ResultCode::UnknownException;
    }
    encoded_ = true;
    return ResultCode::Ok;
}

ResultCode DataMatrixBarcode::suspendUpdates(bool suspended)
{
    updatesSuspended_ = suspended;
    return suspended ? ResultCode::Ok : update();
}

ResultCode DataMatrixBarcode::changedStructuredAppend()
{
    return structuredAppend_ ? update() : ResultCode::Ok;
}

ResultCode DataMatrixBarcode::setData(std::string_view data)
{
    if (data == data_) {
        return ResultCode::Ok;
    }
    try {
        data_.assign(data);
    } catch (const std::bad_alloc&) {
        return ResultCode::UnknownException;
    }
    return update();
}

ResultCode DataMatrixBarcode::setPreferredFormat(std::int32_t format)
{
    if (format == preferredFormat_) {
        return ResultCode::Ok;
    }
    preferredFormat_ = format;
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

ResultCode DataMatrixBarcode::setStructuredAppend(bool on)
{
    if (on == structuredAppend_) {
        return ResultCode::Ok;
    }
    structuredAppend_ = on;
    return update();
}

ResultCode DataMatrixBarcode::setStructuredAppendPosition(std::int32_t position)
{
    if (position == structuredAppendPosition_) {
        return ResultCode::Ok;
    }
    if (position < 1 || position > 16) {
        return ResultCode::InvalidArgument;
    }
    structuredAppendPosition_ = position;
    return changedStructuredAppend();
}

ResultCode DataMatrixBarcode::setStructuredAppendTotal(std::int32_t total)
{
    if (total == structuredAppendTotal_) {
        return ResultCode::Ok;
    }
    if (total < 2 || total > 16) {
        return ResultCode::InvalidArgument;
    }
    structuredAppendTotal_ = total;
    return changedStructuredAppend();
}

ResultCode DataMatrixBarcode::setStructuredAppendId(std::int32_t id)
{
    if (id == structuredAppendId_) {
        return ResultCode::Ok;
    }
    if (id < 1 || id > kMaxStructuredAppendId) {
        return ResultCode::InvalidArgument;
    }
    structuredAppendId_ = id;
    return changedStructuredAppend();
}

ResultCode DataMatrixBarcode::setOrientation(std::int32_t degrees)
{
    orientation_ = degrees;
    return ResultCode::Ok;
}

ResultCode DataMatrixBarcode::setBackgroundColor(Color color)
{
    backgroundColor_ = color;
    return ResultCode::Ok;
}

ResultCode DataMatrixBarcode::setForegroundColor(Color color)
{
    foregroundColor_ = color;
    return ResultCode::Ok;
}

ResultCode DataMatrixBarcode::setQuietZone(bool shown)
{
    quietZone_ = shown;
    return ResultCode::Ok;
}

ResultCode DataMatrixBarcode::setHorizontalAlignment(std::int32_t alignment)
{
    horizontalAlignment_ = alignment;
    return ResultCode::Ok;
}

ResultCode DataMatrixBarcode::setVerticalAlignment(std::int32_t alignment)
{
    verticalAlignment_ = alignment;
    return ResultCode::Ok;
}

ResultCode DataMatrixBarcode::setQuietZoneSize(std::int32_t modules)
{
    if (modules == quietZoneSize_) {
        return ResultCode::Ok;
    }
    if (modules < 0) {
        return ResultCode::InvalidArgument;
    }
    quietZoneSize_ = modules;
    return ResultCode::Ok;
}

}  // namespace korvel
