#include "support/symbol_readers.hpp"

#include <algorithm>
#include <cstddef>

#include <dmtx.h>

#include <ZXing/ReadBarcode.h>

namespace korvel::testing {

RenderedSymbol::RenderedSymbol(DataMatrixBarcode& barcode, int moduleSize)
{
    ImageSize size;
    if (barcode.getImageSize(moduleSize, size) != ResultCode::Ok) {
        return;
    }
    image = std::make_unique<RasterImage>(size.width, size.height, kWhite);
    if (!image->allocate()) {
        return;
    }
    ok = barcode.draw(*image, {0, size.width, 0, size.height}) == ResultCode::Ok;
}

ZxingReading readWithZxing(const RasterImage& image)
{
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::DataMatrix);
    hints.setTryHarder(true);
    const ZXing::ImageView view(image.row(0), image.width(), image.height(), ZXing::ImageFormat::RGB,
                                static_cast<int>(image.rowBytes()));
    const ZXing::Result result = ZXing::ReadBarcode(view, hints);
    ZxingReading reading;
    if (!result.isValid()) {
        return reading;
    }
    reading.found = true;
    reading.bytes.assign(result.bytes().begin(), result.bytes().end());
    const ZXing::ByteArray eci = result.bytesECI();
    reading.bytesEci.assign(eci.begin(), eci.end());
    reading.symbologyId = result.symbologyIdentifier();
    reading.readerInit = result.readerInit();
    reading.sequenceIndex = result.sequenceIndex();
    reading.sequenceSize = result.sequenceSize();
    reading.sequenceId = result.sequenceId();
    return reading;
}

DmtxReading readWithDmtx(const RasterImage& image, int symbolSize)
{
    DmtxReading reading;
    std::vector<unsigned char> pixels(image.rowBytes() * static_cast<std::size_t>(image.height()));
    for (std::int32_t y = 0; y < image.height(); ++y) {
        std::copy(image.row(y), image.row(y) + image.rowBytes(), pixels.begin() + static_cast<std::ptrdiff_t>(y * image.rowBytes()));
    }
    DmtxImage* img = dmtxImageCreate(pixels.data(), image.width(), image.height(), DmtxPack24bppRGB);
    if (img == nullptr) {
        return reading;
    }
    dmtxImageSetProp(img, DmtxPropImageFlip, DmtxFlipNone);
    DmtxDecode* dec = dmtxDecodeCreate(img, 1);
    if (dec != nullptr) {
        // FNC1 shows as GS in the output, as zxing-cpp shows it inside the data.
        dmtxDecodeSetProp(dec, DmtxPropFnc1, 0x1D);
        dmtxDecodeSetProp(dec, DmtxPropSymbolSize, symbolSize);
        DmtxTime timeout = dmtxTimeAdd(dmtxTimeNow(), 5000);
        DmtxRegion* reg = dmtxRegionFindNext(dec, &timeout);
        if (reg != nullptr) {
            DmtxMessage* msg = dmtxDecodeMatrixRegion(dec, reg, DmtxUndefined);
            if (msg != nullptr) {
                reading.found = true;
                reading.output.assign(reinterpret_cast<const char*>(msg->output),
                                      static_cast<std::size_t>(msg->outputIdx));
                reading.codewords.assign(msg->code, msg->code + msg->codeSize);
                dmtxMessageDestroy(&msg);
            }
            dmtxRegionDestroy(&reg);
        }
        dmtxDecodeDestroy(&dec);
    }
    dmtxImageDestroy(&img);
    return reading;
}

std::unique_ptr<RasterImage> withMargin(const RasterImage& image, int margin)
{
    auto framed = std::make_unique<RasterImage>(image.width() + 2 * margin, image.height() + 2 * margin, kWhite);
    if (!framed->allocate()) {
        return nullptr;
    }
    for (std::int32_t y = 0; y < image.height(); ++y) {
        std::copy(image.row(y), image.row(y) + image.rowBytes(),
                  framed->row(y + margin) + static_cast<std::ptrdiff_t>(margin) * 3);
    }
    return framed;
}

}  // namespace korvel::testing
