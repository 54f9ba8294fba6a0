#pragma once
// The band of human-readable text under a symbol (RenderOptions::hriText):
// where it lies in the image, the box its one line is set in, and the line
// itself. The band is kTextBandModules modules high and as wide as the image.

#include <cstdint>
#include <string>

#include "layout/symbol_geometry.hpp"
#include "text/line_fit.hpp"
#include "text/line_raster.hpp"
#include "korvel/render_options.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol.hpp"

namespace korvel {

// The capitals' height and the height of their middle below the band's top, in modules.
inline constexpr double kTextCapModules = 2.0;
inline constexpr double kTextCapCentreModules = 1.5;

// The band's rows, in the units of the placement (pixels, or modules when a
// module is one unit).
struct TextBandRows {
    std::int64_t top = 0;
    std::int64_t height = 0;
};

// Under the symbol's quiet zone, for a symbol placed with an extent that
// includes the band.
[[nodiscard]] TextBandRows textBandRows(const ModuleExtent& extent, const ModulePlacement& placement,
                                        const RenderOptions& options) noexcept;

// The box of the line in an image `imageWidth` units wide at `moduleSize`
// units per module: a module of margin on each side of images wider than
// four modules.
[[nodiscard]] LineBox textLineBox(double imageWidth, double moduleSize) noexcept;

// The text of the line: Symbol::hriText, or 1 with a detail when the data
// has none.
[[nodiscard]] Outcome textBandLine(const Symbol& symbol, std::string& text);

// The band of a PNG image: its rows and the line rasterised across the
// image's width in the shared text font. Failures: textBandLine's, the
// font's (1 none installed) and rasteriseLine's.
struct TextBandImage {
    TextBandRows rows;
    Coverage coverage;
};
[[nodiscard]] Outcome rasteriseTextBand(const Symbol& symbol, const RenderOptions& options, ImageSize size,
                                        TextBandImage& band);

}  // namespace korvel
