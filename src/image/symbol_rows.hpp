#pragma once
// A barcode's symbol as the rows of an image, without a raster: the image
// that draw paints into a white raster of that size, as groups of equal rows
// made of colour runs.

#include <optional>

#include "image/row_structure.hpp"
#include "korvel/data_matrix_barcode.hpp"

namespace korvel {

// The symbol fills the whole image (the target rectangle is the image).
// Results as draw's: 4 when it does not fit, 5 without a valid symbol; and
// 3 when memory runs out. `rows` is set only on success.
[[nodiscard]] ResultCode describeSymbol(const DataMatrixBarcode& barcode, ImageSize size,
                                        std::optional<RowStructure>& rows) noexcept;

}  // namespace korvel
