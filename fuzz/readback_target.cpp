// Fuzz target that reads each symbol back: the first bytes choose mode,
// preferred format and orientation, the rest is the data text. Every symbol
// the barcode accepts is drawn and read with zxing-cpp, an independent
// reader; data whose escapes resolve to plain bytes (no FNC1, ECI, reader
// programming or macro codeword) must read back as exactly those bytes.
//
// Input layout (missing bytes read as 0):
//   0   encodation mode: value % 7
//   1   preferred format: value % 31, so 0..30
//   2   orientation: 90 * (value % 4)
//   3.. the data text

#include <ZXing/ReadBarcode.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "encodation/data_preparation.hpp"
#include "fuzz_targets.hpp"
#include "korvel/data_matrix_barcode.hpp"

namespace korvel::fuzz {
namespace {

constexpr std::size_t kReadbackHeader = 3;
constexpr int kModuleSize = 4;  // zxing-cpp misses some small symbols at 2 pixels a module

// The data characters of the text with its escapes resolved, or nothing when
// a ready codeword is among them.
bool plainBytes(std::string_view text, std::string& bytes)
{
    for (const DataItem& item : prepareData(text)) {
        if (item.isCodeword) {
            return false;
        }
        bytes.push_back(static_cast<char>(item.value));
    }
    return true;
}

}  // namespace

const char* fuzzReadback(const std::uint8_t* data, std::size_t size)
{
    std::uint8_t header[kReadbackHeader] = {};
    for (std::size_t i = 0; i < kReadbackHeader && i < size; ++i) {
        header[i] = data[i];
    }
    const std::string_view text =
        size > kReadbackHeader
            ? std::string_view(reinterpret_cast<const char*>(data + kReadbackHeader), size - kReadbackHeader)
            : std::string_view();

    DataMatrixBarcode barcode;
    static_cast<void>(barcode.suspendUpdates(true));
    static_cast<void>(barcode.setData(text));
    static_cast<void>(barcode.setEncodingMode(header[0] % 7));
    static_cast<void>(barcode.setPreferredFormat(header[1] % 31));
    static_cast<void>(barcode.setOrientation(90 * (header[2] % 4)));
    static_cast<void>(barcode.setQuietZoneSize(2));
    const ResultCode result = barcode.suspendUpdates(false);
    if (result != ResultCode::Ok) {
        return nullptr;
    }
    std::string expected;
    if (!plainBytes(text, expected)) {
        return nullptr;
    }

    ImageSize imageSize{};
    if (barcode.getImageSize(kModuleSize, imageSize) != ResultCode::Ok) {
        return "getImageSize refused a symbol with a quiet zone of two modules";
    }
    RasterImage image(imageSize.width, imageSize.height, kWhite);
    if (!image.allocate() || barcode.draw(image, {0, imageSize.width, 0, imageSize.height}) != ResultCode::Ok) {
        return "an encoded symbol could not be drawn";
    }
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::DataMatrix);
    hints.setTryHarder(true);
    const ZXing::ImageView view(image.row(0), image.width(), image.height(), ZXing::ImageFormat::RGB,
                                static_cast<int>(image.rowBytes()));
    const ZXing::Result reading = ZXing::ReadBarcode(view, hints);
    if (!reading.isValid()) {
        return "zxing-cpp cannot read the symbol";
    }
    if (std::string(reading.bytes().begin(), reading.bytes().end()) != expected) {
        return "zxing-cpp reads other data than went in";
    }
    return nullptr;
}

}  // namespace korvel::fuzz
