#pragma once
// Writing a symbol as vector graphics for print: SVG 1.1, Encapsulated
// PostScript or PDF, at a physical size. The picture is the one the PNG
// writer draws from the same render options (orientation, colours, quiet
// zone, alignment in a fixed image size); dark modules are merged into one
// path on a whole-number grid, so that they abut without hairline gaps, over
// a background rectangle. The files carry no date: the same symbol and
// options always give the same bytes.

#include <cstdint>
#include <optional>
#include <string>

#include "korvel/output.hpp"
#include "korvel/render_options.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol.hpp"

namespace korvel {

inline constexpr std::int32_t kDefaultDotsPerInch = 96;
inline constexpr double kMaxModuleMillimetres = 100.0;

// The physical size of vector output, by one of two rules.
struct VectorOptions {
    // The module size in millimetres (above 0, at most kMaxModuleMillimetres):
    // the image is then exactly the symbol and its quiet zones at that size;
    // a fixed image size in the render options is refused.
    std::optional<double> moduleMillimetres;
    // Otherwise the image has the pixel geometry of the render options (the
    // PNG's size and placement), each pixel 1/dotsPerInch inch (1..kMaxDotsPerInch).
    std::int32_t dotsPerInch = kDefaultDotsPerInch;
};

// Whole pixels per module for a module size in millimetres at a resolution in
// dots per inch: the nearest whole number, halves rounding up, and at least
// 1; a value for RenderOptions::moduleSize.
[[nodiscard]] double modulePixelsAt(double moduleMillimetres, std::int32_t dotsPerInch) noexcept;

// Each writer produces the whole document before the first byte goes to the
// sink, so that a failure sends nothing. Failures: those of imageSize and
// renderSymbol (1 render options outside their sets, 4 the symbol does not
// fit a fixed image size, 5 an empty symbol), 1 for vector options outside
// their ranges or a module size in millimetres with a fixed image size,
// 14 when memory runs out, 2 when the sink refuses the bytes.
[[nodiscard]] Outcome writeSvg(const Symbol& symbol, const RenderOptions& render, const VectorOptions& vector,
                               const ByteSink& sink);
[[nodiscard]] Outcome writeEps(const Symbol& symbol, const RenderOptions& render, const VectorOptions& vector,
                               const ByteSink& sink);
[[nodiscard]] Outcome writePdf(const Symbol& symbol, const RenderOptions& render, const VectorOptions& vector,
                               const ByteSink& sink);

// The same into the file at `path` (see writeFile): a file that cannot be
// finished is removed, and a failure before writing leaves an existing file alone.
[[nodiscard]] Outcome writeSvgFile(const Symbol& symbol, const RenderOptions& render, const VectorOptions& vector,
                                   const std::string& path);
[[nodiscard]] Outcome writeEpsFile(const Symbol& symbol, const RenderOptions& render, const VectorOptions& vector,
                                   const std::string& path);
[[nodiscard]] Outcome writePdfFile(const Symbol& symbol, const RenderOptions& render, const VectorOptions& vector,
                                   const std::string& path);

}  // namespace korvel
