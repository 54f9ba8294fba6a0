#pragma once
// A module matrix drawn straight into an image, for symbols built without a
// barcode object.

#include <memory>

#include "encodation/encodation_driver.hpp"
#include "korvel/module_matrix.hpp"
#include "korvel/raster_image.hpp"

namespace korvel::testing {

// The whole encodation of one symbol and, when it succeeds, its matrix.
struct EncodedSymbol {
    ResultCode result = ResultCode::Ok;
    CodewordString codewords;
    SymbolFormat format;
    ModuleMatrix matrix;
};
[[nodiscard]] EncodedSymbol encodeSymbol(const EncodationSettings& settings);

// Black modules of `moduleSize` pixels on white, viewed in `orientation`
// degrees, with a quiet zone of `quietZone` modules on each side.
[[nodiscard]] std::unique_ptr<RasterImage> drawMatrix(ModuleMatrix matrix, int orientation, int moduleSize = 4,
                                                      int quietZone = 2);

}  // namespace korvel::testing
