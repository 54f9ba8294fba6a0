#include "deflate/deflate_blocks.hpp"

#include <algorithm>
#include <span>

#include "deflate/huffman_code.hpp"

namespace korvel {
namespace {

constexpr std::uint64_t kMaxPhraseCount = (1U << 30) - 1;
// Entries reserved at first: what a small symbol needs, so that it makes no
// second allocation.
constexpr std::size_t kFirstReserve = 1024;
// Entries of a phrase reserved at first: a repeated row up to some 7000
// pixels wide.
constexpr std::size_t kPhraseReserve = 96;

constexpr std::uint16_t kEndOfBlock = 256;
constexpr unsigned kMaxCodeBits = 15;
constexpr unsigned kMaxCodeLengthBits = 7;
constexpr std::size_t kCodeLengthSymbols = 19;
constexpr std::array<std::uint8_t, kCodeLengthSymbols> kCodeLengthOrder{16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                                        11, 4,  12, 3, 13, 2, 14, 1, 15};

unsigned codeLengthExtraBits(unsigned symbol) { return symbol == 16 ? 2 : symbol == 17 ? 3 : symbol == 18 ? 7 : 0; }

// Code lengths of the two alphabets as the header sends them: with runs of a
// repeated length (16) and of zeros (17, 18).
struct CodeLengthRuns {
    struct Item {
        std::uint8_t symbol;
        std::uint8_t extra;
    };
    std::array<Item, 320> items{};
    std::size_t count = 0;
    std::array<std::uint64_t, kCodeLengthSymbols> frequencies{};

    void add(unsigned symbol, unsigned extra)
    {
        items[count++] = {static_cast<std::uint8_t>(symbol), static_cast<std::uint8_t>(extra)};
        ++frequencies[symbol];
    }

    void addAll(std::span<const std::uint8_t> lengths)
    {
        for (std::size_t i = 0; i < lengths.size();) {
            const unsigned length = lengths[i];
            std::size_t run = 1;
            while (i + run < lengths.size() && lengths[i + run] == length) {
                ++run;
            }
            i += run;
            if (length == 0) {
                for (; run >= 11; run -= std::min<std::size_t>(run, 138)) {
                    add(18, static_cast<unsigned>(std::min<std::size_t>(run, 138) - 11));
                }
                if (run >= 3) {
                    add(17, static_cast<unsigned>(run - 3));
                    run = 0;
                }
            } else {
                add(length, 0);
                for (--run; run >= 3; run -= std::min<std::size_t>(run, 6)) {
                    add(16, static_cast<unsigned>(std::min<std::size_t>(run, 6) - 3));
                }
            }
            for (; run > 0; --run) {
                add(length, 0);
            }
        }
    }
};

// Writes bits, lowest first, into room made for them at the end of a byte
// vector. Bits short of a whole 32 stay in the buffer from block to block.
class StreamBits {
public:
    // At most `bits` more bits will be put.
    StreamBits(std::vector<std::uint8_t>& out, std::uint64_t buffer, unsigned count, std::uint64_t bits)
        : out_(out), buffer_(buffer), count_(count)
    {
        const std::size_t start = out.size();
        out.resize(start + static_cast<std::size_t>((count + bits) / 8) + 8);
        cursor_ = out.data() + start;
    }
    // count <= 32
    void put(std::uint32_t bits, unsigned count)
    {
        buffer_ |= std::uint64_t{bits} << count_;
        count_ += count;
        if (count_ >= 32) {
            cursor_[0] = static_cast<std::uint8_t>(buffer_);
            cursor_[1] = static_cast<std::uint8_t>(buffer_ >> 8);
            cursor_[2] = static_cast<std::uint8_t>(buffer_ >> 16);
            cursor_[3] = static_cast<std::uint8_t>(buffer_ >> 24);
            cursor_ += 4;
            buffer_ >>= 32;
            count_ -= 32;
        }
    }
    // Gives back the bits left over; with `pad` they are written out first,
    // filled up to a whole byte.
    void close(std::uint64_t& buffer, unsigned& count, bool pad)
    {
        for (; pad && count_ > 0; count_ = count_ > 8 ? count_ - 8 : 0) {
            *cursor_++ = static_cast<std::uint8_t>(buffer_);
            buffer_ >>= 8;
        }
        out_.resize(static_cast<std::size_t>(cursor_ - out_.data()));
        buffer = pad ? 0 : buffer_;
        count = count_;
    }

private:
    std::vector<std::uint8_t>& out_;
    std::uint8_t* cursor_;
    std::uint64_t buffer_;
    unsigned count_;
};

// Collects bits as pieces of up to 32, to be copied into a stream later.
class PieceBits {
public:
    struct Piece {
        std::uint32_t bits;
        unsigned count;
    };
    void put(std::uint32_t bits, unsigned count)
    {
        buffer_ |= std::uint64_t{bits} << count_;
        count_ += count;
        if (count_ >= 32) {
            pieces_.push_back({static_cast<std::uint32_t>(buffer_), 32});
            buffer_ >>= 32;
            count_ -= 32;
        }
    }
    [[nodiscard]] std::vector<Piece> close()
    {
        if (count_ > 0) {
            pieces_.push_back({static_cast<std::uint32_t>(buffer_), count_});
        }
        return std::move(pieces_);
    }

private:
    std::vector<Piece> pieces_;
    std::uint64_t buffer_ = 0;
    unsigned count_ = 0;
};


constexpr std::size_t kLiteralLengthSymbols = DeflateBlocks::kLiteralLengthSymbols;
constexpr std::size_t kDistanceSymbols = DeflateBlocks::kDistanceSymbols;

// Huffman codes of one block for both alphabets.
struct BlockCodes {
    std::array<std::uint8_t, kLiteralLengthSymbols> literalLengthBits{};
    std::array<std::uint16_t, kLiteralLengthSymbols> literalLength{};
    std::array<std::uint8_t, kDistanceSymbols> distanceBits{};
    std::array<std::uint16_t, kDistanceSymbols> distance{};

