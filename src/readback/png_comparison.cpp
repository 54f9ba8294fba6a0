#include "readback/png_comparison.hpp"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "readback/inflate_comparison.hpp"

namespace korvel {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature{137, 80, 78, 71, 13, 10, 26, 10};
constexpr std::uint8_t kColourTypeRgb = 2;
constexpr std::uint8_t kColourTypeIndexed = 3;
constexpr std::uint64_t kAdlerBase = 65521;

std::uint32_t bigEndian32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

struct Header {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t depth = 0;
    std::uint8_t colourType = 0;
    std::uint8_t compression = 0;
    std::uint8_t filter = 0;
    std::uint8_t interlace = 0;
};

// What the comparison needs from the chunks before IEND.
struct Chunks {
    std::optional<Header> header;
    std::vector<Color> palette;
    std::vector<std::uint8_t> imageData;  // the IDAT chunks joined
};

// Reads the chunks as a decoder does: IHDR first, PLTE before the image
// data, the IDAT chunks in one run, IEND last; any other chunk that a
// decoder must understand (a critical one) makes the stream one this
// comparison leaves to a full decode. Every chunk's CRC is checked.
bool readChunks(std::span<const std::uint8_t> png, Chunks& chunks)
{
    if (png.size() < kSignature.size() || !std::equal(kSignature.begin(), kSignature.end(), png.begin())) {
        return false;
    }
    std::size_t at = kSignature.size();
    bool imageDataEnded = false;
    for (;;) {
        if (png.size() - at < 12) {
            return false;
        }
        const std::uint32_t length = bigEndian32(png.data() + at);
        if (length > 0x7FFFFFFFU || png.size() - at - 12 < length) {
            return false;
        }
        const std::uint8_t* type = png.data() + at + 4;
        const std::uint8_t* data = type + 4;
        const auto crc = static_cast<std::uint32_t>(crc32(0, type, 4 + length));
        if (crc != bigEndian32(data + length)) {
            return false;
        }
        at += 12 + std::size_t{length};
        const std::string_view name(reinterpret_cast<const char*>(type), 4);
        if (!chunks.header) {
            if (name != "IHDR" || length != 13) {
                return false;
            }
            chunks.header = Header{bigEndian32(data), bigEndian32(data + 4), data[8], data[9], data[10], data[11], data[12]};
            continue;
        }
        if (name == "IEND") {
            return length == 0 && !chunks.imageData.empty();
        }
        if (name == "IDAT") {
            if (imageDataEnded) {
                return false;
            }
            chunks.imageData.insert(chunks.imageData.end(), data, data + length);
            continue;
        }
        imageDataEnded = !chunks.imageData.empty();
        if (name == "PLTE") {
            if (imageDataEnded || !chunks.palette.empty() || length == 0 || length % 3 != 0 || length > 768) {
                return false;
            }
            for (std::uint32_t k = 0; k < length; k += 3) {
                chunks.palette.push_back({data[k], data[k + 1], data[k + 2]});
            }
        } else if ((type[0] & 0x20) == 0) {
            return false;
        }
    }
}

// The filtered rows that the image data must inflate to, made row by row
// with the filter that the stream's own filter byte names.
class FilteredRows final : public ExpectedBytes {
public:
    FilteredRows(const ExpectedImage& image, const Header& header, const std::vector<Color>& palette)
        : ExpectedBytes(static_cast<std::size_t>(image.height()) * (1 + rowBytesOf(header))),
          image_(image),
          palette_(palette),
          depth_(header.depth),
          indexed_(header.colourType == kColourTypeIndexed),
          width_(static_cast<std::size_t>(image.width())),
          rowBytes_(rowBytesOf(header)),
          pixelBytes_(indexed_ ? 1 : 3),
          raw_(rowBytes_),
          previous_(rowBytes_, 0)
    {
    }

    bool extend(std::uint8_t filter) override
    {
        if (filter > 4 || row_ == image_.height()) {
            return false;
        }
        const std::int64_t key = image_.rowKey(row_);
        const bool same = row_ > 0 && key == key_;
        if (!same) {
            std::swap(raw_, previous_);
            if (!makeRaw(row_)) {
                return false;
            }
        }
        key_ = key;
        const std::vector<std::uint8_t>& above = same ? raw_ : previous_;
        std::uint8_t* out = append(1 + rowBytes_);
        out[0] = filter;
        applyFilter(filter, above, same, out + 1);
        addToChecksum(out, same && filter == 2, filter == 0 && !indexed_);
        ++row_;
        return true;
    }

