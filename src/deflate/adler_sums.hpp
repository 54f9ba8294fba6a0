#pragma once
// Adler-32 (RFC 1950) of data made of repeated pieces, without reading the
// data. Over bytes x(1)..x(n) Adler-32 keeps A = 1 + sum x(j) and
// B = n + sum (n - j + 1) x(j), both modulo 65521. Appending a piece of L
// bytes with byte sum S and weighted sum W = sum (L - j + 1) x(j) makes
// A' = A + S and B' = B + L A + W; appending it k times in a row adds
// k S to A and k L A + k W + S L k (k - 1) / 2 to B.

#include <cstdint>

namespace korvel {

class AdlerSums {
public:
    // k copies of a piece given by its length and its two sums (any size;
    // they are reduced here).
    void appendRepeated(std::uint64_t length, std::uint64_t sum, std::uint64_t weightedSum, std::uint64_t k) noexcept
    {
        reduce();
        const std::uint64_t l = length % kBase;
        const std::uint64_t s = sum % kBase;
        const std::uint64_t w = weightedSum % kBase;
        const std::uint64_t kk = k % kBase;
        // k (k - 1) / 2 without overflow
        const std::uint64_t pairs = k % 2 == 0 ? (k / 2 % kBase) * ((k + kBase - 1) % kBase) % kBase
                                               : kk * ((k - 1) / 2 % kBase) % kBase;
        b_ = (b_ + kk * (l * a_ % kBase) % kBase + kk * w % kBase + s * l % kBase * pairs) % kBase;
        a_ = (a_ + kk * s) % kBase;
    }

    // `count` copies of three bytes.
    void appendPattern(std::uint8_t first, std::uint8_t second, std::uint8_t third, std::uint64_t count) noexcept
    {
        const std::uint64_t sum = std::uint64_t{first} + second + third;
        const std::uint64_t weightedSum = 3U * first + 2U * second + third;
        if (count >= kShortRun) {
            appendRepeated(3, sum, weightedSum, count);
            return;
        }
        appendPiece(3 * count, count * sum, count * weightedSum + 3 * sum * (count * (count - 1) / 2));
    }

    // `count` copies of one byte.
    void appendRun(std::uint8_t byte, std::uint64_t count) noexcept
    {
        if (count >= kShortRun) {
            appendRepeated(1, byte, byte, count);
            return;
        }
        appendPiece(count, count * byte, byte * (count * (count + 1) / 2));
    }

    void appendByte(std::uint8_t byte) noexcept { appendPiece(1, byte, byte); }

    [[nodiscard]] std::uint32_t value() const noexcept
    {
        return static_cast<std::uint32_t>(((b_ % kBase) << 16) | (a_ % kBase));
    }

private:
    static constexpr std::uint64_t kBase = 65521;
    // Runs shorter than this are one piece whose sums stay within the bounds
    // of appendPiece.
    static constexpr std::uint64_t kShortRun = std::uint64_t{1} << 22;
    static constexpr std::uint64_t kReduceAAbove = std::uint64_t{1} << 32;
    static constexpr std::uint64_t kReduceBAbove = std::uint64_t{1} << 62;

    // One piece: length below 2^26, sum below 2^32, weightedSum below 2^60.
    // A and B are reduced only when they grow large, which keeps L A below
    // 2^58 and B below 2^63.
    void appendPiece(std::uint64_t length, std::uint64_t sum, std::uint64_t weightedSum) noexcept
    {
        b_ += length * a_ + weightedSum;
        a_ += sum;
        if (a_ >= kReduceAAbove) {
            a_ %= kBase;
        }
        if (b_ >= kReduceBAbove) {
            b_ %= kBase;
        }
    }

    void reduce() noexcept
    {
        a_ %= kBase;
        b_ %= kBase;
    }

    std::uint64_t a_ = 1;  // both reduced modulo kBase when read
    std::uint64_t b_ = 0;
};

}  // namespace korvel
