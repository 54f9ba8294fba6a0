#include "layout/module_rectangles.hpp"

#include <algorithm>
#include <tuple>

namespace korvel {
namespace {

// The runs of dark modules in view row i, as one-row rectangles, left to right.
std::vector<ModuleRectangle> darkRuns(const ModuleView& view, int i)
{
    std::vector<ModuleRectangle> runs;
    const int columns = view.columns();
    for (int j = 0; j < columns;) {
        if (!view.dark(i, j)) {
            ++j;
            continue;
        }
        const int start = j;
        while (j < columns && view.dark(i, j)) {
            ++j;
        }
        runs.push_back({start, i, j - start, 1});
    }
    return runs;
}

}  // namespace

std::vector<ModuleRectangle> darkRectangles(const ModuleView& view)
{
    std::vector<ModuleRectangle> finished;
    std::vector<ModuleRectangle> open;  // rectangles reaching the row above, left to right
    const int rows = view.rows();
    for (int i = 0; i < rows; ++i) {
        std::vector<ModuleRectangle> next;
        std::size_t k = 0;
        for (const ModuleRectangle& run : darkRuns(view, i)) {
            while (k < open.size() && open[k].column < run.column) {
                finished.push_back(open[k++]);
            }
            if (k < open.size() && open[k].column == run.column && open[k].width == run.width) {
                ++open[k].height;
                next.push_back(open[k++]);
            } else {
                next.push_back(run);
            }
        }
        finished.insert(finished.end(), open.begin() + static_cast<std::ptrdiff_t>(k), open.end());
        open = std::move(next);
    }
    finished.insert(finished.end(), open.begin(), open.end());
    std::sort(finished.begin(), finished.end(), [](const ModuleRectangle& a, const ModuleRectangle& b) {
        return std::tie(a.row, a.column) < std::tie(b.row, b.column);
    });
    return finished;
}

}  // namespace korvel
