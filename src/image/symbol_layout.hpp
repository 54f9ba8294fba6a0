#pragma once
// Where a symbol's modules go in an image: the module size, the image size
// and the corner of the first module, in whole units of one grid. For a
// raster the unit is a pixel; for vector output it is a pixel at some
// resolution, or one module when the module size is given in millimetres.
// Every writer draws from the same numbers, so a PNG and a vector file of one
// symbol show the same picture.

#include <cstdint>
#include <optional>

namespace korvel {

// The largest extent in modules (symbol and both quiet zones) that a drawing
// handles in either direction.
inline constexpr std::int64_t kMaxSymbolExtent = 65535;

// A symbol's size in modules with its quiet zone on every side.
struct SymbolExtent {
    std::int64_t columns = 0;
    std::int64_t rows = 0;
};

// The extent of a symbol of viewColumns x viewRows modules (in the orientation
// it is drawn in) with `quietModules` light modules on every side; nothing
// when it exceeds kMaxSymbolExtent or quietModules is negative.
[[nodiscard]] std::optional<SymbolExtent> symbolExtent(std::int64_t viewColumns, std::int64_t viewRows,
                                                       std::int64_t quietModules) noexcept;

struct SymbolLayout {
    std::int64_t width = 0;       // image width in units
    std::int64_t height = 0;      // image height in units
    std::int64_t moduleSize = 0;  // units per module, the same in both directions
    std::int64_t left = 0;        // top-left corner of the symbol's first module
    std::int64_t top = 0;
};

// Fits the extent into an image of width x height units: the largest whole
// module size with which it fits, the free space placed by the alignments
// (0 before the symbol, 1 half on each side rounding toward zero, 2 after
// it; other values as 0) and the quiet zone before the first module. Nothing
// when the symbol does not fit at one unit per module.
[[nodiscard]] std::optional<SymbolLayout> fitSymbol(const SymbolExtent& extent, std::int64_t quietModules,
                                                    std::int64_t width, std::int64_t height,
                                                    std::int32_t horizontalAlignment,
                                                    std::int32_t verticalAlignment) noexcept;

// The layout of an image exactly as large as the extent, one unit per module:
// the grid of output sized by a module size in millimetres.
[[nodiscard]] SymbolLayout moduleGridLayout(const SymbolExtent& extent, std::int64_t quietModules) noexcept;

// Whole pixels per module for a module size in millimetres at a resolution in
// dots per inch: the nearest whole number, halves rounding up, and at least 1.
[[nodiscard]] std::int64_t modulePixels(double moduleMillimetres, std::int32_t dotsPerInch) noexcept;

// Millimetres per pixel at a resolution in dots per inch.
[[nodiscard]] double millimetresPerPixel(std::int32_t dotsPerInch) noexcept;

}  // namespace korvel
