#pragma once
// A symbol as the rows of an image, without a raster: the image that
// renderSymbol paints (the background everywhere, dark modules in the
// foreground colour), as groups of equal rows made of colour runs.

#include <optional>

#include "layout/symbol_layout.hpp"
#include "png/row_structure.hpp"
#include "korvel/render_options.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol.hpp"

namespace korvel {

// The symbol drawn as the layout places it, in the options' colours. 3 when
// memory runs out; `rows` is set only on success.
[[nodiscard]] ResultCode describeSymbol(const Symbol& symbol, const RenderOptions& options,
                                        const SymbolLayout& layout, std::optional<RowStructure>& rows) noexcept;

}  // namespace korvel
