#include "readback/inflate_comparison.hpp"

#include <algorithm>
#include <array>
#include <cstring>

namespace korvel {
namespace {

constexpr int kMaxCodeLength = 15;
constexpr int kLiteralLengthCodes = 288;
constexpr int kDistanceCodes = 32;
constexpr int kEndOfBlock = 256;

constexpr std::array<std::uint16_t, 29> kLengthBase{3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                     31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                    2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> kDistanceBase{1,   2,   3,   4,   5,   7,    9,    13,   17,   25,
                                                      33,  49,  65,  97,  129, 193,  257,  385,  513,  769,
                                                      1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> kDistanceExtra{0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                      6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr std::array<std::uint8_t, 19> kCodeLengthOrder{16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// Bits of the stream, least significant first, as deflate packs them.
class BitReader {
public:
    explicit BitReader(std::span<const std::uint8_t> data) : data_(data) {}

    // Holds at least 56 bits when that many are left: eight bytes are
    // loaded at once and only the whole bytes that fit are counted (the
    // bits above the count are the next bytes' own, loaded again later).
    void refill() noexcept
    {
        if (data_.size() - at_ >= 8) {
            std::uint64_t word = 0;
            for (std::size_t k = 0; k < 8; ++k) {
                word |= std::uint64_t{data_[at_ + k]} << (8 * k);  // one load where bytes are little-endian
            }
            bits_ |= word << count_;
            at_ += static_cast<std::size_t>(63 - count_) >> 3;
            count_ |= 56;
            return;
        }
        while (count_ <= 56 && at_ < data_.size()) {
            bits_ |= std::uint64_t{data_[at_++]} << count_;
            count_ += 8;
        }
    }
    [[nodiscard]] int count() const noexcept { return count_; }
    [[nodiscard]] std::uint32_t peek(int n) const noexcept
    {
        return static_cast<std::uint32_t>(bits_ & ((std::uint64_t{1} << n) - 1));
    }
    void drop(int n) noexcept
    {
        bits_ >>= n;
        count_ -= n;
    }
    // The next `n` (at most 16) bits, or -1 at the end of the data. (Plain
    // integers, not std::optional, keep these hot paths in registers.)
    std::int32_t take(int n) noexcept
    {
        if (count_ < n) {
            refill();
            if (count_ < n) {
                return -1;
            }
        }
        const auto value = static_cast<std::int32_t>(peek(n));
        drop(n);
        return value;
    }
    // Skips to the next whole byte.
    void align() noexcept { drop(count_ % 8); }
    // Bytes of the data used, counting only whole bytes of the bits held.
    [[nodiscard]] std::size_t used() const noexcept { return at_ - static_cast<std::size_t>(count_ / 8); }

private:
    std::span<const std::uint8_t> data_;
    std::size_t at_ = 0;
    std::uint64_t bits_ = 0;
    int count_ = 0;
};

// A canonical Huffman code: a table for codes of up to kFastBits bits,
// counted decoding for longer ones.
class HuffmanCode {
public:
    static constexpr int kFastBits = 9;

    // False for lengths that zlib refuses: an over-subscribed set, or an
    // incomplete one other than a single code of one bit.
    bool build(std::span<const std::uint8_t> lengths)
    {
        count_.fill(0);
        for (const std::uint8_t length : lengths) {
            if (length != 0) {  // most symbols are unused: counting them would chain every increment through one slot
                ++count_[length];
            }
        }
        int left = 1;
        int longest = 0;
        for (int length = 1; length <= kMaxCodeLength; ++length) {
            left = 2 * left - count_[static_cast<std::size_t>(length)];
            if (left < 0) {
                return false;
            }
            longest = count_[static_cast<std::size_t>(length)] > 0 ? length : longest;
        }
        if (left > 0 && longest > 1) {
            return false;  // a set with no code at all is taken, and fails at its first use
        }
        std::array<std::uint16_t, kMaxCodeLength + 2> offset{};
        for (int length = 1; length <= kMaxCodeLength; ++length) {
            offset[static_cast<std::size_t>(length) + 1] =
                static_cast<std::uint16_t>(offset[static_cast<std::size_t>(length)] + count_[static_cast<std::size_t>(length)]);
        }
        for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol) {
            if (lengths[symbol] != 0) {
                symbols_[offset[lengths[symbol]]++] = static_cast<std::uint16_t>(symbol);
            }
        }
        fillFastTable(lengths);
        return true;
    }

    // The next symbol, or -1 when the bits left hold no code.
    int decode(BitReader& in) const noexcept
    {
        if (in.count() < kMaxCodeLength) {
            in.refill();
        }
        const std::uint16_t entry = fast_[in.peek(kFastBits)];
        const int length = entry & 0xF;
        if (entry != 0 && length <= in.count()) {
            in.drop(length);
            return entry >> 4;
        }
        return decodeCounted(in);
    }

private:
    // Each code of up to kFastBits bits fills every table index whose low
    // bits are the code, read in stream order.
    void fillFastTable(std::span<const std::uint8_t> lengths)
    {
        fast_.fill(0);
        std::array<std::uint32_t, kMaxCodeLength + 1> next{};
        std::uint32_t code = 0;
        for (int length = 1; length <= kMaxCodeLength; ++length) {
            code = (code + count_[static_cast<std::size_t>(length) - 1]) << 1;
            next[static_cast<std::size_t>(length)] = code;
        }
        for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol) {
            const int length = lengths[symbol];
            if (length == 0) {
                continue;
            }
            const std::uint32_t value = next[static_cast<std::size_t>(length)]++;
            if (length > kFastBits) {
                continue;
            }
            std::uint32_t reversed = 0;
            for (int k = 0; k < length; ++k) {
                reversed |= ((value >> k) & 1U) << (length - 1 - k);
            }
            for (std::uint32_t index = reversed; index < fast_.size(); index += 1U << length) {
                fast_[index] = static_cast<std::uint16_t>(symbol << 4 | static_cast<std::uint32_t>(length));
            }
        }
    }

    // Codes longer than the table's, bit by bit (rare: kept out of line so
    // that decode() stays small enough to inline).
    [[gnu::noinline]] int decodeCounted(BitReader& in) const noexcept
    {
        int code = 0;
        int first = 0;
        int index = 0;
        for (int length = 1; length <= kMaxCodeLength; ++length) {
            const int bit = in.take(1);
            if (bit < 0) {
                return -1;
            }
            code |= bit;
            const int count = count_[static_cast<std::size_t>(length)];
            if (code - first < count) {
                return symbols_[static_cast<std::size_t>(index + code - first)];
            }
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        return -1;
    }

    std::array<std::uint16_t, kMaxCodeLength + 1> count_{};
    std::array<std::uint16_t, kLiteralLengthCodes> symbols_{};
    std::array<std::uint16_t, 1U << kFastBits> fast_{};
};

// Inflates against the expected bytes; each step is false at the first
// difference or fault.
class Comparison {
public:
    Comparison(std::span<const std::uint8_t> data, std::size_t window, ExpectedBytes& expected)
        : in_(data), window_(window), expected_(expected)
    {
    }

    bool blocks()
    {
        for (;;) {
            const int header = in_.take(3);
            if (header < 0) {
                return false;
            }
            bool read = false;
            switch (header >> 1) {
            case 0: read = storedBlock(); break;
            case 1: read = fixedBlock(); break;
            case 2: read = dynamicBlock(); break;
            default: return false;
            }
            if (!read) {
                return false;
            }
            if ((header & 1) != 0) {
                return position_ == expected_.size();
            }
        }
    }
    BitReader& input() noexcept { return in_; }

private:
    // Makes the expected bytes reach past `position`, starting a stretch
    // with the stream's byte `first` there when they end at it.
    bool reach(std::uint8_t first, std::size_t position)
    {
        return position < expected_.made() || (expected_.extend(first) && position < expected_.made());
    }

    bool literal(std::uint8_t byte, std::size_t& position)
    {
        if ((position >= expected_.made() && !reach(byte, position)) || expected_.bytes()[position] != byte) {
            return false;
        }
        ++position;
        return true;
    }

    // Whether n bytes at `a` equal those at `b`; short runs (most matches)
    // without a library call.
    static bool same(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) noexcept
    {
        if (n > 64) {
            return std::memcmp(a, b, n) == 0;
        }
        std::uint64_t differ = 0;
        std::size_t k = 0;
        for (; k + 8 <= n; k += 8) {
            std::uint64_t x = 0;
            std::uint64_t y = 0;
            std::memcpy(&x, a + k, 8);
            std::memcpy(&y, b + k, 8);
            differ |= x ^ y;
        }
        for (; k < n; ++k) {
            differ |= static_cast<std::uint64_t>(a[k] ^ b[k]);
        }
        return differ == 0;
    }

    // A copy of `length` bytes from `distance` back: the bytes there equal
    // the expected ones (compared already), so the copy is right when the
    // expected bytes repeat at that distance.
    bool match(std::size_t length, std::size_t distance, std::size_t& position)
    {
        if (distance > position || distance > window_ || length > expected_.size() - position) {
            return false;
        }
        while (length > 0) {
            if (position >= expected_.made() && !reach(expected_.bytes()[position - distance], position)) {
                return false;
            }
            const std::size_t n = std::min(length, expected_.made() - position);
            const std::uint8_t* here = expected_.bytes() + position;
            if (!same(here, here - distance, n)) {
                return false;
            }
            position += n;
            length -= n;
        }
        return true;
    }

    bool storedBlock()
    {
        in_.align();
        const int length = in_.take(16);
        const int complement = in_.take(16);
        if (length < 0 || complement < 0 || (length ^ 0xFFFF) != complement) {
            return false;
        }
        for (int k = 0; k < length; ++k) {
            const int byte = in_.take(8);
            if (byte < 0 || !literal(static_cast<std::uint8_t>(byte), position_)) {
                return false;
            }
        }
        return true;
    }

    bool fixedBlock()
    {
        if (!fixedBuilt_) {
            std::array<std::uint8_t, kLiteralLengthCodes> lengths{};
            std::fill_n(lengths.begin(), 144, 8);
            std::fill(lengths.begin() + 144, lengths.begin() + 256, 9);
            std::fill(lengths.begin() + 256, lengths.begin() + 280, 7);
            std::fill(lengths.begin() + 280, lengths.end(), 8);
            std::array<std::uint8_t, kDistanceCodes> distances{};
            distances.fill(5);
            fixedBuilt_ = fixedLiterals_.build(lengths) && fixedDistances_.build(distances);
        }
        return fixedBuilt_ && codes(fixedLiterals_, fixedDistances_);
    }

    bool dynamicBlock()
    {
        const int literalCount = in_.take(5);
        const int distanceCount = in_.take(5);
        const int lengthCount = in_.take(4);
        if (literalCount < 0 || distanceCount < 0 || lengthCount < 0 || literalCount + 257 > 286 ||
            distanceCount + 1 > 30) {
            return false;
        }
        std::array<std::uint8_t, 19> codeLengths{};
        for (std::size_t k = 0; k < static_cast<std::size_t>(lengthCount) + 4; ++k) {
            const int length = in_.take(3);
            if (length < 0) {
                return false;
            }
            codeLengths[kCodeLengthOrder[k]] = static_cast<std::uint8_t>(length);
        }
        HuffmanCode lengthCode;
        if (!lengthCode.build(codeLengths) || !completeCodeLengths(codeLengths)) {
            return false;
        }
        const auto literals = static_cast<std::size_t>(literalCount) + 257;
        const std::size_t total = literals + static_cast<std::size_t>(distanceCount) + 1;
        std::array<std::uint8_t, kLiteralLengthCodes + kDistanceCodes> lengths{};
        for (std::size_t k = 0; k < total;) {
            const int symbol = lengthCode.decode(in_);
            if (symbol < 0) {
                return false;
            }
            if (symbol < 16) {
                lengths[k++] = static_cast<std::uint8_t>(symbol);
                continue;
            }
            if (symbol == 16 && k == 0) {
                return false;
            }
            const std::uint8_t value = symbol == 16 ? lengths[k - 1] : 0;
            const int extra = in_.take(symbol == 16 ? 2 : symbol == 17 ? 3 : 7);
            if (extra < 0) {
                return false;
            }
            const auto repeat = static_cast<std::size_t>(extra + (symbol == 18 ? 11 : 3));
            if (k + repeat > total) {
                return false;
            }
            std::fill_n(lengths.begin() + static_cast<std::ptrdiff_t>(k), repeat, value);
            k += repeat;
        }
        if (lengths[kEndOfBlock] == 0) {
            return false;
        }
        HuffmanCode literalCode;
        HuffmanCode distanceCode;
        return literalCode.build(std::span(lengths.data(), literals)) &&
               distanceCode.build(std::span(lengths.data() + literals, total - literals)) &&
               codes(literalCode, distanceCode);
    }

    // zlib takes no incomplete code for the code lengths, not even one of a single code.
    static bool completeCodeLengths(const std::array<std::uint8_t, 19>& lengths)
    {
        int left = 1;
        for (int length = 1; length <= 7; ++length) {
            left = 2 * left - static_cast<int>(std::count(lengths.begin(), lengths.end(), length));
        }
        return left == 0;
    }

    // The symbols of one block, up to its end. The bit reader and the
    // position are locals here, so that they stay in registers.
    bool codes(const HuffmanCode& literals, const HuffmanCode& distances)
    {
        BitReader in = in_;
        std::size_t position = position_;
        const bool ended = codes(literals, distances, in, position);
        in_ = in;
        position_ = position;
        return ended;
    }

    bool codes(const HuffmanCode& literals, const HuffmanCode& distances, BitReader& in, std::size_t& position)
    {
        for (;;) {
            const int symbol = literals.decode(in);
            if (symbol < kEndOfBlock) {
                if (symbol < 0 || !literal(static_cast<std::uint8_t>(symbol), position)) {
                    return false;
                }
                continue;
            }
            if (symbol == kEndOfBlock) {
                return true;
            }
            const auto lengthIndex = static_cast<std::size_t>(symbol - 257);
            if (lengthIndex >= kLengthBase.size()) {
                return false;
            }
            const int lengthExtra = in.take(kLengthExtra[lengthIndex]);
            const int distanceSymbol = distances.decode(in);
            if (lengthExtra < 0 || distanceSymbol < 0 || static_cast<std::size_t>(distanceSymbol) >= kDistanceBase.size()) {
                return false;
            }
            const auto distanceIndex = static_cast<std::size_t>(distanceSymbol);
            const int distanceExtra = in.take(kDistanceExtra[distanceIndex]);
            if (distanceExtra < 0 ||
                !match(kLengthBase[lengthIndex] + static_cast<std::size_t>(lengthExtra),
                       kDistanceBase[distanceIndex] + static_cast<std::size_t>(distanceExtra), position)) {
                return false;
            }
        }
    }

    BitReader in_;
    std::size_t window_;
    ExpectedBytes& expected_;
    std::size_t position_ = 0;
    bool fixedBuilt_ = false;
    HuffmanCode fixedLiterals_;
    HuffmanCode fixedDistances_;
};

}  // namespace

ExpectedBytes::ExpectedBytes(std::size_t size) : size_(size), bytes_(std::make_unique_for_overwrite<std::uint8_t[]>(size))
{
}

std::uint8_t* ExpectedBytes::append(std::size_t count) noexcept
{
    std::uint8_t* at = bytes_.get() + made_;
    made_ += count;
    return at;
}

bool inflatesTo(std::span<const std::uint8_t> stream, ExpectedBytes& expected)
{
    // The zlib header: deflate with a window of at most 32 KiB, a valid
    // check value and no preset dictionary.
    if (stream.size() < 6 || (stream[0] & 0xF) != 8 || (stream[0] >> 4) > 7 ||
        ((stream[0] << 8) | stream[1]) % 31 != 0 || (stream[1] & 0x20) != 0) {
        return false;
    }
    const std::size_t window = std::size_t{1} << ((stream[0] >> 4) + 8);
    Comparison comparison(stream.subspan(2), window, expected);
    if (!comparison.blocks()) {
        return false;
    }
    BitReader& in = comparison.input();
    in.align();
    std::uint32_t adler = 0;
    for (int k = 0; k < 4; ++k) {
        const int byte = in.take(8);
        if (byte < 0) {
            return false;
        }
        adler = adler << 8 | static_cast<std::uint32_t>(byte);
    }
    return adler == expected.adler() && 2 + in.used() == stream.size();
}

}  // namespace korvel
