#pragma once
// A zlib (RFC 1950) stream of data that the caller describes as it goes: as
// single bytes, runs of one byte, runs of a three-byte pattern and repeats
// of one phrase (a lead byte and a run of a fill byte), never as the bytes
// themselves. Runs become a literal or three and matches at distance 1 or 3;
// a repeated phrase costs one entry however long it is (DeflateBlocks); the
// Adler-32 checksum is worked out from the description in closed form. So
// describing a million equal bytes costs about as much as describing ten.
//
// The stream is handed out in parts while it grows (pendingBytes,
// takeBytes), so a caller can write it in chunks of its choosing.

#include <cstdint>
#include <vector>

#include "deflate/adler_sums.hpp"
#include "deflate/deflate_blocks.hpp"

namespace korvel {

class ZlibStream {
public:
    // Starts the stream with the zlib header (deflate, 32 KiB window).
    ZlibStream();
    ZlibStream(const ZlibStream&) = delete;
    ZlibStream& operator=(const ZlibStream&) = delete;

    // All of these throw std::bad_alloc; a length or count of 0 adds
    // nothing.
    void byte(std::uint8_t value);
    void run(std::uint8_t value, std::uint64_t length);
    // `count` copies of the three bytes first, second, third.
    void pattern(std::uint8_t first, std::uint8_t second, std::uint8_t third, std::uint64_t count);

    // Makes the phrase `lead` followed by `fillLength` copies of `fill`, for
    // repeatPhrase; it replaces any earlier phrase. Nothing is added to the
    // stream yet.
    void definePhrase(std::uint8_t lead, std::uint8_t fill, std::uint64_t fillLength);
    // `count` copies of the phrase; nothing before definePhrase.
    void repeatPhrase(std::uint64_t count);

    // Ends the deflate data and appends the checksum; nothing may follow.
    void finish();

    [[nodiscard]] std::size_t pendingBytes() const noexcept { return pending_.size(); }
    // Replaces `out` with the bytes made since the last call.
    void takeBytes(std::vector<std::uint8_t>& out);

private:
    void codeRun(std::uint8_t value, std::uint64_t length);
    void copyBack(std::uint64_t length, std::uint32_t distance);
    void literal(std::uint8_t value)
    {
        blocks_.literal(value);
        recent_ = ((recent_ << 8) | value) & 0xFFFFFFU;
        recentCount_ = recentCount_ < 3 ? recentCount_ + 1 : 3;
    }

    std::vector<std::uint8_t> pending_;
    DeflateBlocks blocks_;
    AdlerSums adler_;
    // The last three bytes of the stream's data so far, the latest in the
    // lowest byte, and how many there have been (up to 3).
    std::uint32_t recent_ = 0;
    unsigned recentCount_ = 0;
    // The phrase: its length and sums for the checksum, and the last bytes
    // of the data after a copy of it.
    bool phraseDefined_ = false;
    std::uint64_t phraseLength_ = 0;
    std::uint64_t phraseSum_ = 0;
    std::uint64_t phraseWeightedSum_ = 0;
    std::uint32_t phraseRecent_ = 0;
    unsigned phraseRecentCount_ = 0;
};

}  // namespace korvel