    [[nodiscard]] std::uint32_t adler() const override { return adler_; }

private:
    static std::size_t rowBytesOf(const Header& header)
    {
        const std::size_t bits = header.colourType == kColourTypeIndexed ? header.depth : 24;
        return (std::size_t{header.width} * bits + 7) / 8;
    }

    // The row's bytes before filtering; false when a pixel's colour is not
    // in the palette, or the runs do not make the row.
    bool makeRaw(std::int32_t y)
    {
        image_.row(y, runs_);
        std::size_t x = 0;
        for (const ColourRun& run : runs_) {
            const auto length = static_cast<std::size_t>(run.length);
            if (run.length < 0 || length > width_ - x ||
                !(indexed_ ? packIndices(run.colour, x, length) : repeatRgb(run.colour, x, length))) {
                return false;
            }
            x += length;
        }
        return x == width_;
    }

    // The colour's bytes, copied from a stretch of the colour made once per
    // colour (a symbol has two).
    bool repeatRgb(Color colour, std::size_t x, std::size_t length)
    {
        std::uint8_t* out = raw_.data() + 3 * x;
        if (colour.red() == colour.green() && colour.green() == colour.blue()) {
            std::memset(out, colour.red(), 3 * length);  // grey, black and white: one byte repeated
            return true;
        }
        const std::vector<std::uint8_t>& pattern = patternOf(colour);
        for (std::size_t left = 3 * length; left > 0;) {
            const std::size_t n = std::min(left, pattern.size());
            std::memcpy(out, pattern.data(), n);
            out += n;
            left -= n;
        }
        return true;
    }

    const std::vector<std::uint8_t>& patternOf(Color colour)
    {
        for (const auto& [known, pattern] : patterns_) {
            if (known == colour) {
                return pattern;
            }
        }
        if (patterns_.size() == kPatterns) {
            patterns_.erase(patterns_.begin());
        }
        std::vector<std::uint8_t> pattern(3 * kPatternPixels);
        for (std::size_t k = 0; k < pattern.size(); k += 3) {
            pattern[k] = colour.red();
            pattern[k + 1] = colour.green();
            pattern[k + 2] = colour.blue();
        }
        patterns_.emplace_back(colour, std::move(pattern));
        return patterns_.back().second;
    }

    bool packIndices(Color colour, std::size_t x, std::size_t length)
    {
        const auto index = paletteIndex(colour);
        if (!index) {
            return false;
        }
        if (x == 0) {
            std::fill(raw_.begin(), raw_.end(), 0);
        }
        const unsigned perByte = 8U / depth_;
        for (std::size_t k = x; k < x + length; ++k) {
            const unsigned shift = 8U - depth_ * (1U + static_cast<unsigned>(k % perByte));
            raw_[k / perByte] = static_cast<std::uint8_t>(raw_[k / perByte] | *index << shift);
        }
        return true;
    }

    // The first palette entry of the colour (the one a writer of two
    // colours uses); the last one found is kept for the next pixel.
    std::optional<unsigned> paletteIndex(Color colour)
    {
        if (lastIndex_ < palette_.size() && palette_[lastIndex_] == colour) {
            return static_cast<unsigned>(lastIndex_);
        }
        const auto found = std::find(palette_.begin(), palette_.end(), colour);
        if (found == palette_.end() || static_cast<std::size_t>(found - palette_.begin()) >= (1U << depth_)) {
            return std::nullopt;
        }
        lastIndex_ = static_cast<std::size_t>(found - palette_.begin());
        return static_cast<unsigned>(lastIndex_);
    }

    // The five PNG filters (ISO/IEC 15948), applied to raw_ with `above`
    // as the row above (zeros above the first row).
    void applyFilter(std::uint8_t filter, const std::vector<std::uint8_t>& aboveRow, bool same, std::uint8_t* out) const
    {
        const std::uint8_t* raw = raw_.data();
        const std::uint8_t* above = aboveRow.data();
        const bool first = row_ == 0;
        const std::size_t n = rowBytes_;
        const std::size_t bpp = pixelBytes_;
        const auto up = [&](std::size_t i) -> unsigned { return first ? 0U : above[i]; };
        const auto left = [&](std::size_t i) -> unsigned { return i >= bpp ? raw[i - bpp] : 0U; };
        const auto upLeft = [&](std::size_t i) -> unsigned { return i >= bpp && !first ? above[i - bpp] : 0U; };
        switch (filter) {
        case 0: std::memcpy(out, raw, n); return;
        case 1:
            for (std::size_t i = 0; i < n; ++i) {
                out[i] = static_cast<std::uint8_t>(raw[i] - left(i));
            }
            return;
        case 2:
            if (same) {
                std::memset(out, 0, n);
                return;
            }
            for (std::size_t i = 0; i < n; ++i) {
                out[i] = static_cast<std::uint8_t>(raw[i] - up(i));
            }
            return;
        case 3:
            for (std::size_t i = 0; i < n; ++i) {
                out[i] = static_cast<std::uint8_t>(raw[i] - (left(i) + up(i)) / 2);
            }
            return;
        default:
            for (std::size_t i = 0; i < n; ++i) {
                const int a = static_cast<int>(left(i));
                const int b = static_cast<int>(up(i));
                const int c = static_cast<int>(upLeft(i));
                const int pa = std::abs(b - c);
                const int pb = std::abs(a - c);
                const int pc = std::abs(a + b - 2 * c);
                const int predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
                out[i] = static_cast<std::uint8_t>(raw[i] - static_cast<unsigned>(predictor));
            }
            return;
        }
    }

