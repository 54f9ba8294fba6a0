#include "png/symbol_rows.hpp"

#include <new>
#include <vector>

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

std::uint32_t bandPixel(const RenderOptions& options, std::uint8_t coverage, bool twoColours)
{
    if (twoColours) {
        return packedPixel(coverage >= 128 ? options.foreground : options.background);
    }
    return packedPixel(inkOnPaper(options.background, options.foreground, coverage));
}

// The rows of the text band that lie inside the image.
void appendBandRows(RowStructure& rows, const RenderOptions& options, ImageSize size, const BandRows& band)
{
    const Coverage& line = *band.line;
    std::vector<ColorRun> runs;
    for (std::int32_t y = 0; y < line.height && rows.height() < static_cast<std::uint32_t>(size.height); ++y) {
        runs.clear();
        for (std::int32_t x = 0; x < line.width && x < size.width; ++x) {
            extendRow(runs, x + 1, bandPixel(options, line.at(x, y), band.twoColours));
        }
        extendRow(runs, size.width, packedPixel(options.background));
        rows.appendRows(runs, 1);
    }
}

RowStructure symbolRows(const ModuleMatrix& matrix, const RenderOptions& options, const SymbolLayout& layout,
                        const BandRows& band)
{
    const std::uint32_t background = packedPixel(options.background);
    const std::uint32_t foreground = packedPixel(options.foreground);
    const ModuleView view(matrix, options.orientation);
    const std::int64_t s = layout.moduleSize;
    const ImageSize size = layout.imageSize();

    RowStructure rows(static_cast<std::uint32_t>(size.width));
    const std::vector<ColorRun> blank{{static_cast<std::uint32_t>(size.width), background}};
    if (layout.top > 0) {
        rows.appendRows(blank, static_cast<std::uint32_t>(layout.top));
    }
    std::vector<ColorRun> runs;
    for (int i = 0; i < view.rows(); ++i) {
        runs.clear();
        extendRow(runs, layout.left, background);
        for (int j = 0; j < view.columns(); ++j) {
            extendRow(runs, layout.left + (j + 1) * s, view.dark(i, j) ? foreground : background);
        }
        extendRow(runs, size.width, background);
        rows.appendRows(runs, static_cast<std::uint32_t>(s));
    }
    if (band.line != nullptr) {
        if (const std::int64_t gap = layout.bandTop - rows.height(); gap > 0) {
            rows.appendRows(blank, static_cast<std::uint32_t>(gap));
        }
        appendBandRows(rows, options, size, band);
    }
    if (rows.height() < static_cast<std::uint32_t>(size.height)) {
        rows.appendRows(blank, static_cast<std::uint32_t>(size.height) - rows.height());
    }
    return rows;
}

}  // namespace

ResultCode describeSymbol(const Symbol& symbol, const RenderOptions& options, const SymbolLayout& layout,
                          std::optional<RowStructure>& rows, BandRows band) noexcept
{
    try {
        rows.emplace(symbolRows(symbol.matrix(), options, layout, band));
    } catch (const std::bad_alloc&) {
        return ResultCode::CantInitializePngCreator;
    }
    return ResultCode::Ok;
}

}  // namespace korvel
