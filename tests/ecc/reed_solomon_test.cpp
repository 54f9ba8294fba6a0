#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ecc/reed_solomon.hpp"
#include "korvel/data_matrix_barcode.hpp"

namespace korvel {
namespace {

using enum EncodingMode;


// GF(256) with the field polynomial 301, by shift and add: independent of
// the tables under test.
std::uint8_t multiply(std::uint8_t a, std::uint8_t b)
{
    unsigned product = 0;
    unsigned x = a;
    for (unsigned y = b; y != 0; y >>= 1) {
        if (y & 1U) {
            product ^= x;
        }
        x <<= 1;
        if (x & 0x100U) {
            x ^= 301U;
        }
    }
    return static_cast<std::uint8_t>(product);
}

std::uint8_t alphaPower(int exponent)
{
    std::uint8_t value = 1;
    for (int i = 0; i < exponent; ++i) {
        value = multiply(value, 2);
    }
    return value;
}

// The codeword polynomial (first codeword = highest degree) at x.
std::uint8_t evaluate(const std::vector<std::uint8_t>& codeword, std::uint8_t x)
{
    std::uint8_t sum = 0;
    for (const std::uint8_t c : codeword) {
        sum = static_cast<std::uint8_t>(multiply(sum, x) ^ c);
    }
    return sum;
}

const SymbolFormat& format(int id) { return formatTable[static_cast<std::size_t>(id - 1)]; }

// Which block's error codewords stand in each column of a group of blockCount.
std::vector<int> blockInColumn(const SymbolFormat& f)
{
    if (f.id == 24) {
        return {9, 10, 1, 2, 3, 4, 5, 6, 7, 8};
    }
    std::vector<int> blocks;
    for (int b = 1; b <= f.blockCount; ++b) {
        blocks.push_back(b);
    }
    return blocks;
}

// Reassembles every block from the interleaved string and checks that its
// polynomial vanishes at alpha^1..alpha^n: only then are the error codewords
// the Reed-Solomon check symbols of exactly those data codewords.
void expectValidBlocks(const SymbolFormat& f, const CodewordString& codewords)
{
    ASSERT_EQ(codewords.size(), std::size_t{f.dataCodewords} + f.errorCodewords);
    const int blocks = f.blockCount;
    const int n = f.errorCodewords / blocks;
    const std::vector<int> columns = blockInColumn(f);
    for (int column = 0; column < blocks; ++column) {
        const int b = columns[static_cast<std::size_t>(column)];
        std::vector<std::uint8_t> block;
        for (int pos = b - 1; pos < f.dataCodewords; pos += blocks) {
            block.push_back(codewords[static_cast<std::size_t>(pos)]);
        }
        const std::size_t expectedData = f.dataCodewords / blocks + (b <= f.dataCodewords % blocks ? 1 : 0);
        EXPECT_EQ(block.size(), expectedData) << "block " << b;
        for (int j = 0; j < n; ++j) {
            block.push_back(codewords[static_cast<std::size_t>(f.dataCodewords + j * blocks + column)]);
        }
        for (int i = 1; i <= n; ++i) {
            ASSERT_EQ(evaluate(block, alphaPower(i)), 0) << "format " << f.id << " block " << b << " root " << i;
        }
    }
}

TEST(ReedSolomon, ExampleOf10x10)
{
    CodewordString codewords{142, 164, 186};
    EXPECT_TRUE(appendErrorCorrection(format(1), codewords));
    EXPECT_EQ(codewords, (CodewordString{142, 164, 186, 114, 25, 5, 88, 102}));
}

TEST(ReedSolomon, FieldAndGenerator)
{
    for (unsigned a = 0; a < 256; ++a) {
        for (unsigned b = 0; b < 256; ++b) {
            ASSERT_EQ(gfMultiply(static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b)),
                      multiply(static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b)))
                << a << " * " << b;
        }
    }
    EXPECT_EQ(kFieldTables.antilog[0], 1);
    EXPECT_EQ(kFieldTables.antilog[255], 1);
    EXPECT_EQ(kFieldTables.antilog[8], 45);
    EXPECT_EQ(kFieldTables.log[1], 0);
    EXPECT_EQ(kFieldTables.log[2], 1);

