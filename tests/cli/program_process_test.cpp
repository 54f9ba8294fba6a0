// Runs the built korvel command as a process and checks its exit status,
// both output streams and the file it writes (or must not write).

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <ctime>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "usage_text.hpp"
#include "korvel/korvel.hpp"
#include "support/png_file.hpp"
#include "support/process_runner.hpp"

namespace korvel {
namespace {

namespace fs = std::filesystem;
using testing::failureText;
using testing::ProcessResult;
using testing::runKorvel;
using testing::ScratchDirectory;
using Rgb = std::array<std::uint8_t, 3>;

constexpr Rgb kWhitePixel{255, 255, 255};
constexpr Rgb kBlackPixel{0, 0, 0};
constexpr const char* kSentinel = "an earlier file that no failed run may touch\n";

std::string optionError(const std::string& message) { return message + usageText(); }

std::string describe(const std::vector<std::string>& args)
{
    std::string text;
    for (const std::string& arg : args) {
        text += "[" + arg.substr(0, 40) + "]";
    }
    return text.empty() ? "(no arguments)" : text;
}

// ---------------------------------------------------------------------------
// Runs that write no file: failures, and the usage text for -h.

struct NoFileCase {
    std::vector<std::string> args;
    int status;
    std::string err;
    bool usageOnStdout = false;
    std::string path = "out.png";  // the file that must stay as it was
};

void PrintTo(const NoFileCase& c, std::ostream* os) { *os << describe(c.args); }

class NoFileRun : public ::testing::TestWithParam<NoFileCase> {};

TEST_P(NoFileRun, ReportsAndLeavesTheOutputAlone)
{
    const NoFileCase& c = GetParam();
    ScratchDirectory scratch;
    const fs::path target = scratch.path() / c.path;

    // Once with no file there (none may appear), once with an earlier file
    // (it must keep its content). A path in a missing directory has no
    // earlier file, and the directory must not appear either.
    const bool canPreexist = fs::exists(target.parent_path());
    for (const bool preexisting : {false, true}) {
        SCOPED_TRACE(preexisting ? "output file existed" : "no output file");
        if (preexisting && canPreexist) {
            scratch.write(c.path, kSentinel);
        }
        const ProcessResult result = runKorvel(c.args, scratch);
        ASSERT_TRUE(result.exited) << "signal " << result.signal;
        EXPECT_EQ(result.exitStatus, c.status);
        EXPECT_EQ(result.out, c.usageOnStdout ? usageText() : "");
        EXPECT_EQ(result.err, c.err);
        if (preexisting && canPreexist) {
            EXPECT_EQ(scratch.read(c.path), kSentinel);
        }
        EXPECT_EQ(scratch.entryCount(), preexisting && canPreexist ? 1U : 0U);
    }
}

const std::string kTooLongForAnySymbol(3200, '7');

INSTANTIATE_TEST_SUITE_P(
    HelpAndOptionErrors, NoFileRun,
    ::testing::Values(
        NoFileCase{{"-h", "out.png"}, 0, "", true},
        NoFileCase{{"-x", "5", "-h"}, 0, "", true},
        NoFileCase{{"-x", "5", "-h", "out.png"}, 0, "", true},
        NoFileCase{{"-hk", "out.png"}, 0, "", true},
        NoFileCase{{"--help=yes", "out.png"}, 0, "", true},
        NoFileCase{{"-k", "out.png"}, 1, optionError("Unknown option `-k'.\n")},
        NoFileCase{{"-k", "-h", "out.png"}, 1, optionError("Unknown option `-k'.\n")},
        NoFileCase{{"--colour=5", "out.png"}, 1, optionError("invalid option `colour'.\n")},
        NoFileCase{{"--xsizes", "5", "out.png"}, 1, optionError("invalid option `xsizes'.\n")},
        NoFileCase{{"-x"}, 1, optionError("Missing argument for `-x'.\n")},
        NoFileCase{{"--xsize"}, 1, optionError("argument required: `xsize'.\n")},
        NoFileCase{{"-p", "17", "-x"}, 1, optionError("Missing argument for `-x'.\n")}));

INSTANTIATE_TEST_SUITE_P(
    Failures, NoFileRun,
    ::testing::Values(
        NoFileCase{{}, 11, failureText(ResultCode::EmptyOutputFileName)},
        NoFileCase{{"-p", "17"}, 11, failureText(ResultCode::EmptyOutputFileName)},
        NoFileCase{{"-x", "300", "--"}, 11, failureText(ResultCode::EmptyOutputFileName)},
        NoFileCase{{"-p", "17", "out.png"}, 1, failureText(ResultCode::InvalidArgument)},
        NoFileCase{{"-s", "1", "-p", "0", "out.png"}, 1, failureText(ResultCode::InvalidArgument)},
        NoFileCase{{"-t", "1", "out.png"}, 1, failureText(ResultCode::InvalidArgument)},
        NoFileCase{{"-t", "17", "out.png"}, 1, failureText(ResultCode::InvalidArgument)},
        NoFileCase{{"-i", "0", "out.png"}, 1, failureText(ResultCode::InvalidArgument)},
        NoFileCase{{"-i", "64517", "out.png"}, 1, failureText(ResultCode::InvalidArgument)},
        NoFileCase{{"-e", "-1", "out.png"}, 1, failureText(ResultCode::InvalidArgument)},
        NoFileCase{{"-q", "0", "-e", "-1", "out.png"}, 1, failureText(ResultCode::InvalidArgument)},
        NoFileCase{{"-n", "0.4", "out.png"}, 1, failureText(ResultCode::InvalidArgument)},
        NoFileCase{{"-x", "5", "-y", "5", "out.png"}, 4, failureText(ResultCode::InvalidBarcodeSize)},
        NoFileCase{{"-x", "13", "out.png"}, 4, failureText(ResultCode::InvalidBarcodeSize)},
        NoFileCase{{"-m", "6", "-d", "abc", "out.png"}, 5, failureText(ResultCode::InvalidData)},
        NoFileCase{{"-m", "5", "-d", "lower case", "out.png"}, 5, failureText(ResultCode::InvalidData)},
        NoFileCase{{"-d", kTooLongForAnySymbol, "out.png"}, 8, failureText(ResultCode::NoMatrixFormat)},
        NoFileCase{{"-m", "1", "-d", std::string(3200, 'A'), "out.png"}, 8, failureText(ResultCode::NoMatrixFormat)},
        NoFileCase{{"-f", "1", "out.png"}, 10, failureText(ResultCode::DataDoesNotFitFormat)},
        NoFileCase{{"nodir/out.png"}, 12, failureText(ResultCode::CantOpenOutputFile), false, "nodir/out.png"},
        NoFileCase{{""}, 12, failureText(ResultCode::CantOpenOutputFile)}));

// Values whose naive handling would overflow, wrap to a small accepted value
// or write outside the image. Integers beyond 32 bits saturate (4294967297
// would wrap to 1, 4294967396 to 100).
INSTANTIATE_TEST_SUITE_P(
    OutsizedValues, NoFileRun,
    ::testing::Values(
        NoFileCase{{"-e", "99999", "out.png"}, 1, failureText(ResultCode::InvalidArgument)},
        NoFileCase{{"-e", "2147483647", "out.png"}, 1, failureText(ResultCode::InvalidArgument)},
        NoFileCase{{"-e", "4294967296", "out.png"}, 1, failureText(ResultCode::InvalidArgument)},
        NoFileCase{{"-e", "99999", "-x", "50", "out.png"}, 4, failureText(ResultCode::InvalidBarcodeSize)},
        NoFileCase{{"-e", "99999999999", "-y", "50", "out.png"}, 4, failureText(ResultCode::InvalidBarcodeSize)},
        NoFileCase{{"-p", "99999999999", "out.png"}, 1, failureText(ResultCode::InvalidArgument)},
        NoFileCase{{"-p", "-4294967295", "out.png"}, 1, failureText(ResultCode::InvalidArgument)},
        NoFileCase{{"-i", "-99999999999", "out.png"}, 1, failureText(ResultCode::InvalidArgument)},
        NoFileCase{{"-s", "1", "-i", "4294967297", "out.png"}, 1, failureText(ResultCode::InvalidArgument)},
        NoFileCase{{"-x", "99999999999", "out.png"}, 3, failureText(ResultCode::CantInitializePngCreator)},
        NoFileCase{{"-x", "4294967396", "out.png"}, 3, failureText(ResultCode::CantInitializePngCreator)},
        NoFileCase{{"-n", "1e10", "out.png"}, 1, failureText(ResultCode::InvalidArgument)},
        NoFileCase{{"-n", "1e308", "out.png"}, 1, failureText(ResultCode::InvalidArgument)},
        NoFileCase{{"-n", "inf", "out.png"}, 1, failureText(ResultCode::InvalidArgument)},
        // 16 modules (12 x 12 and a quiet zone of 2) times 4096 pixels is exactly 65536.
        NoFileCase{{"-f", "2", "-e", "2", "-n", "4096", "out.png"}, 1, failureText(ResultCode::InvalidArgument)}));

// Sizes at the limits: a raster above 1 GiB (3 bytes a pixel) is refused
// before any memory is touched; the image size from the X-dimension is a
// 16-bit quantity that wraps; the symbol's extent in modules is at most
// 65535. The default data gives 14 modules with the quiet zone.
INSTANTIATE_TEST_SUITE_P(
    ResourceLimits, NoFileRun,
    ::testing::Values(
        NoFileCase{{"-x", "16384", "-y", "21846", "out.png"}, 3, failureText(ResultCode::CantInitializePngCreator)},
        NoFileCase{{"-x", "2147483647", "-y", "2147483647", "out.png"}, 3,
                   failureText(ResultCode::CantInitializePngCreator)},
        NoFileCase{{"-x", "65535", "-y", "16384", "out.png"}, 3, failureText(ResultCode::CantInitializePngCreator)},
        NoFileCase{{"-n", "4682", "out.png"}, 4, failureText(ResultCode::InvalidBarcodeSize)},
        NoFileCase{{"-n", "4681", "out.png"}, 3, failureText(ResultCode::CantInitializePngCreator)},
        NoFileCase{{"-n", "65535", "out.png"}, 3, failureText(ResultCode::CantInitializePngCreator)},
        NoFileCase{{"-e", "32761", "out.png"}, 3, failureText(ResultCode::CantInitializePngCreator)},
        NoFileCase{{"-e", "32761", "-n", "1", "out.png"}, 3, failureText(ResultCode::CantInitializePngCreator)},
        NoFileCase{{"-e", "32761", "-x", "100", "-y", "100", "out.png"}, 4, failureText(ResultCode::InvalidBarcodeSize)},
        NoFileCase{{"-e", "32762", "out.png"}, 1, failureText(ResultCode::InvalidArgument)},
        NoFileCase{{"-e", "2147483647", "-x", "100", "out.png"}, 4, failureText(ResultCode::InvalidBarcodeSize)}));

// ---------------------------------------------------------------------------
// Runs that write a PNG.

struct PngCase {
    std::vector<std::string> args;
    std::uint32_t width;
    std::uint32_t height;
    std::set<Rgb> colours = {kWhitePixel, kBlackPixel};  // exactly the colours in the image
    std::string path = "out.png";
};

void PrintTo(const PngCase& c, std::ostream* os) { *os << describe(c.args); }

std::set<Rgb> coloursOf(const testing::DecodedPng& png)
{
    std::set<Rgb> colours;
    for (std::uint32_t y = 0; y < png.height; ++y) {
        for (std::uint32_t x = 0; x < png.width; ++x) {
            colours.insert(png.rgb(x, y));
        }
    }
    return colours;
}

class PngRun : public ::testing::TestWithParam<PngCase> {};

TEST_P(PngRun, WritesTheImageSilently)
{
    const PngCase& c = GetParam();
    ScratchDirectory scratch;
    const ProcessResult result = runKorvel(c.args, scratch);
    ASSERT_TRUE(result.exited) << "signal " << result.signal;
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    const std::string bytes = scratch.read(c.path);
    EXPECT_TRUE(testing::isCompletePng(bytes));
    const auto png = testing::decodePng(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    ASSERT_TRUE(png.has_value()) << "no readable PNG at " << c.path;
    EXPECT_EQ(png->width, c.width);
    EXPECT_EQ(png->height, c.height);
    EXPECT_EQ(coloursOf(*png), c.colours);
}

// The default data "1234567" takes four ASCII codewords: a 12 x 12 symbol,
// 14 modules with its quiet zone, 5 pixels each.
INSTANTIATE_TEST_SUITE_P(
    ImageSize, PngRun,
    ::testing::Values(PngCase{{"out.png"}, 70, 70},
                      PngCase{{"out.png", "-x", "300"}, 70, 70},
                      PngCase{{"out.png", "-k"}, 70, 70},
                      PngCase{{"-x", "300", "out.png"}, 300, 100},
                      PngCase{{"-y", "40", "out.png"}, 100, 40},
                      PngCase{{"-x", "0", "out.png"}, 70, 70},
                      PngCase{{"-x", "-5", "out.png"}, 70, 70},
                      PngCase{{"-x", "300", "-n", "10", "out.png"}, 300, 100},
                      PngCase{{"-x", "300", "-n", "1e308", "out.png"}, 300, 100},
                      PngCase{{"-n", "0.4", "-x", "300", "out.png"}, 300, 100},
                      PngCase{{"-x", "14", "out.png"}, 14, 100},
                      PngCase{{"-n", "10", "out.png"}, 140, 140},
                      PngCase{{"-n", "2.5", "out.png"}, 42, 42},
                      PngCase{{"-n", "2.49", "out.png"}, 28, 28},
                      PngCase{{"-n", "abc", "out.png"}, 70, 70},
                      PngCase{{"-n", "-3", "out.png"}, 70, 70},
                      PngCase{{"-n", "nan", "out.png"}, 70, 70},
                      PngCase{{"-q", "0", "out.png"}, 60, 60},
                      PngCase{{"-e", "0", "out.png"}, 60, 60},
                      PngCase{{"-e", "3", "out.png"}, 90, 90},
                      PngCase{{"-e", "2147483647", "-q", "0", "out.png"}, 60, 60},
                      PngCase{{"-f", "25", "out.png"}, 100, 50},
                      PngCase{{"-f", "25", "-o", "90", "out.png"}, 50, 100},
                      PngCase{{"-f", "25", "-o", "270", "out.png"}, 50, 100},
                      PngCase{{"-f", "5", "-f", "31", "out.png"}, 100, 100},
                      PngCase{{"-s", "1", "out.png"}, 80, 80},
                      // 14 modules times 4683 pixels is 65562, which wraps to 26;
                      // 16 times 4097 is 65552, 16; 14 times 4700 is 65800, 264.
                      PngCase{{"-f", "2", "-n", "4683", "out.png"}, 26, 26},
                      PngCase{{"-n", "4097", "-e", "2", "out.png"}, 16, 16},
                      PngCase{{"-n", "4700", "out.png"}, 264, 264}));

INSTANTIATE_TEST_SUITE_P(
    ColoursAndNames, PngRun,
    ::testing::Values(PngCase{{"-b", "0xffffff", "out.png"}, 70, 70, {kBlackPixel}},
                      PngCase{{"-b", "FFFFFF", "out.png"}, 70, 70},
                      PngCase{{"-r", "ff0000", "out.png"}, 70, 70, {kWhitePixel, {255, 0, 0}}},
                      PngCase{{"--fcolor=ff0000", "out.png"}, 70, 70, {kWhitePixel, {255, 0, 0}}},
                      PngCase{{"-b", "ffff00", "out.png"}, 70, 70, {{255, 255, 0}, kBlackPixel}},
                      PngCase{{"-b", "00ff00", "-r", "ff", "out.png"}, 70, 70, {{0, 255, 0}, {0, 0, 255}}},
                      PngCase{{"-"}, 70, 70, {kWhitePixel, kBlackPixel}, "-"},
                      PngCase{{"--", "-x.png"}, 70, 70, {kWhitePixel, kBlackPixel}, "-x.png"}));

// An earlier file at the output path, shorter or longer than the new image,
// ends up holding exactly the new image: nothing of the old bytes stays after
// it, and every name of the file (a hard link here) sees it.
class ReplacedFile : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ReplacedFile, HoldsExactlyTheNewImage)
{
    ScratchDirectory scratch;
    const std::string earlier = std::string(GetParam(), 'o');
    scratch.write("out.png", earlier);
    fs::create_hard_link(scratch.path() / "out.png", scratch.path() / "other-name.png");

