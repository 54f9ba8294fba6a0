#pragma once
// Where a symbol's modules land in pixels: its extent in modules, the image
// size for a module size, and the module size and offset inside a target
// rectangle. Every writer draws from these numbers.

#include <cstdint>
#include <optional>

#include "korvel/raster_image.hpp"
#include "korvel/render_options.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol_format.hpp"

namespace korvel {

// The largest extent in modules, quiet zones included.
inline constexpr std::int64_t kMaxExtentModules = 65535;

// The symbol and its quiet zones in modules, in the drawing orientation,
// and the band of human-readable text under them when the options ask for it.
struct ModuleExtent {
    std::int64_t columns = 0;
    std::int64_t rows = 0;
};

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

// The symbol placed in a target rectangle: whole pixels per module, and the
// pixel of the top-left module of the symbol proper (quiet zone excluded).
struct ModulePlacement {
    std::int64_t moduleSize = 0;
    std::int64_t left = 0;
    std::int64_t top = 0;
};

// The largest whole module size at which the extent fits the target, and
// the offsets that the alignments and the quiet zone give. 4 when it does
// not fit at one pixel per module.
[[nodiscard]] ResultCode placeInTarget(const ModuleExtent& extent, const RenderOptions& options,
                                       const TargetRect& target, ModulePlacement& placement);

// What every drawing starts with: the options checked and the symbol placed
// in the target. 1 for render options outside their sets, 4 when the symbol
// does not fit, 5 when there is no valid encoding (`encoded` false).
[[nodiscard]] ResultCode placeSymbol(const SymbolFormat& format, bool encoded, const RenderOptions& options,
                                     const TargetRect& target, ModulePlacement& placement);

}  // namespace korvel
