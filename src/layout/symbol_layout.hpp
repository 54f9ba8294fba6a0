#pragma once
// The picture's geometry, worked out once per write: the image size, the
// module size, the quiet zone, where the symbol lands after orientation and
// alignment, a band below it, the shape of the dark marks and the physical
// size of the picture's unit when it has one. The PNG and vector writers,
// the raster drawing, the pixel check and the report all draw from one
// SymbolLayout, so that they cannot disagree.

#include <cstdint>
#include <optional>

#include "korvel/raster_image.hpp"
#include "korvel/render_options.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol.hpp"
#include "korvel/symbol_format.hpp"
#include "korvel/vector_writer.hpp"

namespace korvel {

// The largest extent in modules, quiet zones and band included.
inline constexpr std::int64_t kMaxExtentModules = 65535;

// The whole picture in modules, in the drawing orientation: the symbol, its
// quiet zones and the band below.
struct ModuleExtent {
    std::int64_t columns = 0;
    std::int64_t rows = 0;
};

// How a dark module is marked. Squares fill their module; dots are circles
// centred in it. Ink spread takes `inkSpread` modules off every dark area in
// all, half on each side, so that the printed area grows back to size.
struct MarkShape {
    std::optional<double> dotDiameter;  // in modules; squares when absent
    double inkSpread = 0.0;             // in modules

    [[nodiscard]] bool plainSquares() const noexcept { return !dotDiameter && inkSpread == 0.0; }
};

// All lengths are in units of the picture's grid: a pixel of the raster
// drawing, or a module when the physical module size is given. Whole units
// throughout, so that modules abut exactly.
struct SymbolLayout {
    std::int64_t width = 0;       // the image
    std::int64_t height = 0;
    std::int64_t moduleSize = 0;  // units per module
    std::int64_t left = 0;        // the first module's top-left corner (quiet zone excluded)
    std::int64_t top = 0;
    std::int32_t columns = 0;     // the symbol in modules, as drawn
    std::int32_t rows = 0;
    std::int32_t quietZone = 0;   // modules on each side
    // The band below the symbol's quiet zone, as wide as the image; empty
    // when nothing is drawn there.
    std::int64_t bandTop = 0;
    std::int64_t bandHeight = 0;
    Orientation orientation = Orientation::Degrees0;
    MarkShape marks;
    // Whole units taken off each side of a dark area where the grid allows
    // no fraction (a PNG): the ink spread rounded down to whole units.
    std::int64_t inkSpreadUnits = 0;
    // The physical size of one unit, when the output has one.
    std::optional<double> unitMillimetres;

    [[nodiscard]] ImageSize imageSize() const noexcept
    {
        return {static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
    }
    // The symbol proper in units.
    [[nodiscard]] std::int64_t symbolWidth() const noexcept { return columns * moduleSize; }
    [[nodiscard]] std::int64_t symbolHeight() const noexcept { return rows * moduleSize; }
};

// Modules of the band below the symbol's quiet zone that the options ask
// for: 0 while nothing is drawn there.
[[nodiscard]] std::int32_t bandModulesFor(const RenderOptions& options) noexcept;

// Whether the enumerations hold listed values and the quiet zone is not negative.
[[nodiscard]] bool renderOptionsValid(const RenderOptions& options) noexcept;

// Nothing when the extent exceeds kMaxExtentModules.
[[nodiscard]] std::optional<ModuleExtent> symbolExtent(const SymbolFormat& format, const RenderOptions& options);

// The image size at `moduleSize` pixels per module rounded half up. With
// wrapSixteenBits the products are taken modulo 65536 (the barcode object's
// rule); otherwise a side beyond 65535 pixels is refused. 1 for a module
// size below half a pixel, an extent too large, or a side of 0.
[[nodiscard]] ResultCode imageSizeForModules(const ModuleExtent& extent, double moduleSize, bool wrapSixteenBits,
                                             ImageSize& size);

// The image size the options give a symbol of `format`: options.imageSize
// when set, otherwise the extent at options.moduleSize. 1 for render
// options outside their sets and for every size imageSizeForModules refuses.
[[nodiscard]] ResultCode imageSizeFor(const SymbolFormat& format, const RenderOptions& options, ImageSize& size);

// The symbol placed in a target rectangle of a pixel grid: the largest
// whole module size at which it fits, offset by the alignments and the
// quiet zone. The image of the layout is the target's size. Results: 1 for
// render options outside their sets, 4 when the symbol does not fit at one
// pixel per module, 5 when there is no valid encoding (`encoded` false).
[[nodiscard]] ResultCode layOutInTarget(const SymbolFormat& format, bool encoded, const RenderOptions& options,
                                        const TargetRect& target, SymbolLayout& layout);

// What limits a picture of pixels beyond the size rules: nothing, or the
// largest raster (RasterImage::sizeAccepted), refused with 3.
enum class PixelLimit { None, Raster };

// The picture of pixels a PNG or raster gets: the image size the options
// give, then the symbol placed in it. `dotsPerInch` gives each pixel a
// physical size. Results in this order: those of imageSizeFor, 3 for the
// raster limit, those of layOutInTarget.
[[nodiscard]] Outcome layOutPixels(const Symbol& symbol, const RenderOptions& options,
                                   std::optional<std::int32_t> dotsPerInch, PixelLimit limit, SymbolLayout& layout);

// The picture of vector output: with a module size in millimetres one unit
// per module and the image exactly the symbol, its quiet zones and band;
// otherwise the pixel picture with each pixel 1/dotsPerInch inch. Results:
// 1 for render or vector options outside their ranges (or a module size in
// millimetres with a fixed image size), those of the pixel picture, 5 for
// an empty symbol.
[[nodiscard]] Outcome layOutVector(const Symbol& symbol, const RenderOptions& render, const VectorOptions& vector,
                                   SymbolLayout& layout);

}  // namespace korvel
