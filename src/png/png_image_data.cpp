#include "png/png_image_data.hpp"

#include <algorithm>

namespace korvel {
namespace {

constexpr std::uint8_t kFilterNone = 0;
constexpr std::uint8_t kFilterUp = 2;
// zlib header: deflate with a 32 KiB window, default level, no dictionary.
constexpr std::array<std::uint8_t, 2> kZlibHeader{0x78, 0x9C};

// Bytes reserved for the stream at first: what a small symbol needs.
constexpr std::size_t kFirstReserve = 4096;

std::uint8_t byteOf(std::uint32_t packed, unsigned index) { return static_cast<std::uint8_t>(packed >> (8 * index)); }

}  // namespace

PngImageData::PngImageData(const RowStructure& rows, std::optional<std::uint32_t> paletteZero)
    : rows_(rows),
      paletteZero_(paletteZero),
      rowBytes_(paletteZero ? (std::uint64_t{rows.width()} + 7) / 8 : std::uint64_t{rows.width()} * 3),
      blocks_(pending_)
{
    pending_.reserve(kFirstReserve);
    pending_.assign(kZlibHeader.begin(), kZlibHeader.end());
    // A row equal to the one above: its filter byte and zeros.
    blocks_.beginPhrase();
    literal(kFilterUp);
    literal(0);
    copyBack(rowBytes_ - 1, 1);
    blocks_.endPhrase();
    recentCount_ = 0;  // the phrase is not part of the stream yet
}

bool PngImageData::next(std::vector<std::uint8_t>& out, std::size_t minimum)
{
    out.clear();
    if (finished_ && pending_.empty()) {
        return false;
    }
    while (!finished_ && pending_.size() < minimum) {
        if (group_ < rows_.groupCount()) {
            codeGroup(group_++);
        } else {
            finish();
        }
    }
    out.swap(pending_);
    return true;
}

void PngImageData::codeGroup(std::size_t g)
{
    literal(kFilterNone);
    adler_.appendByte(kFilterNone);
    if (paletteZero_) {
        packRow(rows_.runsOf(g), *paletteZero_, packed_);
        for (const ByteRun& run : packed_) {
            adler_.appendRun(run.value, run.count);
            codeRun(run.value, run.count);
        }
    } else {
        std::uint32_t x = 0;
        for (const ColorRun& run : rows_.runsOf(g)) {
            codePixels(run.pixel, run.end - x);
            x = run.end;
        }
    }
    const std::uint32_t repeats = rows_.rowsOf(g) - 1;
    if (repeats > 0) {
        blocks_.repeatPhrase(repeats);
        // the filter byte, first of rowBytes + 1, and zeros
        adler_.appendRepeated(rowBytes_ + 1, kFilterUp, kFilterUp * (rowBytes_ + 1), repeats);
        // the stream now ends in the filter byte and rowBytes zeros
        recent_ = rowBytes_ >= 3 ? 0 : std::uint32_t{kFilterUp} << (8 * rowBytes_);
        recentCount_ = static_cast<unsigned>(std::min<std::uint64_t>(rowBytes_ + 1, 3));
    }
}

// Codes `count` copies of a pixel (bytes packed from the lowest): its bytes
// as literals unless they are the last bytes already, then copies of them.
void PngImageData::codePixels(std::uint32_t pixel, std::uint64_t count)
{
    const std::uint8_t first = byteOf(pixel, 0);
    const std::uint8_t second = byteOf(pixel, 1);
    const std::uint8_t third = byteOf(pixel, 2);
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

// Codes `length` copies of one byte: a literal unless it is the last byte
// already, then copies of it.
void PngImageData::codeRun(std::uint8_t byte, std::uint64_t length)
{
    if (recentCount_ >= 1 && byteOf(recent_, 0) == byte) {
        copyBack(length, 1);
    } else {
        literal(byte);
        copyBack(length - 1, 1);
    }
}

// Codes `length` bytes that each repeat the byte `distance` (1 or 3) before
// them: matches of up to 258 bytes, the last at least 3, and literals for
// fewer than 3 bytes. At distance 3 the length is whole pixels (a multiple
// of 3, and so are the parts), so the last three bytes stay the same.
void PngImageData::copyBack(std::uint64_t length, std::uint32_t distance)
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

void PngImageData::finish()
{
    blocks_.finish();
    const std::uint32_t adler = adler_.value();
    for (int shift = 24; shift >= 0; shift -= 8) {
        pending_.push_back(static_cast<std::uint8_t>(adler >> shift));
    }
    finished_ = true;
}

}  // namespace korvel
