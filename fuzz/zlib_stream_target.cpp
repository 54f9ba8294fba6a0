// Fuzz target of the deflate coder on its own: the bytes describe data as
// the calls ZlibStream takes (single bytes, runs, three-byte patterns, a
// phrase and its repeats), the stream is taken in parts of varying size, and
// zlib must inflate it, checksum included, to exactly the data described.
//
// Input layout (missing bytes read as 0): commands, each a byte whose low
// three bits choose the call and whose other bits with the bytes after it
// give the arguments:
//   0, 5  byte: the next byte
//   1     run: a byte, then a length of 1 + (16 bits) % 4096
//   2, 6  pattern: three bytes, then a count of 1 + (8 bits), or with the
//         command's top bit set 1 + (16 bits) % 8192
//   3     phrase: lead and fill bytes, a fill length of (16 bits) % 2048
//   4     repeat the phrase 1 + (8 bits) % 64 times
//   7     hand out what the stream has made so far
// The data is kept below 4 MiB; commands that would pass it are skipped.

#include <zlib.h>

#include <cstdint>
#include <vector>

#include "deflate/zlib_stream.hpp"
#include "fuzz_targets.hpp"

namespace korvel::fuzz {
namespace {

constexpr std::size_t kMaxData = std::size_t{4} << 20;

class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    [[nodiscard]] bool done() const { return at_ >= size_; }
    std::uint8_t next() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint32_t next16()
    {
        const std::uint32_t low = next();
        return low | std::uint32_t{next()} << 8;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// The stream and, next to it, the data it should hold.
struct Described {
    ZlibStream stream;
    std::vector<std::uint8_t> data;
    std::vector<std::uint8_t> phrase;
    std::vector<std::uint8_t> compressed;

    void takeStream()
    {
        std::vector<std::uint8_t> part;
        stream.takeBytes(part);
        compressed.insert(compressed.end(), part.begin(), part.end());
    }

    void command(Bytes& in)
    {
        const std::uint8_t op = in.next();
        switch (op & 7U) {
        case 0:
        case 5: {
            const std::uint8_t value = in.next();
            stream.byte(value);
            data.push_back(value);
            break;
        }
        case 1: {
            const std::uint8_t value = in.next();
            const std::size_t length = 1 + in.next16() % 4096;
            if (data.size() + length <= kMaxData) {
                stream.run(value, length);
                data.insert(data.end(), length, value);
            }
            break;
        }
        case 2:
        case 6: {
            const std::uint8_t a = in.next(), b = in.next(), c = in.next();
            const std::size_t count = 1 + ((op & 0x80U) != 0 ? in.next16() % 8192 : in.next());
            if (data.size() + 3 * count <= kMaxData) {
                stream.pattern(a, b, c, count);
                for (std::size_t i = 0; i < count; ++i) {
                    data.insert(data.end(), {a, b, c});
                }
            }
            break;
        }
        case 3: {
            const std::uint8_t lead = in.next(), fill = in.next();
            const std::size_t fillLength = in.next16() % 2048;
            stream.definePhrase(lead, fill, fillLength);
            phrase.assign(1, lead);
            phrase.insert(phrase.end(), fillLength, fill);
            break;
        }
        case 4: {
            const std::size_t count = 1 + in.next() % 64;
            if (!phrase.empty() && data.size() + count * phrase.size() <= kMaxData) {
                stream.repeatPhrase(count);
                for (std::size_t i = 0; i < count; ++i) {
                    data.insert(data.end(), phrase.begin(), phrase.end());
                }
            }
            break;
        }
        default:
            takeStream();
        }
    }
};

}  // namespace

const char* fuzzZlibStream(const std::uint8_t* input, std::size_t size)
{
    Bytes in(input, size);
    Described described;
    while (!in.done()) {
        described.command(in);
    }
    described.stream.finish();
    described.takeStream();
    const std::vector<std::uint8_t>& compressed = described.compressed;

    std::vector<std::uint8_t> inflated(described.data.size() + 1);
    uLongf length = static_cast<uLongf>(inflated.size());
    if (uncompress(inflated.data(), &length, compressed.data(), static_cast<uLong>(compressed.size())) != Z_OK) {
        return "zlib refused the stream";
    }
    inflated.resize(length);
    if (inflated != described.data) {
        return "the stream inflates to other data than described";
    }
    return nullptr;
}

}  // namespace korvel::fuzz
