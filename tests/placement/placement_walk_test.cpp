#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "korvel/symbol_format.hpp"
#include "placement/placement_walk.hpp"

namespace korvel {
namespace {

PlacementGrid walk(const SymbolFormat& format)
{
    PlacementGrid grid(format.mappingRows, format.mappingColumns);
    placeCodewords(grid);
    return grid;
}

std::int32_t entry(int codeword, int bit) { return 10 * codeword + bit; }

TEST(PlacementWalk, FirstCodewordAndTopRowOf10x10)
{
    const PlacementGrid grid = walk(formatTable[0]);
    const std::array<std::pair<int, int>, 8> first{{{2, 6}, {2, 7}, {3, 6}, {3, 7}, {3, 0}, {4, 6}, {4, 7}, {4, 0}}};
    for (int bit = 1; bit <= 8; ++bit) {
        const auto [row, col] = first[static_cast<std::size_t>(bit - 1)];
        EXPECT_EQ(grid.at(row, col), entry(1, bit)) << "bit " << bit;
    }
    const std::array<std::int32_t, 8> topRow{entry(2, 1), entry(2, 2), entry(3, 6), entry(3, 7),
                                             entry(3, 8), entry(4, 3), entry(4, 4), entry(4, 5)};
    for (int col = 0; col < 8; ++col) {
        EXPECT_EQ(grid.at(0, col), topRow[static_cast<std::size_t>(col)]) << "column " << col;
    }
}

// Positions of the eight bits of each corner shape in an nrow x ncol grid.
std::array<std::pair<int, int>, 8> cornerShape(int shape, int nrow, int ncol)
{
    switch (shape) {
    case 1:
        return {{{nrow - 1, 0}, {nrow - 1, 1}, {nrow - 1, 2}, {0, ncol - 2}, {0, ncol - 1}, {1, ncol - 1},
                 {2, ncol - 1}, {3, ncol - 1}}};
    case 2:
        return {{{nrow - 3, 0}, {nrow - 2, 0}, {nrow - 1, 0}, {0, ncol - 4}, {0, ncol - 3}, {0, ncol - 2},
                 {0, ncol - 1}, {1, ncol - 1}}};
    case 3:
        return {{{nrow - 3, 0}, {nrow - 2, 0}, {nrow - 1, 0}, {0, ncol - 2}, {0, ncol - 1}, {1, ncol - 1},
                 {2, ncol - 1}, {3, ncol - 1}}};
    default:
        return {{{nrow - 1, 0}, {nrow - 1, ncol - 1}, {0, ncol - 3}, {0, ncol - 2}, {0, ncol - 1}, {1, ncol - 3},
                 {1, ncol - 2}, {1, ncol - 1}}};
    }
}

// True when one codeword occupies exactly the positions of the shape.
bool holdsShape(const PlacementGrid& grid, int shape)
{
    const auto positions = cornerShape(shape, grid.rows(), grid.columns());
    const std::int32_t first = grid.at(positions[0].first, positions[0].second);
    if (first < 10 || first % 10 != 1) {
        return false;
    }
    for (int bit = 1; bit <= 8; ++bit) {
        const auto [row, col] = positions[static_cast<std::size_t>(bit - 1)];
        if (grid.at(row, col) != first - 1 + bit) {
            return false;
        }
    }
    return true;
}

// The corner shape each format's walk uses (0: none), and whether the walk
// leaves the bottom-right corner to the fixed fill.
struct FormatWalk {
    int id;
    int cornerShape;
    bool cornerFill;
};

constexpr std::array<FormatWalk, kFormatCount + kDmreFormatCount> kWalks{{
    {1, 0, false},  {2, 0, true},   {3, 1, false},  {4, 2, true},   {5, 0, false},  {6, 0, true},
    {7, 1, false},  {8, 2, true},   {9, 0, false},  {10, 1, false}, {11, 0, false}, {12, 1, false},
    {13, 0, false}, {14, 1, false}, {15, 0, false}, {16, 0, false}, {17, 0, false}, {18, 0, false},
    {19, 0, false}, {20, 0, false}, {21, 0, false}, {22, 1, false}, {23, 0, false}, {24, 1, false},
    {25, 4, false}, {26, 3, false}, {27, 0, false}, {28, 0, false}, {29, 4, false}, {30, 3, false},
    {31, 3, false}, {32, 4, false}, {33, 4, false}, {34, 4, false}, {35, 3, false}, {36, 3, false},
    {37, 0, false}, {38, 0, false}, {39, 4, false}, {40, 0, false}, {41, 0, false}, {42, 0, false},
    {43, 1, false}, {44, 3, false}, {45, 4, false}, {46, 0, false}, {47, 0, false}, {48, 0, false},
}};

void PrintTo(const FormatWalk& w, std::ostream* os) { *os << "format " << w.id; }

class EveryFormatWalk : public ::testing::TestWithParam<FormatWalk> {};

TEST_P(EveryFormatWalk, PlacesEachBitOfEachCodewordOnce)
{
    const FormatWalk& expected = GetParam();
    const SymbolFormat format = *findFormat(expected.id, true);
    const PlacementGrid grid = walk(format);
    const int codewords = format.dataCodewords + format.errorCodewords;

    std::vector<int> seen(static_cast<std::size_t>(codewords + 1) * 9, 0);
    int free = 0;
    int fixed = 0;
    for (int row = 0; row < grid.rows(); ++row) {
        for (int col = 0; col < grid.columns(); ++col) {
            const std::int32_t v = grid.at(row, col);
            if (v == 0) {
                ++free;
            } else if (v == 1) {
                ++fixed;
            } else {
                ASSERT_TRUE(v / 10 >= 1 && v / 10 <= codewords && v % 10 >= 1 && v % 10 <= 8)
                    << "entry " << v << " at " << row << "," << col;
                ++seen[static_cast<std::size_t>(v / 10) * 9 + static_cast<std::size_t>(v % 10)];
            }
        }
    }
    for (int cw = 1; cw <= codewords; ++cw) {
        for (int bit = 1; bit <= 8; ++bit) {
            ASSERT_EQ(seen[static_cast<std::size_t>(cw) * 9 + static_cast<std::size_t>(bit)], 1)
                << "codeword " << cw << " bit " << bit;
        }
    }
    const int nrow = grid.rows();
    const int ncol = grid.columns();
    EXPECT_EQ(fixed, expected.cornerFill ? 2 : 0);
    EXPECT_EQ(free, expected.cornerFill ? 2 : 0);
    if (expected.cornerFill) {
        EXPECT_EQ(grid.at(nrow - 1, ncol - 1), 1);
        EXPECT_EQ(grid.at(nrow - 2, ncol - 2), 1);
        EXPECT_EQ(grid.at(nrow - 1, ncol - 2), 0);
        EXPECT_EQ(grid.at(nrow - 2, ncol - 1), 0);
    }
    for (int shape = 1; shape <= 4; ++shape) {
        EXPECT_EQ(holdsShape(grid, shape), shape == expected.cornerShape) << "corner shape " << shape;
    }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, EveryFormatWalk, ::testing::ValuesIn(kWalks),
                         [](const auto& info) { return "Format" + std::to_string(info.param.id); });

TEST(PlacementWalk, CodewordBitNumbersFromTheMostSignificant)
{
    EXPECT_EQ(codewordBit(0x80, 1), 1);
    EXPECT_EQ(codewordBit(0x80, 2), 0);
    EXPECT_EQ(codewordBit(0x01, 8), 1);
    EXPECT_EQ(codewordBit(0x01, 7), 0);
    for (int bit = 1; bit <= 8; ++bit) {
        EXPECT_EQ(codewordBit(static_cast<std::uint8_t>(0x80 >> (bit - 1)), bit), 1) << bit;
        EXPECT_EQ(codewordBit(static_cast<std::uint8_t>(~(0x80 >> (bit - 1))), bit), 0) << bit;
    }
}

}  // namespace
}  // namespace korvel
