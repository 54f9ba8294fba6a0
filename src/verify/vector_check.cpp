// The vector check: the marks of an SVG, EPS or PDF read back and compared
// with the dark modules of the matrix as drawn (squares, dots or outlines
// moved in by the ink spread), and the colours in the colour space meant.

#include <algorithm>
#include <cmath>

#include "layout/module_view.hpp"
#include "readback/vector_reading.hpp"
#include "verify/output_checks.hpp"

namespace korvel {
namespace {

// Modules of the view, each with a count.
class ModuleCounts {
public:
    explicit ModuleCounts(const ModuleView& view)
        : view_(view), counts_(static_cast<std::size_t>(view.rows()) * static_cast<std::size_t>(view.columns()), 0)
    {
    }
    [[nodiscard]] bool inside(std::int64_t i, std::int64_t j) const
    {
        return i >= 0 && j >= 0 && i < view_.rows() && j < view_.columns();
    }
    int& at(std::int64_t i, std::int64_t j) { return counts_[static_cast<std::size_t>(i * view_.columns() + j)]; }

    // Every module counted once if dark and never if light; else what
    // differs, named by `what` ("drawn", "covered by a dot").
    [[nodiscard]] Outcome compare(const char* what)
    {
        std::size_t wrong = 0;
        std::string first;
        for (int i = 0; i < view_.rows(); ++i) {
            for (int j = 0; j < view_.columns(); ++j) {
                const int times = at(i, j);
                if (times == (view_.dark(i, j) ? 1 : 0)) {
                    continue;
                }
                if (wrong++ == 0) {
                    first = "the module at row " + std::to_string(i + 1) + ", column " + std::to_string(j + 1) + " is " +
                            what + " " + std::to_string(times) + " times, meant " + (view_.dark(i, j) ? "once" : "never");
                }
            }
        }
        if (wrong > 0) {
            return differs("the drawing differs from the symbol in " + std::to_string(wrong) + " modules: " + first);
        }
        return ResultCode::Ok;
    }

private:
    const ModuleView& view_;
    std::vector<int> counts_;
};

// Squares: rectangles of whole modules, covering each dark module once.
Outcome checkSquares(const DrawnVector& drawn, const ModuleView& view)
{
    if (!drawn.outlines.empty() || !drawn.dots.empty()) {
        return differs("the drawing has shapes other than rectangles of whole modules");
    }
    ModuleCounts covered(view);
    for (const ModuleRectangle& r : drawn.dark) {
        if (!covered.inside(r.row, r.column) || !covered.inside(r.row + r.height - 1, r.column + r.width - 1)) {
            return differs("the drawing paints outside the symbol");
        }
        for (std::int64_t i = r.row; i < r.row + r.height; ++i) {
            for (std::int64_t j = r.column; j < r.column + r.width; ++j) {
                ++covered.at(i, j);
            }
        }
    }
    return covered.compare("drawn");
}

// Dots: one circle of the meant diameter centred in each dark module.
Outcome checkDots(const DrawnVector& drawn, const ModuleView& view, double diameter)
{
    if (!drawn.dark.empty() || !drawn.outlines.empty()) {
        return differs("the drawing has shapes other than dots");
    }
    ModuleCounts covered(view);
    for (const DrawnDot& dot : drawn.dots) {
        const double i = dot.centre.y - 0.5;
        const double j = dot.centre.x - 0.5;
        const auto row = std::llround(i);
        const auto column = std::llround(j);
        if (std::abs(i - static_cast<double>(row)) > 1e-4 || std::abs(j - static_cast<double>(column)) > 1e-4 ||
            !covered.inside(row, column)) {
            return differs("a dot is not centred in a module of the symbol");
        }
        if (std::abs(dot.diameter - diameter) > 1e-4) {
            return differs("a dot is " + std::to_string(dot.diameter) + " modules across, meant " +
                           std::to_string(diameter));
        }
        ++covered.at(row, column);
    }
    return covered.compare("covered by a dot");
}

// The area of the dark areas eroded by `inset` on every side that borders
// light, worked out module by module: each loses a strip along every light
// side, and a corner square where its two neighbours are dark but the
// module between them, diagonally, is light.
double erodedArea(const ModuleView& view, double inset)
{
    const auto dark = [&view](int i, int j) {
        return i >= 0 && j >= 0 && i < view.rows() && j < view.columns() && view.dark(i, j);
    };
    double area = 0.0;
    for (int i = 0; i < view.rows(); ++i) {
        for (int j = 0; j < view.columns(); ++j) {
            if (!dark(i, j)) {
                continue;
            }
            const double width = 1.0 - inset * ((dark(i, j - 1) ? 0 : 1) + (dark(i, j + 1) ? 0 : 1));
            const double height = 1.0 - inset * ((dark(i - 1, j) ? 0 : 1) + (dark(i + 1, j) ? 0 : 1));
            int notches = 0;
            for (const int di : {-1, 1}) {
                for (const int dj : {-1, 1}) {
                    notches += dark(i + di, j) && dark(i, j + dj) && !dark(i + di, j + dj) ? 1 : 0;
                }
            }
            area += width * height - notches * inset * inset;
        }
    }
    return area;
}

// Squares with ink spread: outlines whose corners all lie `inset` from the
// module grid, enclosing the centre of every dark module and of no light
// one (by the nonzero rule), with the area of the eroded dark areas.
Outcome checkOutlines(const DrawnVector& drawn, const ModuleView& view, double inset)
{
    if (!drawn.dots.empty()) {
        return differs("the drawing has dots where squares are meant");
    }
    std::vector<Outline> outlines = drawn.outlines;
    for (const ModuleRectangle& r : drawn.dark) {
        const auto x = static_cast<double>(r.column);
        const auto y = static_cast<double>(r.row);
        outlines.push_back({{x, y}, {x + r.width, y}, {x + r.width, y + r.height}, {x, y + r.height}});
    }
    double area = 0.0;
    // Per row of modules, the vertical edges that cross its centre line, and their direction.
    std::vector<std::vector<std::pair<double, int>>> crossings(static_cast<std::size_t>(view.rows()));
    for (const Outline& outline : outlines) {
        for (std::size_t k = 0; k < outline.size(); ++k) {
            const OutlinePoint a = outline[k];
            const OutlinePoint b = outline[(k + 1) % outline.size()];
            for (const double v : {a.x, a.y}) {
                if (std::abs(std::abs(v - std::round(v)) - inset) > 1e-5) {
                    return differs("a corner of the drawing does not lie half the ink spread from the module grid");
                }
            }
            area += a.x * b.y - b.x * a.y;
            if (a.x != b.x) {
                continue;
            }
            for (int i = 0; i < view.rows(); ++i) {
                const double centre = i + 0.5;
                if (std::min(a.y, b.y) < centre && centre < std::max(a.y, b.y)) {
                    crossings[static_cast<std::size_t>(i)].push_back({a.x, b.y > a.y ? 1 : -1});
                }
            }
        }
    }
    ModuleCounts enclosed(view);
    for (int i = 0; i < view.rows(); ++i) {
        for (const auto& [x, direction] : crossings[static_cast<std::size_t>(i)]) {
            for (int j = 0; j < view.columns(); ++j) {
                // Winding counted from the left: edges left of the centre.
                if (x < j + 0.5) {
                    enclosed.at(i, j) += direction;
                }
            }
        }
        for (int j = 0; j < view.columns(); ++j) {
            enclosed.at(i, j) = enclosed.at(i, j) != 0 ? 1 : 0;
        }
    }
    if (Outcome centres = enclosed.compare("enclosed"); !centres.ok()) {
        return centres;
    }
    const double meant = erodedArea(view, inset);
    if (std::abs(std::abs(area) / 2.0 - meant) > 1e-4 * (1.0 + meant)) {
        return differs("the dark areas of the drawing cover " + std::to_string(std::abs(area) / 2.0) +
                       " square modules, meant " + std::to_string(meant));
    }
    return ResultCode::Ok;
}


}  // namespace

// Vector output: the colours in the colour space meant, and the marks
// against the dark modules of the matrix as drawn.
Outcome checkVector(const WrittenOutput& output, const Symbol& symbol, const RenderOptions& render)
{
    std::string error;
    const std::optional<DrawnVector> drawn = readVector(output.type, output.bytes, error);
    if (!drawn) {
        return differs("the written drawing cannot be read: " + error);
    }
    const std::optional<Color> background =
        render.transparentBackground ? std::nullopt : std::optional<Color>(render.background);
    if (drawn->background != background || drawn->foreground != render.foreground) {
        const auto named = [](const std::optional<Color>& c) { return c ? colourText(*c) : std::string("none"); };
        return differs("the drawing's colours are " + named(drawn->background) + " and " +
                       colourText(drawn->foreground) + ", meant " + named(background) + " and " +
                       colourText(render.foreground));
    }
    const bool cmykMeant = render.cmyk && output.type != OutputType::Svg;
    if (drawn->cmyk != cmykMeant) {
        return differs(std::string("the drawing's colours are given in ") + (drawn->cmyk ? "CMYK" : "RGB") +
                       ", meant " + (cmykMeant ? "CMYK" : "RGB"));
    }
    const ModuleView view(symbol.matrix(), render.orientation);
    if (render.dotDiameter) {
        return checkDots(*drawn, view, *render.dotDiameter - render.inkSpread);
    }
    if (render.inkSpread > 0.0) {
        return checkOutlines(*drawn, view, render.inkSpread / 2.0);
    }
    return checkSquares(*drawn, view);
}

}  // namespace korvel
