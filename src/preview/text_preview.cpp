// The terminal preview: each character cell shows two modules, the upper
// in the top half and the lower in the bottom half of the cell.

#include "korvel/text_writer.hpp"

#include <new>
#include <string_view>

#include "layout/module_view.hpp"
#include "layout/symbol_layout.hpp"
#include "layout/text_band.hpp"

namespace korvel {
namespace {

constexpr std::string_view kFullBlock = "\u2588";
constexpr std::string_view kUpperHalf = "\u2580";
constexpr std::string_view kLowerHalf = "\u2584";
// Black on white: the basic colours first, then the exact ones of the
// 256-colour palette for terminals that know it (most do); reset before
// each line end, so that nothing bleeds into the rest of the terminal.
constexpr std::string_view kBlackOnWhite = "\x1b[30;107m\x1b[38;5;16;48;5;231m";
constexpr std::string_view kReset = "\x1b[0m";

// The module grid of the preview: the symbol in its orientation inside its
// quiet zone.
class PreviewGrid {
public:
    PreviewGrid(const Symbol& symbol, const RenderOptions& render)
        : view_(symbol.matrix(), render.orientation),
          quietZone_(render.quietZone ? render.quietZoneSize : 0)
    {
    }
    [[nodiscard]] int rows() const noexcept { return view_.rows() + 2 * quietZone_; }
    [[nodiscard]] int columns() const noexcept { return view_.columns() + 2 * quietZone_; }
    [[nodiscard]] bool dark(int row, int column) const noexcept
    {
        const int i = row - quietZone_;
        const int j = column - quietZone_;
        return i >= 0 && j >= 0 && i < view_.rows() && j < view_.columns() && view_.dark(i, j);
    }

private:
    ModuleView view_;
    int quietZone_;
};

std::string_view cell(bool upper, bool lower)
{
    if (upper) {
        return lower ? kFullBlock : kUpperHalf;
    }
    return lower ? kLowerHalf : std::string_view(" ");
}

void appendLine(std::string& out, std::string_view line, const TextOptions& options)
{
    if (options.ansiColours) {
        out += kBlackOnWhite;
    }
    out += line;
    if (options.ansiColours) {
        out += kReset;
    }
    out += '\n';
}

// The human-readable text centred in a line as wide as the preview (or as
// the text, when that is wider).
std::string centredText(const std::string& text, int columns)
{
    const auto width = static_cast<std::size_t>(columns);
    if (text.size() >= width) {
        return text;
    }
    const std::size_t left = (width - text.size()) / 2;
    return std::string(left, ' ') + text + std::string(width - left - text.size(), ' ');
}

Outcome makePreview(const Symbol& symbol, const RenderOptions& render, const TextOptions& options, std::string& out)
{
    if (!renderOptionsValid(render)) {
        return ResultCode::InvalidArgument;
    }
    if (symbol.empty()) {
        return ResultCode::InvalidData;
    }
    RenderOptions symbolOnly = render;
    symbolOnly.hriText = false;
    if (!symbolExtent(symbol.format(), symbolOnly)) {
        return ResultCode::InvalidBarcodeSize;
    }
    std::string text;
    if (render.hriText) {
        if (Outcome line = textBandLine(symbol, text); !line.ok()) {
            return line;
        }
    }
    const PreviewGrid grid(symbol, render);
    std::string line;
    for (int row = 0; row < grid.rows(); row += 2) {
        line.clear();
        for (int column = 0; column < grid.columns(); ++column) {
            line += cell(grid.dark(row, column), row + 1 < grid.rows() && grid.dark(row + 1, column));
        }
        appendLine(out, line, options);
    }
    if (render.hriText) {
        appendLine(out, centredText(text, grid.columns()), options);
    }
    return ResultCode::Ok;
}

Outcome send(const std::string& text, const ByteSink& sink)
{
    bool stored = false;
    try {
        stored = sink({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    } catch (...) {
        stored = false;
    }
    return stored ? ResultCode::Ok : ResultCode::Fail;
}

Outcome preview(const Symbol& symbol, const RenderOptions& render, const TextOptions& options, std::string& out)
{
    try {
        return makePreview(symbol, render, options, out);
    } catch (const std::bad_alloc&) {
        return ResultCode::UnknownException;
    }
}

}  // namespace

Outcome writeText(const Symbol& symbol, const RenderOptions& render, const TextOptions& text, const ByteSink& sink)
{
    std::string out;
    if (Outcome made = preview(symbol, render, text, out); !made.ok()) {
        return made;
    }
    return send(out, sink);
}

Outcome writeTextFile(const Symbol& symbol, const RenderOptions& render, const TextOptions& text,
                      const std::string& path)
{
    std::string out;
    if (Outcome made = preview(symbol, render, text, out); !made.ok()) {
        return made;
    }
    return writeFile(path, [&out](const ByteSink& sink) { return send(out, sink); });
}

}  // namespace korvel
