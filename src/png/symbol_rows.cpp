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

std::uint32_t bandPixel(const RenderOptions& options, std::uint8_t coverage, bool twoColours)
{
    if (twoColours) {
        return packedPixel(coverage >= 128 ? options.foreground : options.background);
    }
    return packedPixel(inkOnPaper(options.background, options.foreground, coverage));
}

// The rows of the text band that lie inside the image.
void appendBandRows(RowStructure& rows, const RenderOptions& options, const SymbolLayout& layout,
                    const BandRows& band)
{
    const Coverage& line = *band.line;
    std::vector<ColorRun> runs;
    for (std::int32_t y = 0; y < line.height && rows.height() < static_cast<std::uint64_t>(layout.height); ++y) {
        runs.clear();
        for (std::int32_t x = 0; x < line.width && x < layout.width; ++x) {
            extendRow(runs, x + 1, bandPixel(options, line.at(x, y), band.twoColours));
        }
        extendRow(runs, layout.width, packedPixel(options.background));
        rows.appendRows(runs, 1);
    }
}

// Every row from the dark spans, as many rows at once as are alike, down to
// the text band when there is one; then the band's line and the rows below.
RowStructure symbolRows(const ModuleMatrix& matrix, const RenderOptions& options, const SymbolLayout& layout,
                        const BandRows& band)
{
    const std::uint32_t background = packedPixel(options.background);
    const std::uint32_t foreground = packedPixel(options.foreground);
    const ModuleView view(matrix, options.orientation);
    const DarkSpans dark(layout, view);
    const std::int64_t marksEnd = band.line != nullptr ? std::clamp<std::int64_t>(layout.bandTop, 0, layout.height)
                                                       : layout.height;

    RowStructure rows(static_cast<std::uint32_t>(layout.width));
    std::vector<PixelSpan> spans;
    std::vector<ColorRun> runs;
    for (std::int64_t y = 0; y < marksEnd;) {
        dark.row(y, spans);
        runs.clear();
        for (const PixelSpan& span : spans) {
            extendRow(runs, std::clamp<std::int64_t>(span.begin, 0, layout.width), background);
            extendRow(runs, std::clamp<std::int64_t>(span.end, 0, layout.width), foreground);
        }
        extendRow(runs, layout.width, background);
        const std::int64_t count = std::min(dark.rowsAlike(y), marksEnd - y);
        rows.appendRows(runs, static_cast<std::uint32_t>(count));
        y += count;
    }
    if (band.line != nullptr) {
        appendBandRows(rows, options, layout, band);
        if (const std::int64_t rest = layout.height - static_cast<std::int64_t>(rows.height()); rest > 0) {
            const std::vector<ColorRun> blank{{static_cast<std::uint32_t>(layout.width), background}};
            rows.appendRows(blank, static_cast<std::uint32_t>(rest));
        }
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
