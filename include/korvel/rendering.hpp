#pragma once
// Compatibility interface: kept working for programs written against it; new
// code uses encode() and the writers (korvel.hpp lists the typed path).
//
// Drawing a symbol into pixels: the image size a symbol gets, and the
// raster with its modules painted.

#include <cstdint>

#include "korvel/raster_image.hpp"
#include "korvel/render_options.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol.hpp"

namespace korvel {

// The image size in pixels: options.imageSize when given, otherwise the
// symbol and its quiet zones at options.moduleSize pixels per module (rounded
// half up), in the drawing orientation. Fails with 1 for render options
// outside their sets (a module size below half a pixel, a negative quiet
// zone, an enumerator not listed) and for an image wider or higher than
// 65535 pixels.
[[nodiscard]] Outcome imageSize(const Symbol& symbol, const RenderOptions& options, ImageSize& size);

// Paints the whole image: background, then every dark module with the
// largest whole module size that fits, placed by the alignments. The image
// must be allocated and of the size imageSize gives. Failures: 1 as for
// imageSize, 4 when the symbol does not fit, 5 for an empty symbol.
[[nodiscard]] Outcome renderSymbol(const Symbol& symbol, const RenderOptions& options, RasterImage& image);

}  // namespace korvel
