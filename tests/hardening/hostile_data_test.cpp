// Any byte string as data, in every mode and with several preferred formats,
// gives a symbol that can be drawn and read, or result 5, 8 or 10: never a
// crash, a hang or any other result. Inputs come from a fixed seed, plus
// fixed ones at and beyond the capacity of the largest symbol.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "encodation/data_preparation.hpp"
#include "hardening/program_run.hpp"
#include "korvel/data_matrix_barcode.hpp"
#include "support/symbol_readers.hpp"

namespace korvel {
namespace {

constexpr std::array<EncodingMode, 7> kModes{Automatic, Ascii, C40, Text, Base256, Edifact, X12};
// 0 first; the largest format (24) is left to the long data, its error
// correction being the slowest step under the sanitizers.
constexpr std::array<std::int32_t, 5> kFormats{0, 1, 12, 25, 30};
constexpr std::size_t kBase256Limit = 1555;  // data items a Base 256 run can count

// Pieces of data that start escape sequences and often leave them unfinished.
const std::vector<std::string> kEscapePieces{
    "~",   "~~",   "~1",       "~3",     "~5",       "~6",     "~7",  "~70",   "~7000",   "~70000", "~7000003",
    "~799999", "~7999999", "~7A23456", "~N",  "~R",  "~n",   "~X",      "~X4",    "~x4f",     "~XG1",   "~X~",
    "A",   "1",    "\xff",     "\x80",   " ",        "\r",     "*",   "\x00",  "~\x00",   "~\xff",  "z"};

std::string randomData(std::mt19937& rng)
{
    std::uniform_int_distribution<int> kind(0, 5);
    std::uniform_int_distribution<int> shortLength(0, 40);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string data;
    switch (kind(rng)) {
    case 0: {  // any bytes
        const int n = shortLength(rng);
        for (int i = 0; i < n; ++i) {
            data.push_back(static_cast<char>(byte(rng)));
        }
        break;
    }
    case 1: {  // control characters
        std::uniform_int_distribution<int> control(0, 32);
        const int n = shortLength(rng);
        for (int i = 0; i < n; ++i) {
            const int c = control(rng);
            data.push_back(static_cast<char>(c == 32 ? 127 : c));
        }
        break;
    }
    case 2: {  // bytes 128..255
        std::uniform_int_distribution<int> high(128, 255);
        const int n = shortLength(rng);
        for (int i = 0; i < n; ++i) {
            data.push_back(static_cast<char>(high(rng)));
        }
        break;
    }
    case 3:
    case 4: {  // escape sequences, complete or not
        std::uniform_int_distribution<std::size_t> piece(0, kEscapePieces.size() - 1);
        const int n = shortLength(rng) / 2;
        for (int i = 0; i < n; ++i) {
            data += kEscapePieces[piece(rng)];
        }
        break;
    }
    default: {  // a longer run of one character class, to a few hundred items
        std::uniform_int_distribution<int> length(100, 700);
        const std::string classes[] = {"0123456789", "ABCXYZ 019", "abcxyz 019", "ABC*>\r 019", "@ABC^_=?;:",
                                       "\x80\xff\xe8\xe9", "~"};
        std::uniform_int_distribution<std::size_t> which(0, std::size(classes) - 1);
        const std::string& set = classes[which(rng)];
        std::uniform_int_distribution<std::size_t> pick(0, set.size() - 1);
        const int n = length(rng);
        for (int i = 0; i < n; ++i) {
            data.push_back(set[pick(rng)]);
        }
        break;
    }
    }
    return data;
}

// Data at and beyond what the largest symbol (1558 data codewords) holds.
std::vector<std::string> longData()
{
    std::vector<std::string> data{
        std::string(3116, '7'),  std::string(3117, '7'),  std::string(1555, '\xa5'), std::string(1556, '\xa5'),
        std::string(2336, 'Q'),  std::string(2337, 'Q'),  std::string(2076, '@'),    std::string(2078, '@'),
        std::string(1000, '~'),  std::string(3117, '~'),  std::string(6232, '~'),    std::string(6233, '~'),
        std::string(10000, 'a'), std::string(70000, '1'), std::string(70000, '~'),
    };
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> byte(0, 255);
    for (const std::size_t n : {1556U, 3200U, 20000U}) {
        std::string random;
        for (std::size_t i = 0; i < n; ++i) {
            random.push_back(static_cast<char>(byte(rng)));
        }
        data.push_back(random);
    }
    return data;
}

struct Prepared {
    std::size_t dataItems = 0;  // items after the leading ready codewords
    bool plainBytes = true;     // no ready codeword anywhere
    std::string bytes;          // the data characters
};

Prepared prepare(const std::string& data)
{
    Prepared p;
    const DataItemList items = prepareData(data);
    std::size_t leading = 0;
    while (leading < items.size() && items[leading].isCodeword) {
        ++leading;
    }
    p.dataItems = items.size() - leading;
    for (const DataItem& item : items) {
        p.plainBytes = p.plainBytes && !item.isCodeword;
        p.bytes.push_back(static_cast<char>(item.value));
    }
    return p;
}

// Encodes `data` in every mode and format and checks each answer; the symbol
// of the first format is drawn and, when asked, read back.
void checkAllModes(const std::string& data, const std::vector<std::int32_t>& formats, bool readBack)
{
    const Prepared prepared = prepare(data);
    DataMatrixBarcode barcode;
    static_cast<void>(barcode.setData(data));
    for (const EncodingMode mode : kModes) {
        for (const std::int32_t format : formats) {
            SCOPED_TRACE("mode " + std::to_string(static_cast<int>(mode)) + ", format " + std::to_string(format));
            static_cast<void>(barcode.suspendUpdates(true));
            static_cast<void>(barcode.setEncodingMode(mode));
            static_cast<void>(barcode.setPreferredFormat(format));
            const ResultCode result = barcode.suspendUpdates(false);
            ASSERT_TRUE(result == ResultCode::Ok || result == ResultCode::InvalidData ||
                        result == ResultCode::NoMatrixFormat || result == ResultCode::DataDoesNotFitFormat)
                << "result " << static_cast<unsigned>(result);
            EXPECT_EQ(barcode.isEncoded(), result == ResultCode::Ok);
            if (result == ResultCode::InvalidData) {
                // ASCII, C40 and Text encode every byte; Base 256 and the
                // automatic choice refuse only what no length field can count.
                EXPECT_NE(mode, Ascii);
                EXPECT_NE(mode, C40);
                EXPECT_NE(mode, Text);
                if (mode == Base256 || mode == Automatic) {
                    EXPECT_GT(prepared.dataItems, kBase256Limit);
                }
            }
            if (result != ResultCode::Ok || format != formats.front()) {
                continue;
            }
            // The smallest symbol that holds the data is drawn, and read back
            // (zxing-cpp misses some small symbols at 2 pixels a module).
            const testing::RenderedSymbol symbol(barcode, readBack ? 4 : 2);
            ASSERT_TRUE(symbol.ok);
            if (readBack) {
                const auto reading = testing::readWithZxing(*symbol.image);
                EXPECT_TRUE(reading.found);
                if (prepared.plainBytes) {
                    EXPECT_EQ(reading.bytes, prepared.bytes);
                }
            }
        }
    }
}

TEST(HostileData, SeededInputsInEveryModeAndFormat)
{
    std::mt19937 rng(20240607);
    const std::vector<std::int32_t> formats(kFormats.begin(), kFormats.end());
    for (int i = 0; i < 160; ++i) {
        const std::string data = randomData(rng);
        SCOPED_TRACE("input " + std::to_string(i) + " of " + std::to_string(data.size()) + " bytes");
        // Every fourth input is also read back with an independent reader.
        checkAllModes(data, formats, i % 4 == 0);
        if (::testing::Test::HasFatalFailure()) {
            return;
        }
    }
}

TEST(HostileData, DataAtAndBeyondTheLargestSymbol)
{
    for (const std::string& data : longData()) {
        SCOPED_TRACE(std::to_string(data.size()) + " bytes starting with " + std::to_string(
                                                                                 static_cast<std::uint8_t>(data[0])));
        checkAllModes(data, {0, 24}, false);
        if (::testing::Test::HasFatalFailure()) {
            return;
        }
    }
}

// Around the capacity of the largest symbol (1558 data codewords): each
// length is drawn or refused (5 for Base 256, else 8), once refused a longer
// one is refused too, and the longest that fits reads back.
struct CapacityCase {
    const char* name;
    EncodingMode mode;
    char fill;
    std::size_t first;  // lengths first .. first + 9
};

TEST(HostileData, CapacityEdgeOfTheLargestSymbol)
{
    const CapacityCase cases[] = {
        {"AsciiDigits", Ascii, '4', 3112},     {"AsciiHighBytes", Ascii, '\xe4', 775},
        {"C40Capitals", C40, 'K', 2331},       {"TextSmallLetters", Text, 'k', 2331},
        {"X12Capitals", X12, 'K', 2331},       {"EdifactSigns", Edifact, '@', 2072},
        {"Base256Bytes", Base256, '\x01', 1550}, {"AutomaticDigits", Automatic, '0', 3112},
        {"AutomaticTildes", Automatic, '~', 3108},
    };
    for (const CapacityCase& c : cases) {
        SCOPED_TRACE(c.name);
        DataMatrixBarcode barcode;
        ASSERT_EQ(barcode.setEncodingMode(c.mode), ResultCode::Ok);
        std::size_t longestFitting = 0;
        bool refused = false;
        for (std::size_t n = c.first; n < c.first + 10; ++n) {
            SCOPED_TRACE(std::to_string(n) + " characters");
            const ResultCode result = barcode.setData(std::string(n, c.fill));
            if (result == ResultCode::Ok) {
                EXPECT_FALSE(refused) << "a longer text fits after a shorter one was refused";
                EXPECT_EQ(barcode.format().id, 24);
                longestFitting = n;
                continue;
            }
            refused = true;
            EXPECT_EQ(result, c.mode == Base256 ? ResultCode::InvalidData : ResultCode::NoMatrixFormat)
                << static_cast<unsigned>(result);
        }
        ASSERT_NE(longestFitting, 0U) << "nothing in the range fits";
        EXPECT_TRUE(refused) << "everything in the range fits";
        const std::string data(longestFitting, c.fill);
        ASSERT_EQ(barcode.setData(data), ResultCode::Ok);
        const testing::RenderedSymbol symbol(barcode, 2);
        ASSERT_TRUE(symbol.ok);
        EXPECT_EQ(testing::readWithZxing(*symbol.image).bytes, prepare(data).bytes);
    }
}

// The same through the command line, where the data arrives as an argument
// (no NUL byte can be part of it; the kernel limits one argument to 128 KiB).
TEST(HostileData, ThroughTheCommandLine)
{
    std::string control;
    for (int c = 1; c < 32; ++c) {
        control.push_back(static_cast<char>(c));
    }
    control.push_back('\x7f');
    std::string high;
    for (int c = 128; c < 256; ++c) {
        high.push_back(static_cast<char>(c));
    }
    const std::vector<std::vector<std::string>> cases{
        {"-d", control},
        {"-d", high},
        {"-d", high, "-m", "2"},
        {"-d", std::string(5000, '~')},
        {"-d", std::string(5001, '~'), "-m", "1"},
        {"-d", std::string(130000, 'x')},
        {"-d", std::string(130000, '~'), "-m", "5"},
        {"-d", "~7", "-m", "4"},
        {"-d", "~"},
        {"-d", "~X", "-f", "1"},
        {"-d", "~71234567~X4~", "-m", "6"},
        {"-d", "\xe8\xe9\xea\xf1~3~5~6", "-s", "1"},
    };
    for (const auto& options : cases) {
        SCOPED_TRACE(options[1].substr(0, 20) + " (" + std::to_string(options[1].size()) + " bytes)");
        const testing::ScratchDirectory dir;
        std::vector<std::string> args = options;
        args.push_back(dir.file("out.png"));
        const auto run = testing::runKorvel(args);
        ASSERT_TRUE(run.exited) << "ended by signal " << run.signal;
        EXPECT_TRUE(run.exitStatus == 0 || run.exitStatus == 5 || run.exitStatus == 8 || run.exitStatus == 10) << run.exitStatus;
        if (run.exitStatus == 0) {
            EXPECT_TRUE(testing::isCompletePng(testing::readWholeFile(dir.file("out.png"))));
        } else {
            EXPECT_EQ(dir.entryCount(), 0U);
        }
    }
}

}  // namespace
}  // namespace korvel
