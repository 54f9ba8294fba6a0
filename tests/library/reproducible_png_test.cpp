// Reproducible output for library callers: the same symbol written with the
// same fixed time gives the same bytes, whichever object, image and sink
// produce it, and the time shows only in the tIME chunk and the
// "Creation Time" text, both as that instant in UTC.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "korvel/korvel.hpp"
#include "support/png_file.hpp"

namespace korvel {
namespace {

using enum EncodingMode;


using testing::PngChunk;

struct StampCase {
    const char* data;
    EncodingMode mode;
    std::time_t when;
    std::array<int, 6> fields;  // year, month, day, hour, minute, second
    const char* text;
};

const StampCase kCases[] = {
    {"1234567", Automatic, 0, {1970, 1, 1, 0, 0, 0}, "1 Jan 1970 00:00:00 +0000"},
    {"Hello, Data Matrix!", Text, 1709251199, {2024, 2, 29, 23, 59, 59}, "29 Feb 2024 23:59:59 +0000"},
    {"~10103453120000011", Ascii, -1, {1969, 12, 31, 23, 59, 59}, "31 Dec 1969 23:59:59 +0000"},
    {"beyond 2038", Base256, 4133980799, {2100, 12, 31, 23, 59, 59}, "31 Dec 2100 23:59:59 +0000"},
};

// The symbol of `data` in `mode`, drawn by a fresh barcode object into a
// fresh image, written to memory at `when`.
std::vector<std::uint8_t> pngOf(const char* data, EncodingMode mode, std::time_t when, std::string* viaStream = nullptr)
{
    DataMatrixBarcode barcode;
    static_cast<void>(barcode.suspendUpdates(true));
    static_cast<void>(barcode.setData(data));
    static_cast<void>(barcode.setEncodingMode(mode));
    EXPECT_EQ(barcode.suspendUpdates(false), ResultCode::Ok) << data;
    ImageSize size;
    EXPECT_EQ(barcode.getImageSize(4.0, size), ResultCode::Ok);
    PngCreator image(size.width, size.height, kWhite, -2);
    EXPECT_TRUE(image.allocate());
    EXPECT_EQ(barcode.draw(image, {0, size.width, 0, size.height}), ResultCode::Ok);
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(image.write(bytes, when), ResultCode::Ok);
    if (viaStream != nullptr) {
        std::ostringstream stream;
        EXPECT_EQ(image.write(stream, when), ResultCode::Ok);
        *viaStream = stream.str();
    }
    return bytes;
}

std::vector<PngChunk> chunksOf(const std::vector<std::uint8_t>& bytes)
{
    auto chunks = testing::readPngChunks(bytes);
    EXPECT_TRUE(chunks.has_value()) << "malformed PNG stream";
    return chunks.value_or(std::vector<PngChunk>{});
}

bool isStamp(const PngChunk& chunk)
{
    static const std::string kKey = "Creation Time";
    return chunk.type == "tIME" ||
           (chunk.type == "tEXt" && chunk.data.size() > kKey.size() &&
            std::equal(kKey.begin(), kKey.end(), chunk.data.begin()) && chunk.data[kKey.size()] == 0);
}

TEST(ReproduciblePng, SameSymbolAndTimeGiveTheSameBytesStampedWithThatTime)
{
    for (const StampCase& c : kCases) {
        SCOPED_TRACE(c.data);
        std::string streamed;
        const std::vector<std::uint8_t> first = pngOf(c.data, c.mode, c.when, &streamed);
        const std::vector<std::uint8_t> second = pngOf(c.data, c.mode, c.when);
        EXPECT_TRUE(first == second) << "two writes at the same time differ";
        EXPECT_TRUE(std::string(first.begin(), first.end()) == streamed) << "memory and stream differ";

        int stamps = 0;
        for (const PngChunk& chunk : chunksOf(first)) {
            if (chunk.type == "tIME") {
                ++stamps;
                ASSERT_EQ(chunk.data.size(), 7U);
                const std::array<int, 6> fields{(chunk.data[0] << 8) | chunk.data[1], chunk.data[2], chunk.data[3],
                                                chunk.data[4], chunk.data[5], chunk.data[6]};
                EXPECT_EQ(fields, c.fields);
            } else if (isStamp(chunk)) {
                ++stamps;
                const std::string text(chunk.data.begin() + 14, chunk.data.end());
                EXPECT_EQ(text, c.text);
            }
        }
        EXPECT_EQ(stamps, 2) << "one tIME chunk and one Creation Time text";
    }
}

TEST(ReproduciblePng, OnlyTheStampChunksDependOnTheTime)
{
    for (const StampCase& c : kCases) {
        SCOPED_TRACE(c.data);
        const std::vector<PngChunk> early = chunksOf(pngOf(c.data, c.mode, c.when));
        const std::vector<PngChunk> late = chunksOf(pngOf(c.data, c.mode, c.when + 86400 * 400 + 3661));
        ASSERT_EQ(early.size(), late.size());
        for (std::size_t i = 0; i < early.size(); ++i) {
            ASSERT_EQ(early[i].type, late[i].type);
            if (isStamp(early[i])) {
                EXPECT_NE(early[i].data, late[i].data) << early[i].type << " does not follow the time";
            } else {
                EXPECT_EQ(early[i].data, late[i].data) << early[i].type << " depends on the time";
            }
        }
    }
}

}  // namespace
}  // namespace korvel
