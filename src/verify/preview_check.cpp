// The preview check: the terminal preview read back as a screen shows it.

#include <string>
#include <vector>

#include "layout/module_view.hpp"
#include "verify/output_checks.hpp"

namespace korvel {

// The terminal preview read back as a screen shows it: colour sequences
// dropped, each character cell two modules (upper and lower half), and
// compared with the symbol in its quiet zone.
Outcome checkText(std::span<const std::uint8_t> bytes, const Symbol& symbol, const RenderOptions& render)
{
    std::vector<std::vector<bool>> cells;  // modules by row, two rows per text line
    std::vector<bool> upper;
    std::vector<bool> lower;
    const std::string text(bytes.begin(), bytes.end());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '\x1b') {
            const std::size_t end = text.find('m', i);
            i = end == std::string::npos ? text.size() : end + 1;
        } else if (text[i] == '\n') {
            cells.push_back(std::move(upper));
            cells.push_back(std::move(lower));
            upper.clear();
            lower.clear();
            ++i;
        } else if (text.compare(i, 3, "\u2588") == 0 || text.compare(i, 3, "\u2580") == 0 ||
                   text.compare(i, 3, "\u2584") == 0) {
            upper.push_back(text.compare(i, 3, "\u2584") != 0);
            lower.push_back(text.compare(i, 3, "\u2580") != 0);
            i += 3;
        } else {
            upper.push_back(false);
            lower.push_back(false);
            ++i;
        }
    }
    const ModuleView view(symbol.matrix(), render.orientation);
    const int q = render.quietZone ? render.quietZoneSize : 0;
    const int rows = view.rows() + 2 * q;
    const int columns = view.columns() + 2 * q;
    std::size_t wrong = 0;
    std::string first;
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            const bool inSymbol = i >= q && j >= q && i < q + view.rows() && j < q + view.columns();
            const bool want = inSymbol && view.dark(i - q, j - q);
            const auto r = static_cast<std::size_t>(i);
            const auto c = static_cast<std::size_t>(j);
            const bool have = r < cells.size() && c < cells[r].size() && cells[r][c];
            if (have != want && wrong++ == 0) {
                first = (inSymbol ? "the module at row " + std::to_string(i - q + 1) + ", column " +
                                        std::to_string(j - q + 1)
                                  : std::string("the quiet zone")) +
                        " is " + (have ? "dark" : "light");
            }
        }
    }
    if (wrong > 0) {
        return differs("the preview differs from the symbol in " + std::to_string(wrong) + " modules: " + first);
    }
    return ResultCode::Ok;
}

}  // namespace korvel
