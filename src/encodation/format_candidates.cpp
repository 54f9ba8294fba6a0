#include "encodation/format_candidates.hpp"

#include <algorithm>

namespace korvel {
namespace {

constexpr std::size_t kRectangleCount = kFormatCount - kSquareFormatCount;

constexpr bool holdsLess(const SymbolFormat& a, const SymbolFormat& b)
{
    const int areaA = a.symbolRows * a.symbolColumns;
    const int areaB = b.symbolRows * b.symbolColumns;
    return a.dataCodewords != b.dataCodewords ? a.dataCodewords < b.dataCodewords : areaA < areaB;
}

template <std::size_t N>
constexpr std::array<SymbolFormat, N> rectanglesByCapacity(bool dmre)
{
    std::array<SymbolFormat, N> rows{};
    std::size_t count = 0;
    for (std::size_t i = kSquareFormatCount; i < kFormatCount; ++i) {
        rows[count++] = formatTable[i];
    }
    if (dmre) {
        for (const SymbolFormat& row : dmreFormatTable) {
            rows[count++] = row;
        }
    }
    std::sort(rows.begin(), rows.end(), holdsLess);
    return rows;
}

constexpr auto kRectangles = rectanglesByCapacity<kRectangleCount>(false);
constexpr auto kRectanglesWithDmre = rectanglesByCapacity<kRectangleCount + kDmreFormatCount>(true);

static_assert(kRectangles.front().id == 25 && kRectangles.back().id == 30);
// 16 x 36 and 8 x 80 both hold 32 codewords; the smaller area comes first.
static_assert(kRectanglesWithDmre[6].id == 29 && kRectanglesWithDmre[7].id == 33);
static_assert(kRectanglesWithDmre.back().id == 48);

template <std::size_t N>
std::span<const SymbolFormat> rowWithId(const std::array<SymbolFormat, N>& table, std::int32_t id)
{
    const auto row = std::find_if(table.begin(), table.end(), [id](const SymbolFormat& f) { return f.id == id; });
    return row == table.end() ? std::span<const SymbolFormat>{} : std::span<const SymbolFormat>(row, 1);
}

}  // namespace

std::span<const SymbolFormat> formatCandidates(const FormatRequest& request) noexcept
{
    if (request.preferredFormat != 0) {
        const auto row = rowWithId(formatTable, request.preferredFormat);
        return row.empty() && request.dmre ? rowWithId(dmreFormatTable, request.preferredFormat) : row;
    }
    if (request.shape == SymbolShape::Rectangle) {
        return request.dmre ? std::span<const SymbolFormat>(kRectanglesWithDmre)
                            : std::span<const SymbolFormat>(kRectangles);
    }
    return std::span<const SymbolFormat>(formatTable.data(), kSquareFormatCount);
}

}  // namespace korvel