    const auto g5 = generatorPolynomial(5);
    EXPECT_EQ((std::vector<std::uint8_t>(g5.begin(), g5.end())), (std::vector<std::uint8_t>{228, 48, 15, 111, 62, 1}));
    // Every generator in use has exactly the roots alpha^1..alpha^n.
    for (const std::size_t n : {5U, 7U, 10U, 11U, 12U, 14U, 18U, 20U, 24U, 28U, 36U, 42U, 48U, 56U, 62U, 68U}) {
        const auto g = generatorPolynomial(n);
        ASSERT_EQ(g.size(), n + 1);
        EXPECT_EQ(g[n], 1);
        const std::vector<std::uint8_t> highestFirst(g.rbegin(), g.rend());
        for (int i = 1; i <= static_cast<int>(n); ++i) {
            EXPECT_EQ(evaluate(highestFirst, alphaPower(i)), 0) << "n " << n << " root " << i;
        }
        EXPECT_NE(evaluate(highestFirst, alphaPower(static_cast<int>(n) + 1)), 0) << "n " << n;
    }
}

class EveryFormatEcc : public ::testing::TestWithParam<int> {};

TEST_P(EveryFormatEcc, BlocksAreInterleavedAndCorrect)
{
    const SymbolFormat& f = format(GetParam());
    std::mt19937 random(static_cast<unsigned>(f.id));
    std::uniform_int_distribution<int> byte(0, 255);
    CodewordString codewords(f.dataCodewords);
    for (auto& c : codewords) {
        c = static_cast<std::uint8_t>(byte(random));
    }
    const CodewordString data = codewords;
    EXPECT_TRUE(appendErrorCorrection(f, codewords));
    EXPECT_TRUE(std::equal(data.begin(), data.end(), codewords.begin()));
    expectValidBlocks(f, codewords);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, EveryFormatEcc, ::testing::Range(1, 31),
                         [](const auto& info) { return "Format" + std::to_string(info.param); });

// Each call uses the generator of its own format, whatever came before.
TEST(ReedSolomon, SuccessiveFormatsKeepTheirOwnGenerator)
{
    CodewordString large(format(24).dataCodewords, 7);
    EXPECT_TRUE(appendErrorCorrection(format(24), large));
    CodewordString small{142, 164, 186};
    EXPECT_TRUE(appendErrorCorrection(format(1), small));
    EXPECT_EQ(small, (CodewordString{142, 164, 186, 114, 25, 5, 88, 102}));
    CodewordString rectangle(format(25).dataCodewords, 200);
    EXPECT_TRUE(appendErrorCorrection(format(25), rectangle));
    expectValidBlocks(format(25), rectangle);
}

// 1350 ASCII codewords choose 144 x 144 on their own; the error codewords
// are arranged the same as when that format is asked for.
TEST(ReedSolomon, LargestFormatChosenOrPreferredAlike)
{
    DataMatrixBarcode automatic;
    ASSERT_EQ(automatic.setEncodingMode(Ascii), ResultCode::Ok);
    ASSERT_EQ(automatic.setData(std::string(2700, '5')), ResultCode::Ok);
    ASSERT_EQ(automatic.format().id, 24);
    expectValidBlocks(format(24), automatic.codewords());

    DataMatrixBarcode preferred;
    ASSERT_EQ(preferred.suspendUpdates(true), ResultCode::Ok);
    ASSERT_EQ(preferred.setEncodingMode(Ascii), ResultCode::Ok);
    ASSERT_EQ(preferred.setData(std::string(2700, '5')), ResultCode::Ok);
    ASSERT_EQ(preferred.setPreferredFormat(24), ResultCode::Ok);
    ASSERT_EQ(preferred.suspendUpdates(false), ResultCode::Ok);
    EXPECT_EQ(preferred.codewords(), automatic.codewords());
}

}  // namespace
}  // namespace korvel
