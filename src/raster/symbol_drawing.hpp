#pragma once
// Painting a symbol's modules into a raster image.

#include "korvel/module_matrix.hpp"
#include "korvel/raster_image.hpp"
#include "korvel/render_options.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol_format.hpp"

namespace korvel {

// Paints the target rectangle in the background colour (unless the image was
// made in that colour) and one square per dark module, with the largest whole
// module size that fits, placed by the alignments and the quiet zone.
// `matrix` is null when there is no valid encoding. Results: 1 for render
// options outside their sets, 4 when the symbol does not fit the target, 5
// without a matrix; nothing is painted then.
[[nodiscard]] ResultCode drawSymbol(const SymbolFormat& format, const ModuleMatrix* matrix,
                                    const RenderOptions& options, RasterImage& image, const TargetRect& target);

}  // namespace korvel
