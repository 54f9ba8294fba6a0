#include <gtest/gtest.h>

#include <array>
#include <cstdint>
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

// The walk of every format as recorded from this implementation, whose
// symbols libdmtx reads back codeword for codeword in every format from
// 10 x 10 to 16 x 48 but 144 x 144, and zxing-cpp in all of them, the DMRE
// formats 31 to 48 included (tests/round_trip/format_round_trip_readback_test.cpp,
// dmre_round_trip_readback_test.cpp). The entries at the
// top-right, bottom-left and bottom-right corners of the mapping grid show
// the corner shapes and the corner fill (entry 1); the digest (FNV-1a over
// all entries, row by row, four bytes each, lowest first) pins every other
// position.
struct WalkGolden {
    int id;
    std::int32_t topRight;
    std::int32_t bottomLeft;
    std::int32_t bottomRight;
    std::uint64_t digest;
};

constexpr std::array<WalkGolden, kFormatCount + kDmreFormatCount> kWalks{{
    {1, 45, 77, 76, 0xf8bced1e8de8a765ULL},
    {2, 12, 33, 1, 0xe2181bf2c5346345ULL},
    {3, 85, 81, 76, 0xf5cc5ebe7ae6d785ULL},
    {4, 87, 83, 1, 0x6635e412dad24285ULL},
    {5, 155, 227, 226, 0xd593d69222db77daULL},
    {6, 12, 33, 1, 0x876f15753ce79de6ULL},
    {7, 235, 231, 226, 0xddf5857bfd19df4eULL},
    {8, 237, 233, 1, 0x86fa7b37b782eecbULL},
    {9, 345, 457, 456, 0xe82e1764173d9923ULL},
    {10, 465, 461, 456, 0x48ff13f7881c2274ULL},
    {11, 615, 767, 766, 0x22f07eb78d884e69ULL},
    {12, 775, 771, 766, 0xab8a44dc7bb67768ULL},
    {13, 965, 1157, 1156, 0x172df701357c304fULL},
    {14, 1165, 1161, 1156, 0x682472abe89ee451ULL},
    {15, 1395, 1627, 1626, 0x86ccb2fda4a079d6ULL},
    {16, 1905, 2177, 2176, 0xb9ad5dd7fc850cedULL},
    {17, 2495, 2807, 2806, 0x15ae963b26362f7dULL},
    {18, 3165, 3517, 3516, 0x2f6578a4e1679f09ULL},
    {19, 3915, 4307, 4306, 0x05ae95c8646ad01eULL},
    {20, 4745, 5177, 5176, 0x4a52b3b0c746fd07ULL},
    {21, 5655, 6127, 6126, 0xd5583f79b456ded5ULL},
    {22, 7165, 7161, 7156, 0xa7f2b9c467933c9cULL},
    {23, 8865, 9457, 9456, 0xaba159cafb3c4d4dULL},
    {24, 10735, 10731, 10726, 0x3164f8a3ba163ce9ULL},
    {25, 75, 71, 72, 0xb961ae55325e1b65ULL},
    {26, 15, 13, 218, 0x8430300f93bfb8ddULL},
    {27, 235, 33, 308, 0x4ae142a774422a96ULL},
    {28, 335, 33, 408, 0xc66e9f55781eca86ULL},
    {29, 225, 221, 222, 0x1196304b938b4fc3ULL},
    {30, 85, 83, 778, 0xe123a030acbddbecULL},
    {31, 15, 13, 338, 0xa775367be0b60c5aULL},
    {32, 75, 71, 72, 0x0f82dcd3c10cb446ULL},
    {33, 75, 71, 72, 0xd3be02efb035cd4bULL},
    {34, 75, 71, 72, 0x8f0e37d6d7013acbULL},
    {35, 15, 13, 818, 0x601173577c4529e4ULL},
    {36, 15, 13, 998, 0x15b13e354920dcfcULL},
    {37, 635, 33, 708, 0xd392b6275f151023ULL},
    {38, 935, 33, 1008, 0x9c20351d2e9068f4ULL},
    {39, 225, 221, 222, 0x56790bda45898db0ULL},
    {40, 505, 33, 728, 0xc9752a2265327b37ULL},
    {41, 685, 33, 908, 0xa7d0c0f82c98a624ULL},
    {42, 1045, 33, 1268, 0x98855af473f7b8e1ULL},
    {43, 235, 231, 226, 0xd9f40551c8b1604dULL},
    {44, 235, 233, 1218, 0x4b92cace6bf66859ULL},
    {45, 455, 451, 452, 0x1ffa9c30b12d460cULL},
    {46, 237, 457, 234, 0x2594bcc4810a438dULL},
    {47, 237, 457, 234, 0x55cacff5cc4f2df1ULL},
    {48, 1305, 457, 456, 0x4d53912b436231f0ULL},
}};

std::uint64_t digest(const PlacementGrid& grid)
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (int row = 0; row < grid.rows(); ++row) {
        for (int col = 0; col < grid.columns(); ++col) {
            const auto entry = static_cast<std::uint32_t>(grid.at(row, col));
            for (int shift = 0; shift < 32; shift += 8) {
                hash = (hash ^ ((entry >> shift) & 0xFFU)) * 1099511628211ULL;
            }
        }
    }
    return hash;
}

void PrintTo(const WalkGolden& w, std::ostream* os) { *os << "format " << w.id; }

class EveryFormatWalk : public ::testing::TestWithParam<WalkGolden> {};

TEST_P(EveryFormatWalk, PlacesEachBitOfEachCodewordOnceWhereRecorded)
{
    const WalkGolden& expected = GetParam();
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
    EXPECT_EQ(grid.at(0, ncol - 1), expected.topRight);
    EXPECT_EQ(grid.at(nrow - 1, 0), expected.bottomLeft);
    EXPECT_EQ(grid.at(nrow - 1, ncol - 1), expected.bottomRight);
    EXPECT_EQ(digest(grid), expected.digest);

    // A corner the walk leaves free: two dark and two light modules.
    const bool cornerFill = expected.bottomRight == 1;
    EXPECT_EQ(fixed, cornerFill ? 2 : 0);
    EXPECT_EQ(free, cornerFill ? 2 : 0);
    if (cornerFill) {
        EXPECT_EQ(grid.at(nrow - 2, ncol - 2), 1);
        EXPECT_EQ(grid.at(nrow - 1, ncol - 2), 0);
        EXPECT_EQ(grid.at(nrow - 2, ncol - 1), 0);
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
