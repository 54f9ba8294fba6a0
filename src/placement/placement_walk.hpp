#pragma once
// The ECC 200 placement walk over the mapping matrix (all data regions joined,
// without finder and timing patterns): which bit of which codeword each module
// carries.

#include <cstdint>
#include <vector>

namespace korvel {

// Entry values: 0 free (light), 1 the dark corner fill, 10 * cw + b bit b
// (1 = most significant) of codeword cw (1-based).
class PlacementGrid {
public:
    PlacementGrid(int rows, int columns);

    [[nodiscard]] int rows() const noexcept { return rows_; }
    [[nodiscard]] int columns() const noexcept { return columns_; }
    [[nodiscard]] std::int32_t at(int row, int column) const noexcept
    {
        return entries_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                        static_cast<std::size_t>(column)];
    }
    void set(int row, int column, std::int32_t value) noexcept
    {
        entries_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                 static_cast<std::size_t>(column)] = value;
    }

private:
    int rows_;
    int columns_;
    std::vector<std::int32_t> entries_;
};

// Runs the diagonal walk with its corner shapes and the corner fill.
void placeCodewords(PlacementGrid& grid);

// 1 if bit `bit` (1 = most significant, 8 = least) of the codeword is set.
[[nodiscard]] constexpr std::uint8_t codewordBit(std::uint8_t codeword, int bit) noexcept
{
    return static_cast<std::uint8_t>((codeword >> (8 - bit)) & 1);
}

}  // namespace korvel
