#include "deflate/zlib_stream.hpp"

#include <algorithm>
#include <array>

namespace korvel {
namespace {

// zlib header: deflate with a 32 KiB window, default level, no dictionary.
constexpr std::array<std::uint8_t, 2> kZlibHeader{0x78, 0x9C};
// Bytes reserved for the stream at first: what a small symbol needs.
constexpr std::size_t kFirstReserve = 4096;
// The Adler-32 modulus, to keep the phrase's sums small.
constexpr std::uint64_t kAdlerBase = 65521;

std::uint8_t byteOf(std::uint32_t packed, unsigned index) { return static_cast<std::uint8_t>(packed >> (8 * index)); }

// n (n + 1) / 2 modulo kAdlerBase, without overflow.
std::uint64_t triangleModAdler(std::uint64_t n)
{
    return n % 2 == 0 ? (n / 2 % kAdlerBase) * ((n + 1) % kAdlerBase) % kAdlerBase
                      : (n % kAdlerBase) * ((n + 1) / 2 % kAdlerBase) % kAdlerBase;
}

}  // namespace

ZlibStream::ZlibStream() : blocks_(pending_)
{
    pending_.reserve(kFirstReserve);
    pending_.assign(kZlibHeader.begin(), kZlibHeader.end());
}

void ZlibStream::byte(std::uint8_t value)
{
    adler_.appendByte(value);
    literal(value);
}

void ZlibStream::run(std::uint8_t value, std::uint64_t length)
{
    if (length == 0) {
        return;
    }
    adler_.appendRun(value, length);
    codeRun(value, length);
}

// The pattern's bytes as literals unless they are the last three bytes
// already, then copies of them.
void ZlibStream::pattern(std::uint8_t first, std::uint8_t second, std::uint8_t third, std::uint64_t count)
{
    if (count == 0) {
        return;
    }
    adler_.appendPattern(first, second, third, count);
    const std::uint64_t length = 3 * count;
    if (first == second && second == third) {
        codeRun(first, length);
    } else if (recentCount_ == 3 && recent_ == ((std::uint32_t{first} << 16) | (std::uint32_t{second} << 8) | third)) {
        copyBack(length, 3);
    } else {
        literal(first);
        literal(second);
        literal(third);
        copyBack(length - 3, 3);
    }
}

// The phrase is coded on its own, as if it began the data, so that its
// matches never reach before it.
void ZlibStream::definePhrase(std::uint8_t lead, std::uint8_t fill, std::uint64_t fillLength)
{
    const std::uint32_t recent = recent_;
    const unsigned recentCount = recentCount_;
    recent_ = 0;
    recentCount_ = 0;
    blocks_.beginPhrase();
    literal(lead);
    if (fillLength > 0) {
        codeRun(fill, fillLength);
    }
    blocks_.endPhrase();
    phraseRecent_ = recent_;
    phraseRecentCount_ = recentCount_;
    recent_ = recent;
    recentCount_ = recentCount;

    // The lead byte weighs the phrase's length, the fills length - 1 … 1.
    phraseLength_ = fillLength + 1;
    phraseSum_ = (lead + fill * (fillLength % kAdlerBase)) % kAdlerBase;
    phraseWeightedSum_ = (lead * (phraseLength_ % kAdlerBase) + fill * triangleModAdler(fillLength)) % kAdlerBase;
    phraseDefined_ = true;
}

void ZlibStream::repeatPhrase(std::uint64_t count)
{
    if (!phraseDefined_ || count == 0) {
        return;
    }
    blocks_.repeatPhrase(count);
    adler_.appendRepeated(phraseLength_, phraseSum_, phraseWeightedSum_, count);
    recent_ = phraseRecent_;
    recentCount_ = phraseRecentCount_;
}

void ZlibStream::finish()
{
    blocks_.finish();
    const std::uint32_t adler = adler_.value();
    for (int shift = 24; shift >= 0; shift -= 8) {
        pending_.push_back(static_cast<std::uint8_t>(adler >> shift));
    }
}

void ZlibStream::takeBytes(std::vector<std::uint8_t>& out)
{
    out.clear();
    out.swap(pending_);
}

// `length` copies of one byte: a literal unless it is the last byte already,
// then copies of it.
void ZlibStream::codeRun(std::uint8_t value, std::uint64_t length)
{
    if (recentCount_ >= 1 && byteOf(recent_, 0) == value) {
        copyBack(length, 1);
    } else {
        literal(value);
        copyBack(length - 1, 1);
    }
}

// Codes `length` bytes that each repeat the byte `distance` (1 or 3) before
// them: matches of up to 258 bytes, the last at least 3, and literals for
// fewer than 3 bytes. At distance 3 the length is whole patterns (a multiple
// of 3, and so are the parts), so the last three bytes stay the same.
void ZlibStream::copyBack(std::uint64_t length, std::uint32_t distance)
{
    std::uint64_t matched = 0;
    while (length - matched >= DeflateBlocks::kMinMatch) {
        const std::uint64_t left = length - matched;
        auto part = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, DeflateBlocks::kMaxMatch));
        if (left - part > 0 && left - part < DeflateBlocks::kMinMatch) {
            part = static_cast<std::uint32_t>(left - DeflateBlocks::kMinMatch);
        }
        blocks_.match(part, distance);
        matched += part;
    }
    if (matched > 0) {
        recent_ = distance == 1 ? byteOf(recent_, 0) * 0x010101U : recent_;
        recentCount_ = 3;
    }
    for (; matched < length; ++matched) {
        literal(byteOf(recent_, distance - 1));
    }
}

}  // namespace korvel
