#include "support/matrix_image.hpp"

namespace korvel::testing {

EncodedSymbol encodeSymbol(const EncodationSettings& settings)
{
    EncodedSymbol symbol;
    symbol.result = encodeData(settings, symbol.codewords, symbol.format);
    if (symbol.result == ResultCode::Ok) {
        symbol.matrix.buildMatrix(symbol.format, symbol.codewords);
    }
    return symbol;
}

std::unique_ptr<RasterImage> drawMatrix(ModuleMatrix matrix, int orientation, int moduleSize, int quietZone)
{
    matrix.setViewOrientation(orientation);
    const int width = (matrix.viewColumns() + 2 * quietZone) * moduleSize;
    const int height = (matrix.viewRows() + 2 * quietZone) * moduleSize;
    auto image = std::make_unique<RasterImage>(width, height, kWhite);
    if (!image->allocate()) {
        return nullptr;
    }
    for (int i = 0; i < matrix.viewRows(); ++i) {
        for (int j = 0; j < matrix.viewColumns(); ++j) {
            if (matrix.moduleAt(i, j) == 1) {
                image->fillRect((j + quietZone) * moduleSize, (i + quietZone) * moduleSize, moduleSize, moduleSize,
                                kBlack);
            }
        }
    }
    return image;
}

}  // namespace korvel::testing
