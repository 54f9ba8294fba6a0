// The deflate coder on its own: data described to ZlibStream must come back
// from zlib's inflate (which checks the Adler-32 sum) byte for byte, whatever
// the mix of bytes, runs, patterns and phrase repeats, across block
// boundaries and when the stream is taken in parts.

#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <string>
#include <vector>

#include "deflate/zlib_stream.hpp"

namespace korvel {
namespace {

// A stream and the data it should hold, described together.
struct Both {
    ZlibStream stream;
    std::vector<std::uint8_t> data;
    std::vector<std::uint8_t> phrase;
    std::vector<std::uint8_t> compressed;

    void byte(std::uint8_t v)
    {
        stream.byte(v);
        data.push_back(v);
    }
    void run(std::uint8_t v, std::size_t n)
    {
        stream.run(v, n);
        data.insert(data.end(), n, v);
    }
    void pattern(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::size_t n)
    {
        stream.pattern(a, b, c, n);
        for (std::size_t i = 0; i < n; ++i) {
            data.insert(data.end(), {a, b, c});
        }
    }
    void definePhrase(std::uint8_t lead, std::uint8_t fill, std::size_t n)
    {
        stream.definePhrase(lead, fill, n);
        phrase.assign(1, lead);
        phrase.insert(phrase.end(), n, fill);
    }
    void repeatPhrase(std::size_t n)
    {
        stream.repeatPhrase(n);
        for (std::size_t i = 0; i < n; ++i) {
            data.insert(data.end(), phrase.begin(), phrase.end());
        }
    }
    void take()
    {
        std::vector<std::uint8_t> part;
        stream.takeBytes(part);
        compressed.insert(compressed.end(), part.begin(), part.end());
    }
};

struct Case {
    std::string name;
    std::function<void(Both&)> describe;
};

TEST(ZlibStream, InflatesToTheDataDescribed)
{
    const std::vector<Case> cases{
        {"nothing", [](Both&) {}},
        {"one byte", [](Both& b) { b.byte(7); }},
        {"zero-length run and pattern add nothing", [](Both& b) { b.byte(1); b.run(9, 0); b.pattern(1, 2, 3, 0); }},
        {"runs of one, two and three bytes", [](Both& b) { b.run(5, 1); b.run(5, 2); b.run(6, 3); b.run(6, 1); }},
        {"a run longer than the largest match", [](Both& b) { b.run(0xFF, 258 * 3 + 2); }},
        {"five million equal bytes", [](Both& b) { b.run(0x42, 5'000'000); }},
        {"a pattern of equal bytes", [](Both& b) { b.pattern(9, 9, 9, 1000); }},
        {"a pattern continued, then another",
         [](Both& b) { b.pattern(1, 2, 3, 1); b.pattern(1, 2, 3, 500); b.pattern(3, 2, 1, 2); b.pattern(1, 2, 3, 87); }},
        {"patterns over two million bytes", [](Both& b) { b.pattern(10, 20, 30, 1'500'000); b.pattern(1, 0, 0, 1); }},
        {"an empty phrase repeated", [](Both& b) { b.byte(1); b.definePhrase(2, 0, 0); b.repeatPhrase(5); }},
        {"phrases of two to five bytes",
         [](Both& b) {
             for (std::size_t n = 1; n <= 4; ++n) {
                 b.definePhrase(2, 0, n);
                 b.byte(static_cast<std::uint8_t>(n));
                 b.repeatPhrase(3);
                 b.pattern(4, 5, 6, 2);
             }
         }},
        {"a phrase whose lead equals its fill", [](Both& b) { b.definePhrase(7, 7, 300); b.repeatPhrase(4); b.run(7, 3); }},
        {"rows of a picture over many blocks",
         [](Both& b) {
             b.definePhrase(2, 0, 3 * 731);
             for (int row = 0; row < 3000; ++row) {
                 b.byte(0);
                 for (int x = 0; x < 60; ++x) {
                     b.pattern(static_cast<std::uint8_t>(x * 3 + row), 0, 0, 12);
                 }
                 b.pattern(1, 1, 1, 11);
                 b.repeatPhrase(static_cast<std::size_t>(row % 4));
             }
         }},
        {"a phrase repeated two hundred thousand times", [](Both& b) { b.definePhrase(2, 0, 100); b.repeatPhrase(200'000); }},
        {"taken in parts as it grows",
         [](Both& b) {
             for (int i = 0; i < 20000; ++i) {
                 b.byte(static_cast<std::uint8_t>(i * 7));
                 b.run(static_cast<std::uint8_t>(i), static_cast<std::size_t>(i % 300));
                 if (i % 997 == 0) {
                     b.take();
                 }
             }
         }},
    };
    for (const Case& c : cases) {
        Both both;
        c.describe(both);
        both.stream.finish();
        both.take();
        std::vector<std::uint8_t> inflated(both.data.size() + 1);
        uLongf length = static_cast<uLongf>(inflated.size());
        ASSERT_EQ(uncompress(inflated.data(), &length, both.compressed.data(), static_cast<uLong>(both.compressed.size())),
                  Z_OK)
            << c.name;
        inflated.resize(length);
        EXPECT_TRUE(inflated == both.data) << c.name << ": " << length << " bytes inflated, " << both.data.size()
                                           << " described";
    }
}

TEST(ZlibStream, TakingBytesEmptiesWhatIsPending)
{
    ZlibStream stream;
    EXPECT_EQ(stream.pendingBytes(), 2U);  // the zlib header
    std::vector<std::uint8_t> out{1, 2, 3};
    stream.takeBytes(out);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0x78, 0x9C}));
    EXPECT_EQ(stream.pendingBytes(), 0U);
}

}  // namespace
}  // namespace korvel
