#pragma once
// The band of human-readable text under a symbol (RenderOptions::hriText):
// the box its one line is set in, and the line itself. The layout places
// the band (kTextBandModules modules high, as wide as the image).

#include <cstdint>
#include <string>

#include "layout/symbol_layout.hpp"
#include "text/line_fit.hpp"
#include "text/line_raster.hpp"
#include "korvel/render_options.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol.hpp"

namespace korvel {

// The capitals' height and the height of their middle below the band's top, in modules.
inline constexpr double kTextCapModules = 2.0;
inline constexpr double kTextCapCentreModules = 1.5;

// The box of the line in the layout's band, from the band's top: a module of
// margin on each side of images wider than four modules.
[[nodiscard]] LineBox textLineBox(const SymbolLayout& layout) noexcept;

// The text of the line: Symbol::hriText, or 1 with a detail when the data
// has none.
[[nodiscard]] Outcome textBandLine(const Symbol& symbol, std::string& text);

// The line rasterised across the layout's band in the shared text font: a
// coverage as wide as the image and as high as the band. Failures:
// textBandLine's, the font's (1 none installed) and rasteriseLine's.
[[nodiscard]] Outcome rasteriseTextBand(const Symbol& symbol, const SymbolLayout& layout, Coverage& band);

}  // namespace korvel
