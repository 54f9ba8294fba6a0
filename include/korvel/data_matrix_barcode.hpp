#pragma once
// One Data Matrix (ECC 200) symbol: its properties and, kept current after
// every change, its codewords, symbol format and module matrix.
//
// Every setter of a property that affects the codewords re-encodes at once
// and returns the result of that encoding, unless updates are suspended; then
// the change is stored and the encoding runs when updates resume.

#include <cstdint>
#include <string>
#include <string_view>

#include "korvel/codeword_string.hpp"
#include "korvel/encoding_mode.hpp"
#include "korvel/module_matrix.hpp"
#include "korvel/raster_image.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol_format.hpp"

namespace korvel {

// An image size in pixels.
struct ImageSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

class DataMatrixBarcode {
public:
    static constexpr std::int32_t kMaxStructuredAppendId = 64516;  // 254 x 254

    // Holds the defaults ("1234567", Base 256, automatic format) already encoded.
    DataMatrixBarcode();
    DataMatrixBarcode(const DataMatrixBarcode&) = delete;
    DataMatrixBarcode& operator=(const DataMatrixBarcode&) = delete;

    // Re-encodes the data and rebuilds the matrix; 0 while updates are suspended.
    // Failures: 5 data the scheme cannot encode, 6 mode outside 0..6, 7 no format
    // with that number, 8 too long for any format, 10 too long for the preferred one.
    [[nodiscard]] ResultCode update();

    // true: later changes are only stored. false: runs update and returns its result.
    [[nodiscard]] ResultCode suspendUpdates(bool suspended);

    // The data text; tilde escape sequences are resolved when it is encoded.
    [[nodiscard]] ResultCode setData(std::string_view data);
    // 0 = the smallest format that holds the data, 1..30 = that format.
    [[nodiscard]] ResultCode setPreferredFormat(std::int32_t format);
    [[nodiscard]] ResultCode setEncodingMode(std::int32_t mode);
    [[nodiscard]] ResultCode setStructuredAppend(bool on);
    [[nodiscard]] ResultCode setStructuredAppendPosition(std::int32_t position);  // 1..16, else 1
    [[nodiscard]] ResultCode setStructuredAppendTotal(std::int32_t total);        // 2..16, else 1
    [[nodiscard]] ResultCode setStructuredAppendId(std::int32_t id);              // 1..64516, else 1
    // Drawing settings; they never re-encode.
    [[nodiscard]] ResultCode setOrientation(std::int32_t degrees);  // 0, 90, 180 or 270
    [[nodiscard]] ResultCode setBackgroundColor(Color color);
    [[nodiscard]] ResultCode setForegroundColor(Color color);
    [[nodiscard]] ResultCode setQuietZone(bool shown);
    [[nodiscard]] ResultCode setHorizontalAlignment(std::int32_t alignment);  // 0 left, 1 centre, 2 right
    [[nodiscard]] ResultCode setVerticalAlignment(std::int32_t alignment);    // 0 top, 1 centre, 2 bottom
    [[nodiscard]] ResultCode setQuietZoneSize(std::int32_t modules);          // 0 or more, else 1

    [[nodiscard]] const std::string& data() const noexcept { return data_; }
    [[nodiscard]] std::int32_t preferredFormat() const noexcept { return preferredFormat_; }
    [[nodiscard]] std::int32_t encodingMode() const noexcept { return encodingMode_; }
    [[nodiscard]] std::int32_t orientation() const noexcept { return orientation_; }
    [[nodiscard]] Color backgroundColor() const noexcept { return backgroundColor_; }
    [[nodiscard]] Color foregroundColor() const noexcept { return foregroundColor_; }
    [[nodiscard]] bool quietZone() const noexcept { return quietZone_; }
    [[nodiscard]] std::int32_t horizontalAlignment() const noexcept { return horizontalAlignment_; }
    [[nodiscard]] std::int32_t verticalAlignment() const noexcept { return verticalAlignment_; }
    [[nodiscard]] bool structuredAppend() const noexcept { return structuredAppend_; }
    [[nodiscard]] std::int32_t structuredAppendPosition() const noexcept { return structuredAppendPosition_; }
    [[nodiscard]] std::int32_t structuredAppendTotal() const noexcept { return structuredAppendTotal_; }
    [[nodiscard]] std::int32_t structuredAppendId() const noexcept { return structuredAppendId_; }
    [[nodiscard]] std::int32_t quietZoneSize() const noexcept { return quietZoneSize_; }
    [[nodiscard]] bool updatesSuspended() const noexcept { return updatesSuspended_; }

    // True when the last update that ran succeeded; only then do codewords(),
    // format() and matrix() belong to the current properties.
    [[nodiscard]] bool isEncoded() const noexcept { return encoded_; }
    // Data codewords followed by error codewords.
    [[nodiscard]] const CodewordString& codewords() const noexcept { return codewords_; }
    [[nodiscard]] const SymbolFormat& format() const noexcept { return format_; }
    [[nodiscard]] const ModuleMatrix& matrix() const noexcept { return matrix_; }

    // The image size in pixels for a module size (X-dimension) in pixels,
    // rounded half up: symbol plus quiet zones, in the drawing orientation.
    // 1 when that size is 0 or the extent in modules exceeds 65535.
    [[nodiscard]] ResultCode getImageSize(double xDimension, ImageSize& size) const;

    // Paints background and dark modules into `target` of `image` with the
    // largest whole module size that fits. 4 when the symbol does not fit,
    // 5 when there is no valid encoding; nothing is painted then.
    [[nodiscard]] ResultCode draw(RasterImage& image, const TargetRect& target);

private:
    [[nodiscard]] ResultCode changedStructuredAppend();

    std::int32_t preferredFormat_ = 0;
    std::int32_t encodingMode_ = Base256;
    std::int32_t orientation_ = 0;
    std::string data_ = "1234567";
    Color backgroundColor_ = kWhite;
    Color foregroundColor_ = kBlack;
    bool quietZone_ = true;
    std::int32_t horizontalAlignment_ = 1;
    std::int32_t verticalAlignment_ = 1;
    bool structuredAppend_ = false;
    std::int32_t structuredAppendPosition_ = 1;
    std::int32_t structuredAppendTotal_ = 2;
    std::int32_t structuredAppendId_ = 1;
    std::int32_t quietZoneSize_ = 1;
    bool encoded_ = false;
    CodewordString codewords_;
    ModuleMatrix matrix_;
    SymbolFormat format_;
    bool updatesSuspended_ = false;
};

}  // namespace korvel
