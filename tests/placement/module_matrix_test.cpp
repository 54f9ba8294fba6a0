#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "korvel/module_matrix.hpp"
#include "korvel/symbol_format.hpp"
#include "placement/placement_walk.hpp"

namespace korvel {
namespace {

const SymbolFormat& format(int id) { return formatTable[static_cast<std::size_t>(id - 1)]; }

ModuleMatrix build(const SymbolFormat& f, std::uint8_t fill)
{
    ModuleMatrix m;
    m.buildMatrix(f, CodewordString(static_cast<std::size_t>(f.dataCodewords + f.errorCodewords), fill));
    return m;
}

// Finder and timing patterns: each region has a solid left and bottom edge,
// a top edge dark on even offsets and a right edge dark on odd offsets.
// Returns -1 for a module inside a data region.
int frameModule(const SymbolFormat& f, int row, int col)
{
    const int r = row % (f.regionRows + 2);
    const int c = col % (f.regionColumns + 2);
    const bool top = r == 0;
    const bool bottom = r == f.regionRows + 1;
    const bool left = c == 0;
    const bool right = c == f.regionColumns + 1;
    if (!top && !bottom && !left && !right) {
        return -1;
    }
    return (left || bottom || (top && c % 2 == 0) || (right && r % 2 == 1)) ? 1 : 0;
}

bool hasCornerFill(int id) { return id == 2 || id == 4 || id == 6 || id == 8; }

class EveryFormatMatrix : public ::testing::TestWithParam<int> {};

// With all codewords 0 only the frames and the corner fill are dark; with
// all codewords 255 every data module is dark but the two light fill modules.
TEST_P(EveryFormatMatrix, FramesAndDataModules)
{
    const SymbolFormat& f = format(GetParam());
    for (const std::uint8_t fill : {std::uint8_t{0}, std::uint8_t{255}}) {
        const ModuleMatrix m = build(f, fill);
        ASSERT_EQ(m.rows(), f.symbolRows);
        ASSERT_EQ(m.columns(), f.symbolColumns);
        ASSERT_EQ(m.modules().size(), std::size_t{f.symbolRows} * f.symbolColumns);
        const int lastRow = f.symbolRows - 2;  // the last data row and column
        const int lastCol = f.symbolColumns - 2;
        int wrong = 0;
        for (int row = 0; row < m.rows(); ++row) {
            for (int col = 0; col < m.columns(); ++col) {
                int want = frameModule(f, row, col);
                if (want < 0) {
                    const bool fillDark = (row == lastRow && col == lastCol) || (row == lastRow - 1 && col == lastCol - 1);
                    const bool fillLight = (row == lastRow && col == lastCol - 1) || (row == lastRow - 1 && col == lastCol);
                    if (hasCornerFill(f.id) && (fillDark || fillLight)) {
                        want = fillDark ? 1 : 0;
                    } else {
                        want = fill == 0 ? 0 : 1;
                    }
                }
                if (m.module(row, col) != want && ++wrong <= 5) {
                    ADD_FAILURE() << "fill " << int{fill} << ": module " << row << "," << col << " is "
                                  << int{m.module(row, col)};
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, EveryFormatMatrix, ::testing::Range(1, 31),
                         [](const auto& info) { return "Format" + std::to_string(info.param); });

std::string rowText(const ModuleMatrix& m, int row)
{
    std::string text;
    for (int col = 0; col < m.columns(); ++col) {
        text += static_cast<char>('0' + m.module(row, col));
    }
    return text;
}

std::string columnText(const ModuleMatrix& m, int col)
{
    std::string text;
    for (int row = 0; row < m.rows(); ++row) {
        text += static_cast<char>('0' + m.module(row, col));
    }
    return text;
}

TEST(ModuleMatrix, FinderAndTimingOf10x10And32x32)
{
    const ModuleMatrix small = build(format(1), 0);
    EXPECT_EQ(columnText(small, 0), "1111111111");
    EXPECT_EQ(rowText(small, 9), "1111111111");
    EXPECT_EQ(rowText(small, 0), "1010101010");
    EXPECT_EQ(columnText(small, 9), "0101010101");

    const ModuleMatrix large = build(format(10), 0);
    EXPECT_EQ(rowText(large, 15), std::string(32, '1'));
    EXPECT_EQ(rowText(large, 16), "10101010101010101010101010101010");
    EXPECT_EQ(columnText(large, 15), "01010101010101010101010101010101");
    EXPECT_EQ(columnText(large, 16), std::string(32, '1'));
}

TEST(ModuleMatrix, CornerFillOf12x12)
{
    const ModuleMatrix m = build(format(2), 0);
    EXPECT_EQ(m.module(10, 10), 1);
    EXPECT_EQ(m.module(9, 9), 1);
    EXPECT_EQ(m.module(9, 10), 0);
    EXPECT_EQ(m.module(10, 9), 0);
}

// Sets only the bit that the walk puts at one mapping position and finds the
// one symbol module that turns dark.
struct MappingCase {
    int format;
    int mappingRow;
    int mappingCol;
    int symbolRow;
    int symbolCol;
};

class MappingPosition : public ::testing::TestWithParam<MappingCase> {};

TEST_P(MappingPosition, LandsInItsDataRegion)
{
    const MappingCase& c = GetParam();
    const SymbolFormat& f = format(c.format);
    PlacementGrid grid(f.mappingRows, f.mappingColumns);
    placeCodewords(grid);
    const std::int32_t v = grid.at(c.mappingRow, c.mappingCol);
    ASSERT_GE(v, 11);
    CodewordString codewords(static_cast<std::size_t>(f.dataCodewords + f.errorCodewords), 0);
    codewords[static_cast<std::size_t>(v / 10 - 1)] = static_cast<std::uint8_t>(0x80 >> (v % 10 - 1));
    ModuleMatrix m;
    m.buildMatrix(f, codewords);
    const ModuleMatrix blank = build(f, 0);
    std::vector<std::pair<int, int>> changed;
    for (int row = 0; row < m.rows(); ++row) {
        for (int col = 0; col < m.columns(); ++col) {
            if (m.module(row, col) != blank.module(row, col)) {
                changed.emplace_back(row, col);
            }
        }
    }
    EXPECT_EQ(changed, (std::vector<std::pair<int, int>>{{c.symbolRow, c.symbolCol}}));
}

INSTANTIATE_TEST_SUITE_P(Cases, MappingPosition,
                         ::testing::Values(MappingCase{1, 0, 0, 1, 1}, MappingCase{1, 2, 6, 3, 7},
                                           MappingCase{1, 4, 0, 5, 1}, MappingCase{10, 14, 0, 17, 1},
                                           MappingCase{10, 13, 14, 14, 17}, MappingCase{16, 27, 41, 30, 46},
                                           MappingCase{24, 22, 22, 25, 25}, MappingCase{24, 131, 131, 142, 142},
                                           MappingCase{26, 0, 14, 1, 17}, MappingCase{30, 13, 43, 14, 46}));

// The most significant bit of codeword 1 of 10 x 10 sits at mapping (2, 6),
// its least significant at (4, 0).
TEST(ModuleMatrix, BitOneIsTheMostSignificant)
{
    for (const auto& [value, row, col] : {std::tuple{0x80, 3, 7}, std::tuple{0x01, 5, 1}}) {
        CodewordString codewords(8, 0);
        codewords[0] = static_cast<std::uint8_t>(value);
        ModuleMatrix m;
        m.buildMatrix(format(1), codewords);
        EXPECT_EQ(m.module(row, col), 1) << value;
        EXPECT_EQ(build(format(1), 0).module(row, col), 0);
    }
}

TEST(ModuleMatrix, RebuildForSmallerFormatHoldsOnlyTheNewSize)
{
    ModuleMatrix m = build(format(24), 255);
    m.buildMatrix(format(1), CodewordString(8, 0));
    EXPECT_EQ(m.rows(), 10);
    EXPECT_EQ(m.columns(), 10);
    EXPECT_EQ(m.modules().size(), 100U);
    EXPECT_EQ(columnText(m, 9), "0101010101");
    EXPECT_EQ(rowText(m, 5), "1000000001");
}

}  // namespace
}  // namespace korvel