    const ProcessResult result = runKorvel({"-d", "Replaced", "out.png"}, scratch);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::string bytes = scratch.read("out.png");
    EXPECT_TRUE(testing::isCompletePng(bytes)) << bytes.size() << " bytes, the earlier file had " << earlier.size();
    EXPECT_EQ(scratch.read("other-name.png"), bytes);

    const ProcessResult fresh = runKorvel({"-d", "Replaced", "fresh.png"}, scratch);
    ASSERT_EQ(fresh.exitStatus, 0) << fresh.err;
    const auto png = testing::decodePng(testing::readFileBytes(scratch.path() / "out.png"));
    const auto freshPng = testing::decodePng(testing::readFileBytes(scratch.path() / "fresh.png"));
    ASSERT_TRUE(png.has_value() && freshPng.has_value());
    EXPECT_EQ(png->pixels, freshPng->pixels);
}

INSTANTIATE_TEST_SUITE_P(EarlierSizes, ReplacedFile,
                         ::testing::Values(std::size_t{0}, std::size_t{45}, std::size_t{1} << 20));

// Help written to a full device is a failure: the banner and "Error: Fail."
// on stderr and status 2, never 0.
TEST(ProgramProcess, HelpThatCannotBeWrittenFails)
{
    ScratchDirectory scratch;
    const std::string command = "exec '" + testing::korvelProgram() + "' -h > /dev/full";
    const ProcessResult result = testing::runProcess("/bin/sh", {"-c", command}, scratch.path());
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.err, failureText(ResultCode::Fail));
}

// The file the command writes for its defaults is, byte for byte, what the
// library writes for them at the time the file is stamped with, and that
// time is the time of the run.
TEST(ProgramProcess, WritesTheLibrarysPngStampedNow)
{
    ScratchDirectory scratch;
    const std::time_t before = std::time(nullptr);
    const ProcessResult result = runKorvel({"out.png"}, scratch);
    const std::time_t after = std::time(nullptr);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::vector<std::uint8_t> written = testing::readFileBytes(scratch.path() / "out.png");
    const auto chunks = testing::readPngChunks(written);
    ASSERT_TRUE(chunks.has_value()) << "malformed PNG file";
    const auto stamp = std::find_if(chunks->begin(), chunks->end(), [](const auto& c) { return c.type == "tIME"; });
    ASSERT_TRUE(stamp != chunks->end() && stamp->data.size() == 7);
    std::tm utc{};
    utc.tm_year = testing::bigEndian16(stamp->data, 0) - 1900;
    utc.tm_mon = stamp->data[2] - 1;
    utc.tm_mday = stamp->data[3];
    utc.tm_hour = stamp->data[4];
    utc.tm_min = stamp->data[5];
    utc.tm_sec = stamp->data[6];
    const std::time_t stamped = timegm(&utc);
    EXPECT_LE(before, stamped);
    EXPECT_LE(stamped, after);

    Symbol symbol;
    ASSERT_TRUE(encode(SymbolOptions{}, symbol).ok());
    PngOptions png;
    png.time = stamped;
    std::vector<std::uint8_t> fromLibrary;
    ASSERT_TRUE(writePng(symbol, {}, png, bufferSink(fromLibrary)).ok());
    EXPECT_TRUE(written == fromLibrary);
}

}  // namespace
}  // namespace korvel
