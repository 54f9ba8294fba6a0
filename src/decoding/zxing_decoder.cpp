#include "korvel/zxing_decoder.hpp"

#include <ZXing/ReadBarcode.h>
#include <ZXing/ZXVersion.h>

namespace korvel {
namespace {

bool isDecimal(std::uint8_t c) { return c >= '0' && c <= '9'; }

// The ECI designations of zxing-cpp's ECI-protocol form of the content:
// "]dN", then the data with a backslash and six digits for each ECI and
// every other backslash doubled. Offsets count the data bytes before each.
std::vector<EciDesignation> eciDesignations(const ZXing::ByteArray& eciForm)
{
    std::vector<EciDesignation> designations;
    std::size_t offset = 0;
    for (std::size_t i = 3; i < eciForm.size(); ++i, ++offset) {
        if (eciForm[i] != '\\' || i + 1 >= eciForm.size()) {
            continue;
        }
        if (eciForm[i + 1] == '\\') {
            ++i;
            continue;
        }
        std::uint32_t number = 0;
        std::size_t digits = 0;
        while (digits < 6 && i + 1 + digits < eciForm.size() && isDecimal(eciForm[i + 1 + digits])) {
            number = number * 10 + static_cast<std::uint32_t>(eciForm[i + 1 + digits] - '0');
            ++digits;
        }
        if (digits == 6) {
            designations.push_back({number, offset});
            i += 6;
            --offset;  // the designator is no data byte
        }
    }
    return designations;
}

}  // namespace

Outcome ZxingDecoder::decode(const GrayRaster& raster, std::optional<SymbolReading>& reading)
{
    reading.reset();
    if (raster.width <= 0 || raster.height <= 0 ||
        raster.pixels.size() != static_cast<std::size_t>(raster.width) * static_cast<std::size_t>(raster.height)) {
        return {ResultCode::InvalidArgument, "the raster's pixels do not match its size"};
    }
    // A plain rendering (upright, black on white, nothing else in it) is
    // read fastest as a "pure" symbol, binarized by taking black as black,
    // with no rotated or scaled-down tries; the full search follows when
    // that finds nothing.
    const ZXing::ImageView view(raster.pixels.data(), raster.width, raster.height, ZXing::ImageFormat::Lum);
    ZXing::Result result = ZXing::ReadBarcode(view, ZXing::DecodeHints()
                                                        .setFormats(ZXing::BarcodeFormat::DataMatrix)
                                                        .setIsPure(true)
                                                        .setBinarizer(ZXing::Binarizer::BoolCast)
                                                        .setTryHarder(false)
                                                        .setTryRotate(false)
                                                        .setTryDownscale(false));
    if (!result.isValid()) {
        result = ZXing::ReadBarcode(view, ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::DataMatrix).setTryHarder(true));
    }
    if (!result.isValid()) {
        return ResultCode::Ok;
    }
    SymbolReading read;
    read.bytes.assign(result.bytes().begin(), result.bytes().end());
    read.symbologyId = result.symbologyIdentifier();
    read.ecis = result.hasECI() ? eciDesignations(result.bytesECI()) : std::vector<EciDesignation>{};
    read.readerProgramming = result.readerInit();
    if (result.sequenceIndex() >= 0 && result.sequenceSize() > 0) {
        read.sequencePosition = result.sequenceIndex() + 1;
        read.sequenceTotal = result.sequenceSize();
    }
    reading = std::move(read);
    return ResultCode::Ok;
}

std::string ZxingDecoder::name() const
{
    return "zxing-cpp " + std::to_string(ZXING_VERSION_MAJOR) + "." + std::to_string(ZXING_VERSION_MINOR) + "." +
           std::to_string(ZXING_VERSION_PATCH);
}

}  // namespace korvel
