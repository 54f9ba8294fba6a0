#pragma once
// The thirty ECC 200 symbol formats: 24 square ones in increasing size,
// then 6 rectangular ones; and the eighteen rectangular extension (DMRE)
// formats 31..48, which a caller has to enable. Sizes are in modules.

#include <array>
#include <cstdint>
#include <optional>

namespace korvel {

struct SymbolFormat {
    std::int32_t id = -1;              // 1..30, DMRE 31..48; -1 for "no format"
    std::uint16_t symbolRows = 0;      // modules, finder and timing included
    std::uint16_t symbolColumns = 0;   // modules
    std::uint16_t mappingRows = 0;     // modules of all data regions joined
    std::uint16_t mappingColumns = 0;  // modules
    std::uint16_t dataCodewords = 0;   // data capacity in codewords
    std::uint16_t errorCodewords = 0;  // Reed-Solomon codewords, all blocks
    std::uint16_t regionRows = 0;      // modules of one data region
    std::uint16_t regionColumns = 0;   // modules of one data region
    std::uint16_t blockCount = 0;      // interleaved Reed-Solomon blocks

    friend constexpr bool operator==(const SymbolFormat&, const SymbolFormat&) = default;
};

inline constexpr std::size_t kFormatCount = 30;
inline constexpr std::size_t kSquareFormatCount = 24;

// The formats automatic selection chooses among: square ones (1..24), or
// rectangular ones (25..30, and 31..48 when DMRE is enabled).
enum class SymbolShape { Square, Rectangle };

// In table order; automatic selection takes the first row that holds the data.
inline constexpr std::array<SymbolFormat, kFormatCount> formatTable{{
    {1, 10, 10, 8, 8, 3, 5, 8, 8, 1},
    {2, 12, 12, 10, 10, 5, 7, 10, 10, 1},
    {3, 14, 14, 12, 12, 8, 10, 12, 12, 1},
    {4, 16, 16, 14, 14, 12, 12, 14, 14, 1},
    {5, 18, 18, 16, 16, 18, 14, 16, 16, 1},
    {6, 20, 20, 18, 18, 22, 18, 18, 18, 1},
    {7, 22, 22, 20, 20, 30, 20, 20, 20, 1},
    {8, 24, 24, 22, 22, 36, 24, 22, 22, 1},
    {9, 26, 26, 24, 24, 44, 28, 24, 24, 1},
    {10, 32, 32, 28, 28, 62, 36, 14, 14, 1},
    {11, 36, 36, 32, 32, 86, 42, 16, 16, 1},
    {12, 40, 40, 36, 36, 114, 48, 18, 18, 1},
    {13, 44, 44, 40, 40, 144, 56, 20, 20, 1},
    {14, 48, 48, 44, 44, 174, 68, 22, 22, 1},
    {15, 52, 52, 48, 48, 204, 84, 24, 24, 2},
    {16, 64, 64, 56, 56, 280, 112, 14, 14, 2},
    {17, 72, 72, 64, 64, 368, 144, 16, 16, 4},
    {18, 80, 80, 72, 72, 456, 192, 18, 18, 4},
    {19, 88, 88, 80, 80, 576, 224, 20, 20, 4},
    {20, 96, 96, 88, 88, 696, 272, 22, 22, 4},
    {21, 104, 104, 96, 96, 816, 336, 24, 24, 6},
    {22, 120, 120, 108, 108, 1050, 408, 18, 18, 6},
    {23, 132, 132, 120, 120, 1304, 496, 20, 20, 8},
    {24, 144, 144, 132, 132, 1558, 620, 22, 22, 10},
    {25, 8, 18, 6, 16, 5, 7, 6, 16, 1},
    {26, 8, 32, 6, 28, 10, 11, 6, 14, 1},
    {27, 12, 26, 10, 24, 16, 14, 10, 24, 1},
    {28, 12, 36, 10, 32, 22, 18, 10, 16, 1},
    {29, 16, 36, 14, 32, 32, 24, 14, 16, 1},
    {30, 16, 48, 14, 44, 49, 28, 14, 22, 1},
}};

inline constexpr std::size_t kDmreFormatCount = 18;

// Long, low rectangles (ISO/IEC 21471), numbered on from the table above. Each
// has one Reed-Solomon block.
inline constexpr std::array<SymbolFormat, kDmreFormatCount> dmreFormatTable{{
    {31, 8, 48, 6, 44, 18, 15, 6, 22, 1},
    {32, 8, 64, 6, 56, 24, 18, 6, 14, 1},
    {33, 8, 80, 6, 72, 32, 22, 6, 18, 1},
    {34, 8, 96, 6, 88, 38, 28, 6, 22, 1},
    {35, 8, 120, 6, 108, 49, 32, 6, 18, 1},
    {36, 8, 144, 6, 132, 63, 36, 6, 22, 1},
    {37, 12, 64, 10, 56, 43, 27, 10, 14, 1},
    {38, 12, 88, 10, 80, 64, 36, 10, 20, 1},
    {39, 16, 64, 14, 56, 62, 36, 14, 14, 1},
    {40, 20, 36, 18, 32, 44, 28, 18, 16, 1},
    {41, 20, 44, 18, 40, 56, 34, 18, 20, 1},
    {42, 20, 64, 18, 56, 84, 42, 18, 14, 1},
    {43, 22, 48, 20, 44, 72, 38, 20, 22, 1},
    {44, 24, 48, 22, 44, 80, 41, 22, 22, 1},
    {45, 24, 64, 22, 56, 108, 46, 22, 14, 1},
    {46, 26, 40, 24, 36, 70, 38, 24, 18, 1},
    {47, 26, 48, 24, 44, 90, 42, 24, 22, 1},
    {48, 26, 64, 24, 56, 118, 50, 24, 14, 1},
}};

inline constexpr std::int32_t kFirstDmreFormat = 31;

// Whether the format is one of the rectangular extension formats.
[[nodiscard]] constexpr bool isDmre(const SymbolFormat& format) noexcept { return format.id >= kFirstDmreFormat; }

// The format with this number: 1..30, and 31..48 only when DMRE is enabled;
// nothing for any other number.
[[nodiscard]] constexpr std::optional<SymbolFormat> findFormat(std::int32_t id, bool dmreEnabled = false) noexcept
{
    for (const SymbolFormat& row : formatTable) {
        if (row.id == id) {
            return row;
        }
    }
    if (dmreEnabled) {
        for (const SymbolFormat& row : dmreFormatTable) {
            if (row.id == id) {
                return row;
            }
        }
    }
    return std::nullopt;
}

// Invariants every row keeps; placement, error correction and rendering rely
// on them without checking.
namespace detail {
constexpr bool formatRowIsConsistent(const SymbolFormat& f)
{
    const int regionsDown = f.mappingRows / f.regionRows;
    const int regionsAcross = f.mappingColumns / f.regionColumns;
    return f.mappingRows % f.regionRows == 0 && f.mappingColumns % f.regionColumns == 0 &&
           f.symbolRows == f.mappingRows + 2 * regionsDown &&
           f.symbolColumns == f.mappingColumns + 2 * regionsAcross &&
           f.errorCodewords % f.blockCount == 0 && f.regionRows % 2 == 0 && f.regionColumns % 2 == 0 &&
           (f.mappingRows * f.mappingColumns) / 8 == f.dataCodewords + f.errorCodewords;
}
template <std::size_t N>
constexpr bool formatTableIsConsistent(const std::array<SymbolFormat, N>& table, std::int32_t firstId)
{
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].id != firstId + static_cast<std::int32_t>(i) || !formatRowIsConsistent(table[i])) {
            return false;
        }
    }
    return true;
}
}  // namespace detail
static_assert(detail::formatTableIsConsistent(formatTable, 1), "format table rows must be internally consistent");
static_assert(detail::formatTableIsConsistent(dmreFormatTable, kFirstDmreFormat),
              "DMRE table rows must be internally consistent");
static_assert(!findFormat(kFirstDmreFormat) && findFormat(kFirstDmreFormat, true), "DMRE formats are opt-in");

}  // namespace korvel
