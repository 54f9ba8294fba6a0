#pragma once
// A symbol made through the public interface, drawn by the library's own
// renderer for the readers.

#include <memory>

#include "korvel/raster_image.hpp"
#include "korvel/render_options.hpp"
#include "korvel/symbol.hpp"

namespace korvel::testing {

// Black on white at `moduleSize` pixels per module with a two-module quiet
// zone, turned by `orientation`; nullptr when it cannot be drawn.
[[nodiscard]] std::unique_ptr<RasterImage> drawSymbol(const Symbol& symbol,
                                                      Orientation orientation = Orientation::Degrees0,
                                                      int moduleSize = 4);

}  // namespace korvel::testing
