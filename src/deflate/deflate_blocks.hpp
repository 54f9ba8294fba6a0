#pragma once
// A deflate (RFC 1951) block writer for callers that find their own matches:
// they hand it literals and matches, it collects them into blocks and codes
// each block with Huffman codes fitted to it, or with deflate's fixed codes
// when those come out shorter. A phrase (a sequence of literals and matches
// recorded once) can be repeated any number of times at the cost of one
// entry: its bits are worked out once per block and copied.

#include <array>
#include <bit>
#include <cstdint>
#include <utility>
#include <vector>

namespace korvel {

class DeflateBlocks {
public:
    static constexpr std::uint32_t kMinMatch = 3;
    static constexpr std::uint32_t kMaxMatch = 258;
    static constexpr std::uint32_t kMaxDistance = 32768;
    static constexpr std::size_t kLiteralLengthSymbols = 286;
    static constexpr std::size_t kDistanceSymbols = 30;
    static constexpr std::uint32_t kFirstLengthSymbol = 257;

    // A match length or distance as deflate codes it: a symbol (lengths
    // counted from kFirstLengthSymbol) and the value of its extra bits.
    struct Code {
        std::uint32_t symbol;
        std::uint32_t extra;
    };
    [[nodiscard]] static constexpr unsigned lengthExtraBits(std::uint32_t symbol)
    {
        return symbol < 8 || symbol == 28 ? 0 : (symbol - 4) / 4;
    }
    [[nodiscard]] static constexpr unsigned distanceExtraBits(std::uint32_t symbol)
    {
        return symbol < 4 ? 0 : symbol / 2 - 1;
    }
    [[nodiscard]] static constexpr Code distanceCode(std::uint32_t distance)
    {
        const std::uint32_t v = distance - 1;
        if (v < 4) {
            return {v, 0};
        }
        const auto top = static_cast<std::uint32_t>(std::bit_width(v)) - 1;
        return {2 * top + ((v >> (top - 1)) & 1U), v & ((1U << (top - 1)) - 1)};
    }

    // Compressed bytes are appended to `out` whenever a block is complete.
    explicit DeflateBlocks(std::vector<std::uint8_t>& out);

    // Throw std::bad_alloc.
    void literal(std::uint8_t byte)
    {
        if (!recording_) {
            ++frequencies_.literalLength[byte];
        }
        add(byte);
    }
    // length kMinMatch..kMaxMatch, distance 1..kMaxDistance and within what
    // came before.
    void match(std::uint32_t length, std::uint32_t distance)
    {
        const Code lengthCode = kLengthCodes[length];
        const Code distance_ = distanceCode(distance);
        if (!recording_) {
            ++frequencies_.literalLength[kFirstLengthSymbol + lengthCode.symbol];
            ++frequencies_.distance[distance_.symbol];
        }
        add(kMatchTag | lengthCode.symbol | (lengthCode.extra << 5) | (distance_.symbol << 10) |
            (distance_.extra << 15));
    }

    // Between beginPhrase and endPhrase, literals and matches make up the
    // phrase instead of going out; a new phrase replaces the old one.
    void beginPhrase();
    void endPhrase();
    void repeatPhrase(std::uint64_t count);

    // Writes the last block and fills its last byte.
    void finish();

private:
    // A literal is its byte. A match is tagged and holds its length symbol
    // (bits 0-4) and extra bits (5-9), its distance symbol (10-14) and extra
    // bits (15-27). A repeat of the phrase is tagged and holds the count.
    using Entry = std::uint32_t;
    static constexpr Entry kTagMask = 3U << 30;
    static constexpr Entry kMatchTag = 1U << 30;
    static constexpr Entry kPhraseTag = 2U << 30;
    // Entries per block: enough that the Huffman tables (some 60 to 100
    // bytes) are a small part of a block, few enough to stay in the cache.
    static constexpr std::size_t kBlockEntries = 16384;

    static constexpr std::array<Code, kMaxMatch + 1> kLengthCodes = [] {
        std::array<Code, kMaxMatch + 1> codes{};
        for (std::uint32_t length = kMinMatch; length < kMaxMatch; ++length) {
            const std::uint32_t v = length - kMinMatch;
            const auto top = static_cast<std::uint32_t>(std::bit_width(v | 4U)) - 1;  // 2 for v < 8
            const std::uint32_t extraBits = top - 2;
            codes[length] = v < 8 ? Code{v, 0} : Code{4 * (top - 1) + ((v >> extraBits) & 3U), v & ((1U << extraBits) - 1)};
        }
        codes[kMaxMatch] = {28, 0};
        return codes;
    }();

    struct Frequencies {
        std::array<std::uint64_t, kLiteralLengthSymbols> literalLength{};
        std::array<std::uint64_t, kDistanceSymbols> distance{};
    };

    void add(Entry entry)
    {
        if (recording_) {
            phrase_.push_back(entry);
            return;
        }
        entries_.push_back(entry);
        if (entries_.size() == kBlockEntries) {
            writeBlock(false);
        }
    }
    [[nodiscard]] Frequencies blockFrequencies() const;
    template <class Sink, class Codes>
    void putEntries(Sink& sink, const Codes& codes) const;
    void writeBlock(bool last);

    std::vector<std::uint8_t>& out_;
    std::uint64_t bitBuffer_ = 0;
    unsigned bitCount_ = 0;
    std::vector<Entry> entries_;
    Frequencies frequencies_;
    bool recording_ = false;
    std::vector<Entry> phrase_;
    // The phrase's symbols with their counts, literal/length symbols first,
    // then distance symbols numbered on from kLiteralLengthSymbols.
    std::vector<std::pair<std::size_t, std::uint64_t>> phraseSymbols_;
    std::uint64_t phraseRepeats_ = 0;  // in the current block
};

}  // namespace korvel
