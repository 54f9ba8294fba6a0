#pragma once
// A symbol as the rows of an image, without a raster: the image that
// renderSymbol paints (the background everywhere, dark modules in the
// foreground colour), as groups of equal rows made of colour runs.

#include <optional>

#include "layout/symbol_layout.hpp"
#include "png/row_structure.hpp"
#include "text/line_raster.hpp"
#include "korvel/render_options.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol.hpp"

namespace korvel {

// How the rows of the text band are painted: the line's coverage blended
// from the background to the foreground, or in two colours only (half
// covered and more is foreground) for a two-colour image.
struct BandRows {
    const Coverage* line = nullptr;
    bool twoColours = false;
};

// The symbol drawn as the layout places it, in the options' colours, with
// the line in the layout's band when one is given. 3 when memory runs out;
// `rows` is set only on success.
[[nodiscard]] ResultCode describeSymbol(const Symbol& symbol, const RenderOptions& options,
                                        const SymbolLayout& layout, std::optional<RowStructure>& rows,
                                        BandRows band = {}) noexcept;

}  // namespace korvel
