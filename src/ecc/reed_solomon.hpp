#pragma once
// Reed-Solomon error correction of ECC 200 over GF(256) with the field
// polynomial 301, and the interleaving of the error codewords of all blocks.
// The field tables and generator polynomials are compile-time constants, so
// encoding shares no mutable state between symbols or threads.

#include <array>
#include <cstdint>
#include <span>

#include "korvel/codeword_string.hpp"
#include "korvel/symbol_format.hpp"

namespace korvel {

inline constexpr std::size_t kMaxErrorCodewordsPerBlock = 68;

// alpha^i for i = 0..510 (doubled so a sum of two logarithms needs no modulo),
// and the logarithm of every non-zero element (log[0] is unused and 0).
struct GaloisFieldTables {
    std::array<std::uint8_t, 511> antilog{};
    std::array<std::uint8_t, 256> log{};
};

[[nodiscard]] constexpr GaloisFieldTables buildFieldTables()
{
    GaloisFieldTables t{};
    int v = 1;
    for (std::size_t i = 0; i < t.antilog.size(); ++i) {
        t.antilog[i] = static_cast<std::uint8_t>(v);
        v *= 2;
        if (v >= 256) {
            v ^= 301;
        }
    }
    // The first i with antilog[i] = v: scanning downwards leaves the smallest.
    for (std::size_t i = 255; i-- > 0;) {
        t.log[t.antilog[i]] = static_cast<std::uint8_t>(i);
    }
    t.log[0] = 0;
    return t;
}

inline constexpr GaloisFieldTables kFieldTables = buildFieldTables();

[[nodiscard]] constexpr std::uint8_t gfMultiply(std::uint8_t a, std::uint8_t b) noexcept
{
    if (a == 0 || b == 0) {
        return 0;
    }
    return kFieldTables.antilog[static_cast<std::size_t>(kFieldTables.log[a]) + kFieldTables.log[b]];
}

// Coefficients g0..gn of (x + alpha^1)(x + alpha^2)...(x + alpha^n); gn is 1.
using GeneratorCoefficients = std::array<std::uint8_t, kMaxErrorCodewordsPerBlock + 1>;

// The generator of one degree more: g times (x + alpha^i), where g has degree i - 1.
[[nodiscard]] constexpr GeneratorCoefficients multiplyByRoot(GeneratorCoefficients g, std::size_t i)
{
    // Shift up one degree and add alpha^i times g.
    for (std::size_t j = i; j > 0; --j) {
        g[j] = static_cast<std::uint8_t>(g[j - 1] ^ gfMultiply(g[j], kFieldTables.antilog[i]));
    }
    g[0] = gfMultiply(g[0], kFieldTables.antilog[i]);
    return g;
}

[[nodiscard]] constexpr GeneratorCoefficients buildGenerator(std::size_t n)
{
    GeneratorCoefficients g{};
    g[0] = 1;
    for (std::size_t i = 1; i <= n; ++i) {
        g = multiplyByRoot(g, i);
    }
    return g;
}

// The generator of degree n (1..68), from a table built at compile time.
[[nodiscard]] std::span<const std::uint8_t> generatorPolynomial(std::size_t n) noexcept;

// Writes the n error codewords of k data codewords to errorOut, highest degree
// first; `generator` holds g0..gn.
void encodeBlock(std::span<const std::uint8_t> data, std::span<const std::uint8_t> generator,
                 std::span<std::uint8_t> errorOut) noexcept;

// Appends the format's error codewords to exactly `dataCodewords` data
// codewords, interleaved as module placement reads them. Returns true.
bool appendErrorCorrection(const SymbolFormat& format, CodewordString& codewords);

}  // namespace korvel
