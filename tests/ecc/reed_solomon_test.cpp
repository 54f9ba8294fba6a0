#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
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

// Reassembles every block from the interleaved string and checks that, in
// exactly one column of the error codewords, its polynomial vanishes at
// alpha^1..alpha^n: only then are those the Reed-Solomon check symbols of
// exactly its data codewords. Returns the block found in each column.
std::vector<int> blocksInColumns(const SymbolFormat& f, const CodewordString& codewords)
{
    EXPECT_EQ(codewords.size(), std::size_t{f.dataCodewords} + f.errorCodewords);
    const int blocks = f.blockCount;
    const int n = f.errorCodewords / blocks;
    std::vector<int> inColumn(static_cast<std::size_t>(blocks), 0);
    for (int b = 1; b <= blocks; ++b) {
        std::vector<std::uint8_t> data;
        for (int pos = b - 1; pos < f.dataCodewords; pos += blocks) {
            data.push_back(codewords[static_cast<std::size_t>(pos)]);
        }
        const std::size_t expectedData = f.dataCodewords / blocks + (b <= f.dataCodewords % blocks ? 1 : 0);
        EXPECT_EQ(data.size(), expectedData) << "block " << b;
        int found = 0;
        for (int column = 0; column < blocks; ++column) {
            std::vector<std::uint8_t> block = data;
            for (int j = 0; j < n; ++j) {
                block.push_back(codewords[static_cast<std::size_t>(f.dataCodewords + j * blocks + column)]);
            }
            bool roots = true;
            for (int i = 1; i <= n && roots; ++i) {
                roots = evaluate(block, alphaPower(i)) == 0;
            }
            if (roots) {
                ++found;
                inColumn[static_cast<std::size_t>(column)] = b;
            }
        }
        EXPECT_EQ(found, 1) << "format " << f.id << ": block " << b << " is valid in " << found << " columns";
    }
    return inColumn;
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
    const std::vector<int> inColumn = blocksInColumns(f, codewords);
    // Error codewords interleave like the data: block b in column b, except
    // in 144 x 144, whose order LargestFormatErrorCodewords pins.
    if (f.id != 24) {
        for (std::size_t column = 0; column < inColumn.size(); ++column) {
            EXPECT_EQ(inColumn[column], static_cast<int>(column) + 1) << "column " << column;
        }
    }
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
    EXPECT_EQ(blocksInColumns(format(25), rectangle), std::vector<int>{1});
}

// 3116 digits fill 144 x 144 with 1558 digit-pair codewords. Its error
// codewords were recorded from this implementation after zxing-cpp had read
// the symbol back, also with 144 of its modules blotted out: it can only with
// these error codewords in this order (blocks 9 and 10 first). The barcode
// object gives the same codewords whether it chooses the format or is given it.
TEST(ReedSolomon, LargestFormatErrorCodewords)
{
    std::string digits;
    CodewordString codewords;
    for (std::uint32_t k = 0, state = 2024; k < 3116; ++k) {
        state = state * 1664525U + 1013904223U;
        digits += static_cast<char>('0' + (state >> 16) % 10);
        if (k % 2 == 1) {
            codewords.push_back(static_cast<std::uint8_t>(130 + (digits[k - 1] - '0') * 10 + (digits[k] - '0')));
        }
    }
    ASSERT_TRUE(appendErrorCorrection(format(24), codewords));
    const std::vector<int> first(codewords.begin() + 1558, codewords.begin() + 1578);
    const std::vector<int> last(codewords.end() - 10, codewords.end());
    EXPECT_EQ(first, (std::vector<int>{222, 33, 207, 204, 86, 168, 185, 151, 40, 224,
                                       43, 215, 105, 231, 92, 147, 147, 221, 82, 47}));
    EXPECT_EQ(last, (std::vector<int>{110, 4, 255, 241, 7, 96, 148, 49, 90, 172}));
    blocksInColumns(format(24), codewords);

    for (const std::int32_t preferred : {0, 24}) {
        DataMatrixBarcode barcode;
        ASSERT_EQ(barcode.suspendUpdates(true), ResultCode::Ok);
        ASSERT_EQ(barcode.setEncodingMode(Ascii), ResultCode::Ok);
        ASSERT_EQ(barcode.setData(digits), ResultCode::Ok);
        ASSERT_EQ(barcode.setPreferredFormat(preferred), ResultCode::Ok);
        ASSERT_EQ(barcode.suspendUpdates(false), ResultCode::Ok);
        EXPECT_EQ(barcode.format().id, 24);
        EXPECT_EQ(barcode.codewords(), codewords) << "preferred format " << preferred;
    }
}

}  // namespace
}  // namespace korvel
