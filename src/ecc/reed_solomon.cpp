#include "ecc/reed_solomon.hpp"

#include <vector>

namespace korvel {
namespace {

using GeneratorTable = std::array<GeneratorCoefficients, kMaxErrorCodewordsPerBlock + 1>;

// Each generator extends the one of the degree below, so the whole table takes
// one multiplication per coefficient (building each degree from scratch would
// exceed the constant-evaluation budget of some compilers).
constexpr GeneratorTable buildGeneratorTable()
{
    GeneratorTable table{};
    table[0][0] = 1;
    for (std::size_t n = 1; n < table.size(); ++n) {
        table[n] = multiplyByRoot(table[n - 1], n);
    }
    return table;
}

constexpr GeneratorTable kGenerators = buildGeneratorTable();

static_assert(kFieldTables.antilog[0] == 1 && kFieldTables.antilog[255] == 1 && kFieldTables.antilog[8] == 45);
static_assert(kFieldTables.log[1] == 0 && kFieldTables.log[2] == 1);
static_assert(kGenerators[5][0] == 228 && kGenerators[5][1] == 48 && kGenerators[5][2] == 15 &&
              kGenerators[5][3] == 111 && kGenerators[5][4] == 62 && kGenerators[5][5] == 1);
static_assert(kGenerators[kMaxErrorCodewordsPerBlock] == buildGenerator(kMaxErrorCodewordsPerBlock));

constexpr std::int32_t kLargestSquareFormat = 24;

// Where error codeword column of block b (1-based) sits within each group of
// blockCount error codewords. The 144 x 144 format puts blocks 9 and 10 first.
std::size_t errorColumn(const SymbolFormat& format, std::size_t block)
{
    if (format.id == kLargestSquareFormat) {
        return block <= 8 ? block + 1 : block - 9;
    }
    return block - 1;
}

}  // namespace

std::span<const std::uint8_t> generatorPolynomial(std::size_t n) noexcept
{
    return {kGenerators[n].data(), n + 1};
}

void encodeBlock(std::span<const std::uint8_t> data, std::span<const std::uint8_t> generator,
                 std::span<std::uint8_t> errorOut) noexcept
{
    const std::size_t n = generator.size() - 1;
    std::array<std::uint8_t, kMaxErrorCodewordsPerBlock> r{};
    for (const std::uint8_t d : data) {
        const auto f = static_cast<std::uint8_t>(d ^ r[n - 1]);
        for (std::size_t j = n - 1; j > 0; --j) {
            r[j] = static_cast<std::uint8_t>(r[j - 1] ^ gfMultiply(generator[j], f));
        }
        r[0] = gfMultiply(generator[0], f);
    }
    for (std::size_t j = 0; j < n; ++j) {
        errorOut[j] = r[n - 1 - j];
    }
}

bool appendErrorCorrection(const SymbolFormat& format, CodewordString& codewords)
{
    const std::size_t dataCount = format.dataCodewords;
    const std::size_t blocks = format.blockCount;
    const std::size_t n = format.errorCodewords / blocks;
    codewords.resize(dataCount + format.errorCodewords, 0);

    const auto generator = generatorPolynomial(n);
    std::vector<std::uint8_t> blockData;
    blockData.reserve(dataCount / blocks + 1);
    std::array<std::uint8_t, kMaxErrorCodewordsPerBlock> errors{};
    for (std::size_t b = 1; b <= blocks; ++b) {
        blockData.clear();
        for (std::size_t pos = b - 1; pos < dataCount; pos += blocks) {
            blockData.push_back(codewords[pos]);
        }
        encodeBlock(blockData, generator, std::span(errors.data(), n));
        const std::size_t column = errorColumn(format, b);
        for (std::size_t j = 0; j < n; ++j) {
            codewords[dataCount + j * blocks + column] = errors[j];
        }
    }
    return true;
}

}  // namespace korvel
