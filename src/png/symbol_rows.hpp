#pragma once
// A symbol as the rows of an image, without a raster: the image that
// renderSymbol paints (the background everywhere, dark modules in the
// foreground colour), as groups of equal rows made of colour runs.

#include <optional>

#include "layout/text_band.hpp"
#include "png/row_structure.hpp"
#include "korvel/render_options.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol.hpp"

namespace korvel {

// How the rows of a text band are painted: the coverage blended from the
// background to the foreground, or in two colours only (half covered and
// more is foreground) for a two-colour image.
struct BandRows {
    const TextBandImage* band = nullptr;
    bool twoColours = false;
};

// The symbol drawn into an image of `size`, with the text band when one is
// given. Results as renderSymbol's: 1 for render options outside their sets,
// 4 when the symbol does not fit, 5 for an empty symbol; and 3 when memory
// runs out. `rows` is set only on success.
[[nodiscard]] ResultCode describeSymbol(const Symbol& symbol, const RenderOptions& options, ImageSize size,
                                        std::optional<RowStructure>& rows, BandRows text = {}) noexcept;

}  // namespace korvel
