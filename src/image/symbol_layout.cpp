#include "image/symbol_layout.hpp"

#include <algorithm>

#include "encodation/automatic_selection.hpp"

namespace korvel {
namespace {

constexpr double kMillimetresPerInch = 25.4;

// Offset of the symbol within the free space for an alignment 0, 1 or 2.
std::int64_t alignmentOffset(std::int32_t alignment, std::int64_t freeSpace) noexcept
{
    switch (alignment) {
    case 1: return freeSpace / 2;
    case 2: return freeSpace;
    default: return 0;
    }
}

}  // namespace

std::optional<SymbolExtent> symbolExtent(std::int64_t viewColumns, std::int64_t viewRows,
                                         std::int64_t quietModules) noexcept
{
    if (quietModules < 0 || quietModules > kMaxSymbolExtent) {
        return std::nullopt;
    }
    const SymbolExtent extent{viewColumns + 2 * quietModules, viewRows + 2 * quietModules};
    if (extent.columns > kMaxSymbolExtent || extent.rows > kMaxSymbolExtent) {
        return std::nullopt;
    }
    return extent;
}

std::optional<SymbolLayout> fitSymbol(const SymbolExtent& extent, std::int64_t quietModules, std::int64_t width,
                                      std::int64_t height, std::int32_t horizontalAlignment,
                                      std::int32_t verticalAlignment) noexcept
{
    if (extent.columns < 1 || extent.rows < 1 || extent.columns > width || extent.rows > height) {
        return std::nullopt;
    }
    const std::int64_t s = std::min(width / extent.columns, height / extent.rows);
    const std::int64_t quietZone = quietModules * s;
    return SymbolLayout{width, height, s,
                        quietZone + alignmentOffset(horizontalAlignment, width - extent.columns * s),
                        quietZone + alignmentOffset(verticalAlignment, height - extent.rows * s)};
}

SymbolLayout moduleGridLayout(const SymbolExtent& extent, std::int64_t quietModules) noexcept
{
    return {extent.columns, extent.rows, 1, quietModules, quietModules};
}

std::int64_t modulePixels(double moduleMillimetres, std::int32_t dotsPerInch) noexcept
{
    const double pixels = roundHalfUp(moduleMillimetres * dotsPerInch / kMillimetresPerInch);
    return std::max<std::int64_t>(1, static_cast<std::int64_t>(pixels));
}

double millimetresPerPixel(std::int32_t dotsPerInch) noexcept { return kMillimetresPerInch / dotsPerInch; }

}  // namespace korvel
