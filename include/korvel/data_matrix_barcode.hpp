#pragma once
// Compatibility interface: kept working for programs written against it; new
// code uses encode() and the writers (korvel.hpp lists the typed path).
//
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
#include "korvel/color.hpp"
#include "korvel/encoding_mode.hpp"
#include "korvel/module_matrix.hpp"
#include "korvel/raster_image.hpp"
#include "korvel/render_options.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol.hpp"
#include "korvel/symbol_format.hpp"
#include "korvel/symbol_options.hpp"

namespace korvel {

// The object keeps the encoding of its properties current, for callers that
// change one property at a time; encode() and the writers take the same
// properties in one call (symbol_options.hpp, render_options.hpp).
class DataMatrixBarcode {
public:
    static constexpr std::int32_t kMaxStructuredAppendId = StructuredAppend::kMaxId;

    // Holds the defaults ("1234567", Base 256, automatic format) already encoded.
    DataMatrixBarcode();
    DataMatrixBarcode(const DataMatrixBarcode&) = delete;
    DataMatrixBarcode& operator=(const DataMatrixBarcode&) = delete;

    // Re-encodes the data and rebuilds the matrix; 0 while updates are suspended.
    // Failures: 1 structured append on with a position above the total, 5 data
    // the scheme cannot encode, 6 mode outside 0..6, 7 no format with that
    // number, 8 too long for any format, 10 too long for the preferred one.
    [[nodiscard]] ResultCode update();

    // true: later changes are only stored. false: runs update and returns its result.
    [[nodiscard]] ResultCode suspendUpdates(bool suspended);

    // The data text; tilde escape sequences are resolved when it is encoded.
    [[nodiscard]] ResultCode setData(std::string_view data);
    // 0 = the smallest format that holds the data, 1..30 = that format.
    [[nodiscard]] ResultCode setPreferredFormat(std::int32_t format);
    // Stored whatever the number; one outside 0..6 makes updates fail with 6.
    [[nodiscard]] ResultCode setEncodingMode(std::int32_t mode);
    [[nodiscard]] ResultCode setEncodingMode(EncodingMode mode);
    [[nodiscard]] ResultCode setStructuredAppend(bool on);
    [[nodiscard]] ResultCode setStructuredAppendPosition(std::int32_t position);  // 1..16, else 1
    [[nodiscard]] ResultCode setStructuredAppendTotal(std::int32_t total);        // 2..16, else 1
    [[nodiscard]] ResultCode setStructuredAppendId(std::int32_t id);              // 1..64516, else 1
    // Drawing settings; they never re-encode.
    [[nodiscard]] ResultCode setOrientation(std::int32_t degrees);  // 0, 90, 180 or 270, else 1
    [[nodiscard]] ResultCode setOrientation(Orientation orientation);
    ResultCode setBackgroundColor(Color color);
    ResultCode setForegroundColor(Color color);
    ResultCode setQuietZone(bool shown);
    [[nodiscard]] ResultCode setHorizontalAlignment(std::int32_t alignment);  // 0 left, 1 centre, 2 right, else 1
    [[nodiscard]] ResultCode setHorizontalAlignment(Alignment alignment);
    [[nodiscard]] ResultCode setVerticalAlignment(std::int32_t alignment);  // 0 top, 1 centre, 2 bottom, else 1
    [[nodiscard]] ResultCode setVerticalAlignment(Alignment alignment);
    [[nodiscard]] ResultCode setQuietZoneSize(std::int32_t modules);  // 0 or more, else 1

    [[nodiscard]] const std::string& data() const noexcept { return symbolOptions_.data; }
    [[nodiscard]] std::int32_t preferredFormat() const noexcept { return symbolOptions_.preferredFormat; }
    [[nodiscard]] std::int32_t encodingMode() const noexcept { return encodingMode_; }
    [[nodiscard]] std::int32_t orientation() const noexcept
    {
        return static_cast<std::int32_t>(renderOptions_.orientation);
    }
    [[nodiscard]] Color backgroundColor() const noexcept { return renderOptions_.background; }
    [[nodiscard]] Color foregroundColor() const noexcept { return renderOptions_.foreground; }
    [[nodiscard]] bool quietZone() const noexcept { return renderOptions_.quietZone; }
    [[nodiscard]] std::int32_t horizontalAlignment() const noexcept
    {
        return static_cast<std::int32_t>(renderOptions_.horizontal);
    }
    [[nodiscard]] std::int32_t verticalAlignment() const noexcept
    {
        return static_cast<std::int32_t>(renderOptions_.vertical);
    }
    [[nodiscard]] bool structuredAppend() const noexcept { return symbolOptions_.structuredAppend.enabled; }
    [[nodiscard]] std::int32_t structuredAppendPosition() const noexcept
    {
        return symbolOptions_.structuredAppend.position;
    }
    [[nodiscard]] std::int32_t structuredAppendTotal() const noexcept { return symbolOptions_.structuredAppend.total; }
    [[nodiscard]] std::int32_t structuredAppendId() const noexcept { return symbolOptions_.structuredAppend.id; }
    [[nodiscard]] std::int32_t quietZoneSize() const noexcept { return renderOptions_.quietZoneSize; }
    [[nodiscard]] bool updatesSuspended() const noexcept { return updatesSuspended_; }

    // The properties as one symbol description and one drawing description.
    [[nodiscard]] const SymbolOptions& symbolOptions() const noexcept { return symbolOptions_; }

    // True when the last update that ran succeeded; only then do codewords(),
    // format(), matrix() and symbol() belong to the current properties.
    [[nodiscard]] bool isEncoded() const noexcept { return encoded_; }
    [[nodiscard]] const Symbol& symbol() const noexcept { return symbol_; }
    // Data codewords followed by error codewords.
    [[nodiscard]] const CodewordString& codewords() const noexcept { return symbol_.codewords(); }
    // The format of the last update; after a failed one, the preferred format
    // that was too small, or else the format before it.
    [[nodiscard]] const SymbolFormat& format() const noexcept { return format_; }
    [[nodiscard]] const ModuleMatrix& matrix() const noexcept { return symbol_.matrix(); }

    // The image size in pixels for a module size (X-dimension) in pixels,
    // rounded half up: symbol plus quiet zones, in the drawing orientation.
    // The sides are 16-bit: larger products wrap around. 1 when a side is 0
    // or the extent in modules exceeds 65535.
    [[nodiscard]] ResultCode getImageSize(double xDimension, ImageSize& size) const;

    // Paints background and dark modules into `target` of `image` with the
    // largest whole module size that fits. 4 when the symbol does not fit,
    // 5 when there is no valid encoding; nothing is painted then. The object
    // itself is not changed.
    [[nodiscard]] ResultCode draw(RasterImage& image, const TargetRect& target) const;

private:
    [[nodiscard]] ResultCode changedStructuredAppend();

    SymbolOptions symbolOptions_;
    RenderOptions renderOptions_;
    std::int32_t encodingMode_ = static_cast<std::int32_t>(EncodingMode::Base256);
    bool encoded_ = false;
    Symbol symbol_;
    SymbolFormat format_;
    bool updatesSuspended_ = false;
};

}  // namespace korvel
