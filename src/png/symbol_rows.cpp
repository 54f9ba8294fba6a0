#include "png/symbol_rows.hpp"

#include <algorithm>
#include <new>
#include <vector>

#include "layout/dark_spans.hpp"
#include "layout/module_view.hpp"
#include "layout/symbol_layout.hpp"

namespace korvel {
namespace {

// Appends pixels up to `end` in one colour, joined to a last run of the same
// colour. Nothing when the row already reaches `end`.
void extendRow(std::vector<ColorRun>& runs, std::int64_t end, std::uint32_t pixel)
{
    const std::int64_t done = runs.empty() ? 0 : runs.back().end;
    if (end <= done) {
        return;
    }
    if (!runs.empty() && runs.back().pixel == pixel) {
        runs.back().end = static_cast<std::uint32_t>(end);
    } else {
        runs.push_back({static_cast<std::uint32_t>(end), pixel});
    }
}

// Every row from the dark spans, as many rows at once as are alike.
RowStructure symbolRows(const ModuleMatrix& matrix, const RenderOptions& options, const SymbolLayout& layout)
{
    const std::uint32_t background = packedPixel(options.background);
    const std::uint32_t foreground = packedPixel(options.foreground);
    const ModuleView view(matrix, options.orientation);
    const DarkSpans dark(layout, view);

    RowStructure rows(static_cast<std::uint32_t>(layout.width));
    std::vector<PixelSpan> spans;
    std::vector<ColorRun> runs;
    for (std::int64_t y = 0; y < layout.height;) {
        dark.row(y, spans);
        runs.clear();
        for (const PixelSpan& span : spans) {
            extendRow(runs, std::clamp<std::int64_t>(span.begin, 0, layout.width), background);
            extendRow(runs, std::clamp<std::int64_t>(span.end, 0, layout.width), foreground);
        }
        extendRow(runs, layout.width, background);
        const std::int64_t count = std::min(dark.rowsAlike(y), layout.height - y);
        rows.appendRows(runs, static_cast<std::uint32_t>(count));
        y += count;
    }
    return rows;
}

}  // namespace

ResultCode describeSymbol(const Symbol& symbol, const RenderOptions& options, const SymbolLayout& layout,
                          std::optional<RowStructure>& rows) noexcept
{
    try {
        rows.emplace(symbolRows(symbol.matrix(), options, layout));
    } catch (const std::bad_alloc&) {
        return ResultCode::CantInitializePngCreator;
    }
    return ResultCode::Ok;
}

}  // namespace korvel
