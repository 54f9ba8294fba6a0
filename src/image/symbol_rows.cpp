#include "image/symbol_rows.hpp"

#include <new>
#include <vector>

#include "image/symbol_layout.hpp"

namespace korvel {
namespace {

constexpr Color kRgbMask = 0xFFFFFF;

// Appends pixels up to `end` in a colour, joining them to a last run of the
// same colour. Nothing when the row already reaches `end`.
void extendRow(std::vector<ColorRun>& runs, std::int64_t end, Color color)
{
    const std::int64_t done = runs.empty() ? 0 : runs.back().end;
    if (end <= done) {
        return;
    }
    if (!runs.empty() && runs.back().color == color) {
        runs.back().end = static_cast<std::uint32_t>(end);
    } else {
        runs.push_back({static_cast<std::uint32_t>(end), color});
    }
}

RowStructure symbolRows(const DataMatrixBarcode& barcode, ImageSize size, const SymbolLayout& layout)
{
    // Outside the modules the image is the background: the raster's white,
    // or the background colour painted over all of it.
    const Color background = barcode.backgroundColor() & kRgbMask;
    const Color foreground = barcode.foregroundColor() & kRgbMask;
    ModuleMatrix view = barcode.matrix();
    view.setViewOrientation(barcode.orientation());
    const std::int64_t s = layout.modulePixels;

    RowStructure rows(static_cast<std::uint32_t>(size.width));
    const std::vector<ColorRun> blank{{static_cast<std::uint32_t>(size.width), background}};
    if (layout.top > 0) {
        rows.appendRows(blank, static_cast<std::uint32_t>(layout.top));
    }
    std::vector<ColorRun> runs;
    for (int i = 0; i < view.viewRows(); ++i) {
        runs.clear();
        extendRow(runs, layout.left, background);
        for (int j = 0; j < view.viewColumns(); ++j) {
            extendRow(runs, layout.left + (j + 1) * s, view.moduleAt(i, j) == 1 ? foreground : background);
        }
        extendRow(runs, size.width, background);
        rows.appendRows(runs, static_cast<std::uint32_t>(s));
    }
    if (rows.height() < static_cast<std::uint32_t>(size.height)) {
        rows.appendRows(blank, static_cast<std::uint32_t>(size.height) - rows.height());
    }
    return rows;
}

}  // namespace

ResultCode describeSymbol(const DataMatrixBarcode& barcode, ImageSize size, std::optional<RowStructure>& rows) noexcept
{
    SymbolLayout layout;
    if (const ResultCode result = layoutSymbol(barcode, {0, size.width, 0, size.height}, layout);
        result != ResultCode::Ok) {
        return result;
    }
    try {
        rows.emplace(symbolRows(barcode, size, layout));
    } catch (const std::bad_alloc&) {
        return ResultCode::CantInitializePngCreator;
    }
    return ResultCode::Ok;
}

}  // namespace korvel
