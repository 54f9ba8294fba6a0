#pragma once
// Where a barcode's symbol goes in a target rectangle: the largest whole
// module size that fits, and the pixel of the first module after the
// alignment and the quiet zone. Drawing into a raster and describing the
// image row by row share it.

#include <cstdint>

#include "korvel/data_matrix_barcode.hpp"

namespace korvel {

struct SymbolLayout {
    std::int64_t modulePixels = 0;
    std::int64_t left = 0;  // the first module's top-left pixel
    std::int64_t top = 0;
};

// 4 when the symbol with its quiet zone does not fit at one pixel per
// module, 5 when the barcode holds no valid symbol.
[[nodiscard]] ResultCode layoutSymbol(const DataMatrixBarcode& barcode, const TargetRect& target,
                                      SymbolLayout& layout);

}  // namespace korvel