    void makeCodes()
    {
        canonicalCodes(literalLengthBits, literalLength);
        canonicalCodes(distanceBits, distance);
    }

    // A literal (below 256) or a match entry (tagged above bit 27): its
    // length symbol and extra bits in bits 0-9, its distance symbol and
    // extra bits in bits 10-27.
    template <class Sink>
    void put(Sink& sink, std::uint32_t entry) const
    {
        if (entry < 256) {
            sink.put(literalLength[entry], literalLengthBits[entry]);
            return;
        }
        const std::uint32_t lengthSymbol = entry & 0x1FU;
        const std::uint32_t s = DeflateBlocks::kFirstLengthSymbol + lengthSymbol;
        sink.put(literalLength[s] | (((entry >> 5) & 0x1FU) << literalLengthBits[s]),
                 literalLengthBits[s] + DeflateBlocks::lengthExtraBits(lengthSymbol));
        const std::uint32_t d = (entry >> 10) & 0x1FU;
        sink.put(distance[d] | (((entry >> 15) & 0x1FFFU) << distanceBits[d]),
                 distanceBits[d] + DeflateBlocks::distanceExtraBits(d));
    }

};

// Deflate's fixed codes. They are canonical over all 288 literal/length
// symbols (286 and 287 are never sent but have codes), which places the
// 9-bit codes of the literals 144 to 255.
const BlockCodes& fixedCodes()
{
    static const BlockCodes codes = [] {
        constexpr std::size_t kFixedSymbols = 288;
        std::array<std::uint8_t, kFixedSymbols> bits{};
        for (std::size_t s = 0; s < kFixedSymbols; ++s) {
            bits[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
        }
        std::array<std::uint16_t, kFixedSymbols> code{};
        canonicalCodes(bits, code);
        BlockCodes c;
        std::copy_n(bits.begin(), kLiteralLengthSymbols, c.literalLengthBits.begin());
        std::copy_n(code.begin(), kLiteralLengthSymbols, c.literalLength.begin());
        c.distanceBits.fill(5);
        canonicalCodes(c.distanceBits, c.distance);
        return c;
    }();
    return codes;
}

// Codes fitted to one block and what its header sends: how many of each
// alphabet's lengths, the lengths as runs, and the code of those runs.
struct DynamicHeader {
    BlockCodes codes;
    std::size_t literalCodes = kLiteralLengthSymbols;
    std::size_t distanceCodes = kDistanceSymbols;
    CodeLengthRuns runs;
    std::array<std::uint8_t, kCodeLengthSymbols> codeLengthBits{};
    std::size_t codeLengthCodes = kCodeLengthSymbols;
    std::uint64_t headerBits = 0;
};

// Symbols up to the last one with a code; at least `least`.
std::size_t usedSymbols(std::span<const std::uint8_t> bits, std::size_t least = 1)
{
    std::size_t used = bits.size();
    while (used > least && bits[used - 1] == 0) {
        --used;
    }
    return used;
}

DynamicHeader planDynamicHeader(std::span<const std::uint64_t> literalLength, std::span<const std::uint64_t> distance)
{
    DynamicHeader h;
    huffmanLengths(literalLength, kMaxCodeBits, h.codes.literalLengthBits);
    huffmanLengths(distance, kMaxCodeBits, h.codes.distanceBits);
    h.codes.makeCodes();
    h.literalCodes = usedSymbols(h.codes.literalLengthBits);
    h.distanceCodes = usedSymbols(h.codes.distanceBits);
    h.runs.addAll(std::span(h.codes.literalLengthBits).first(h.literalCodes));
    h.runs.addAll(std::span(h.codes.distanceBits).first(h.distanceCodes));
    huffmanLengths(h.runs.frequencies, kMaxCodeLengthBits, h.codeLengthBits);
    h.codeLengthCodes = kCodeLengthSymbols;
    while (h.codeLengthCodes > 4 && h.codeLengthBits[kCodeLengthOrder[h.codeLengthCodes - 1]] == 0) {
        --h.codeLengthCodes;
    }
    h.headerBits = 14 + 3 * h.codeLengthCodes;
    for (std::size_t i = 0; i < h.runs.count; ++i) {
        h.headerBits += h.codeLengthBits[h.runs.items[i].symbol] + codeLengthExtraBits(h.runs.items[i].symbol);
    }
    return h;
}

// Bits of the symbols' codes; their extra bits are the same for any codes.
std::uint64_t symbolBits(std::span<const std::uint64_t> literalLength, std::span<const std::uint64_t> distance,
                         const BlockCodes& codes)
{
    std::uint64_t bits = 0;
    for (std::size_t s = 0; s < kLiteralLengthSymbols; ++s) {
        bits += literalLength[s] * codes.literalLengthBits[s];
    }
    for (std::size_t s = 0; s < kDistanceSymbols; ++s) {
        bits += distance[s] * codes.distanceBits[s];
    }
    return bits;
}

std::uint64_t extraBits(std::span<const std::uint64_t> literalLength, std::span<const std::uint64_t> distance)
{
    std::uint64_t bits = 0;
    for (std::uint32_t s = 0; s + DeflateBlocks::kFirstLengthSymbol < kLiteralLengthSymbols; ++s) {
        bits += literalLength[DeflateBlocks::kFirstLengthSymbol + s] * DeflateBlocks::lengthExtraBits(s);
    }
    for (std::uint32_t s = 0; s < kDistanceSymbols; ++s) {
        bits += distance[s] * DeflateBlocks::distanceExtraBits(s);
    }
    return bits;
}

// The block type's second bit onwards for fitted codes: the alphabets'
// sizes, the code of the code lengths, and the code lengths as its runs.
void writeDynamicHeader(StreamBits& sink, const DynamicHeader& h)
{
    sink.put(2, 2);
    sink.put(static_cast<std::uint32_t>(h.literalCodes - 257), 5);
    sink.put(static_cast<std::uint32_t>(h.distanceCodes - 1), 5);
    sink.put(static_cast<std::uint32_t>(h.codeLengthCodes - 4), 4);
    for (std::size_t i = 0; i < h.codeLengthCodes; ++i) {
        sink.put(h.codeLengthBits[kCodeLengthOrder[i]], 3);
    }
    std::array<std::uint16_t, kCodeLengthSymbols> codeLengthCode{};
    canonicalCodes(h.codeLengthBits, codeLengthCode);
    for (std::size_t i = 0; i < h.runs.count; ++i) {
        const unsigned symbol = h.runs.items[i].symbol;
        sink.put(codeLengthCode[symbol], h.codeLengthBits[symbol]);
        sink.put(h.runs.items[i].extra, codeLengthExtraBits(symbol));
    }
}

}  // namespace

DeflateBlocks::DeflateBlocks(std::vector<std::uint8_t>& out) : out_(out)
{
    entries_.reserve(kFirstReserve);
    phrase_.reserve(kPhraseReserve);
    phraseSymbols_.reserve(kPhraseReserve);
}

void DeflateBlocks::beginPhrase()
{
    if (!entries_.empty()) {
        writeBlock(false);  // the phrase's bits are worked out per block
    }
    recording_ = true;
    phrase_.clear();
}

void DeflateBlocks::endPhrase()
{
    recording_ = false;
    phraseSymbols_.clear();
    const auto count = [this](std::size_t symbol) {
        for (auto& [known, times] : phraseSymbols_) {
            if (known == symbol) {
                ++times;
                return;
            }
        }
        phraseSymbols_.push_back({symbol, 1});
    };
    for (const Entry entry : phrase_) {
        if (entry < 256) {
            count(entry);
        } else {
            count(kFirstLengthSymbol + (entry & 0x1FU));
            count(kLiteralLengthSymbols + ((entry >> 10) & 0x1FU));
        }
    }
}

void DeflateBlocks::repeatPhrase(std::uint64_t count)
{
    while (count > 0) {
        const std::uint64_t now = std::min(count, kMaxPhraseCount);
        phraseRepeats_ += now;
        add(kPhraseTag | static_cast<Entry>(now));
        count -= now;
    }
}

void DeflateBlocks::finish() { writeBlock(true); }

// Counts of the block's symbols: its own, the phrase's times its repeats,
// and the end of the block.
DeflateBlocks::Frequencies DeflateBlocks::blockFrequencies() const
{
    Frequencies f = frequencies_;
    for (const auto& [symbol, count] : phraseSymbols_) {
        (symbol < kLiteralLengthSymbols ? f.literalLength[symbol] : f.distance[symbol - kLiteralLengthSymbols]) +=
            count * phraseRepeats_;
    }
    f.literalLength[kEndOfBlock] = 1;
    return f;
}

// The entries' codes, a repeated phrase as its bits worked out once.
template <class Sink, class Codes>
void DeflateBlocks::putEntries(Sink& sink, const Codes& codes) const
{
    std::vector<PieceBits::Piece> phraseBits;
    bool phraseReady = false;
    // A local view: the bytes written through the sink could otherwise be
    // the vector's own pointers, as far as the compiler knows.
    const std::span<const Entry> entries(entries_);
    for (const Entry entry : entries) {
        if ((entry & kTagMask) != kPhraseTag) {
            codes.put(sink, entry);
            continue;
        }
        if (!phraseReady) {
            PieceBits pieces;
            for (const Entry inPhrase : phrase_) {
                codes.put(pieces, inPhrase);
            }
            phraseBits = pieces.close();
            phraseReady = true;
        }
        for (Entry n = entry & ~kTagMask; n > 0; --n) {
            for (const PieceBits::Piece& piece : phraseBits) {
                sink.put(piece.bits, piece.count);
            }
        }
    }
}

// A block with whichever codes give fewer bits: its header (for codes fitted
// to it), its entries and the end-of-block code.
void DeflateBlocks::writeBlock(bool last)
{
    const Frequencies f = blockFrequencies();
    const DynamicHeader dynamic = planDynamicHeader(f.literalLength, f.distance);
    const BlockCodes& fixed = fixedCodes();
    const std::uint64_t dynamicBits = dynamic.headerBits + symbolBits(f.literalLength, f.distance, dynamic.codes);
    const std::uint64_t fixedBits = symbolBits(f.literalLength, f.distance, fixed);
    const bool useDynamic = dynamicBits < fixedBits;

    StreamBits sink(out_, bitBuffer_, bitCount_,
                    3 + std::min(dynamicBits, fixedBits) + extraBits(f.literalLength, f.distance));
    sink.put(last ? 1 : 0, 1);
    if (useDynamic) {
        writeDynamicHeader(sink, dynamic);
    } else {
        sink.put(1, 2);
    }
    const BlockCodes& codes = useDynamic ? dynamic.codes : fixed;
    putEntries(sink, codes);
    sink.put(codes.literalLength[kEndOfBlock], codes.literalLengthBits[kEndOfBlock]);
    sink.close(bitBuffer_, bitCount_, last);
    entries_.clear();
    frequencies_ = {};
    phraseRepeats_ = 0;
}

}  // namespace korvel