    // The checksum (RFC 1950) grows row by row: a row that repeats the one
    // above with UP is its filter byte and zeros, an unfiltered row of
    // 8-bit RGB runs of one colour each, and each has a sum in closed form;
    // other rows are summed byte by byte.
    void addToChecksum(const std::uint8_t* row, bool zeroRow, bool rgbRuns)
    {
        if (!zeroRow && !rgbRuns) {
            adler_ = static_cast<std::uint32_t>(adler32(adler_, row, static_cast<uInt>(1 + rowBytes_)));
            return;
        }
        // Without reducing until the row's end: a row of at most 65535
        // pixels keeps both sums far below 2^64.
        std::uint64_t a = (adler_ & 0xFFFFU) + row[0];
        std::uint64_t b = (adler_ >> 16) + a;
        if (zeroRow) {
            b += rowBytes_ * a;
        } else {
            for (const ColourRun& run : runs_) {
                addRun(run, a, b);
            }
        }
        adler_ = static_cast<std::uint32_t>(b % kAdlerBase << 16 | a % kAdlerBase);
    }

    // k pixels of one colour, n = 3k bytes: each byte adds itself to a,
    // and to b once for itself and once for every byte after it in the run.
    static void addRun(const ColourRun& run, std::uint64_t& a, std::uint64_t& b)
    {
        const auto k = static_cast<std::uint64_t>(run.length);
        const std::uint64_t n = 3 * k;
        // Byte c of pixel j counts n - 3j - c times; over j < k that is
        // k (n - c) - 3 k (k - 1) / 2.
        const std::uint64_t shared = n * k - 3 * k * (k - 1) / 2;
        const std::uint64_t weighted = run.colour.red() * shared + run.colour.green() * (shared - k) +
                                       run.colour.blue() * (shared - 2 * k);
        b += n * a + weighted;
        a += k * (std::uint64_t{run.colour.red()} + run.colour.green() + run.colour.blue());
    }

    const ExpectedImage& image_;
    const std::vector<Color>& palette_;
    unsigned depth_;
    bool indexed_;
    std::size_t width_;
    std::size_t rowBytes_;
    std::size_t pixelBytes_;
    static constexpr std::size_t kPatterns = 4;
    static constexpr std::size_t kPatternPixels = 64;

    std::vector<ColourRun> runs_;
    std::vector<std::pair<Color, std::vector<std::uint8_t>>> patterns_;
    std::vector<std::uint8_t> raw_;
    std::vector<std::uint8_t> previous_;
    std::int32_t row_ = 0;
    std::int64_t key_ = 0;
    std::size_t lastIndex_ = 0;
    std::uint32_t adler_ = 1;
};

bool supported(const Header& header, const std::vector<Color>& palette)
{
    const bool rgb = header.colourType == kColourTypeRgb && header.depth == 8;
    const bool indexed = header.colourType == kColourTypeIndexed && !palette.empty() &&
                         (header.depth == 1 || header.depth == 2 || header.depth == 4 || header.depth == 8);
    return (rgb || indexed) && header.compression == 0 && header.filter == 0 && header.interlace == 0;
}

}  // namespace

bool pngShowsExactly(std::span<const std::uint8_t> png, const ExpectedImage& expected)
{
    try {
        Chunks chunks;
        if (!readChunks(png, chunks) || !supported(*chunks.header, chunks.palette) ||
            chunks.header->width != static_cast<std::uint32_t>(expected.width()) ||
            chunks.header->height != static_cast<std::uint32_t>(expected.height()) || expected.width() <= 0 ||
            expected.height() <= 0) {
            return false;
        }
        FilteredRows rows(expected, *chunks.header, chunks.palette);
        return inflatesTo(chunks.imageData, rows);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace korvel
