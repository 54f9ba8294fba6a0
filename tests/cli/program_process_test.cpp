// Runs the built korvel command as a process and checks its exit status,
// both output streams and the file it writes (or must not write).

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli/usage_text.hpp"
#include "korvel/result_code.hpp"
#include "support/png_file.hpp"
#include "support/process_runner.hpp"
#include "support/symbol_readers.hpp"

namespace korvel {
namespace {

namespace fs = std::filesystem;
using testing::ProcessResult;
using testing::ScratchDirectory;
using Rgb = std::array<std::uint8_t, 3>;

constexpr Rgb kWhitePixel{255, 255, 255};
constexpr Rgb kBlackPixel{0, 0, 0};
constexpr const char* kSentinel = "an earlier file that no failed run may touch\n";

ProcessResult runKorvel(const std::vector<std::string>& args, const fs::path& directory)
{
    return testing::runProcess(KORVEL_BINARY, args, directory);
}

std::string reported(ResultCode code) { return std::string("korvel Version 1.3\n") + resultMessage(code) + "\n"; }

std::string optionError(const std::string& message) { return message + usageText(); }

std::string fileContent(const fs::path& path)
{
    const std::vector<std::uint8_t> bytes = testing::readFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

std::string describe(const std::vector<std::string>& args)
{
    std::string text;
    for (const std::string& arg : args) {
        text += "[" + arg + "]";
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
            std::ofstream(target, std::ios::binary) << kSentinel;
        }
        const ProcessResult result = runKorvel(c.args, scratch.path());
        ASSERT_TRUE(result.exited) << "signal " << result.signal;
        EXPECT_EQ(result.exitStatus, c.status);
        EXPECT_EQ(result.out, c.usageOnStdout ? usageText() : "");
        EXPECT_EQ(result.err, c.err);
        if (preexisting && canPreexist) {
            EXPECT_EQ(fileContent(target), kSentinel);
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()),
                  preexisting && canPreexist ? 1 : 0);
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
        NoFileCase{{}, 11, reported(ResultCode::EmptyOutputFileName)},
        NoFileCase{{"-p", "17"}, 11, reported(ResultCode::EmptyOutputFileName)},
        NoFileCase{{"-x", "300", "--"}, 11, reported(ResultCode::EmptyOutputFileName)},
        NoFileCase{{"-p", "17", "out.png"}, 1, reported(ResultCode::InvalidArgument)},
        NoFileCase{{"-s", "1", "-p", "0", "out.png"}, 1, reported(ResultCode::InvalidArgument)},
        NoFileCase{{"-t", "1", "out.png"}, 1, reported(ResultCode::InvalidArgument)},
        NoFileCase{{"-t", "17", "out.png"}, 1, reported(ResultCode::InvalidArgument)},
        NoFileCase{{"-i", "0", "out.png"}, 1, reported(ResultCode::InvalidArgument)},
        NoFileCase{{"-i", "64517", "out.png"}, 1, reported(ResultCode::InvalidArgument)},
        NoFileCase{{"-e", "-1", "out.png"}, 1, reported(ResultCode::InvalidArgument)},
        NoFileCase{{"-q", "0", "-e", "-1", "out.png"}, 1, reported(ResultCode::InvalidArgument)},
        NoFileCase{{"-n", "0.4", "out.png"}, 1, reported(ResultCode::InvalidArgument)},
        NoFileCase{{"-x", "5", "-y", "5", "out.png"}, 4, reported(ResultCode::InvalidBarcodeSize)},
        NoFileCase{{"-x", "13", "out.png"}, 4, reported(ResultCode::InvalidBarcodeSize)},
        NoFileCase{{"-m", "6", "-d", "abc", "out.png"}, 5, reported(ResultCode::InvalidData)},
        NoFileCase{{"-d", kTooLongForAnySymbol, "out.png"}, 8, reported(ResultCode::NoMatrixFormat)},
        NoFileCase{{"-f", "1", "out.png"}, 10, reported(ResultCode::DataDoesNotFitFormat)},
        NoFileCase{{"nodir/out.png"}, 12, reported(ResultCode::CantOpenOutputFile), false, "nodir/out.png"},
        NoFileCase{{""}, 12, reported(ResultCode::CantOpenOutputFile)}));

// Values whose naive handling would overflow or write outside the image.
INSTANTIATE_TEST_SUITE_P(
    OutsizedValues, NoFileRun,
    ::testing::Values(
        NoFileCase{{"-e", "99999", "out.png"}, 1, reported(ResultCode::InvalidArgument)},
        NoFileCase{{"-e", "2147483647", "out.png"}, 1, reported(ResultCode::InvalidArgument)},
        NoFileCase{{"-e", "99999", "-x", "50", "out.png"}, 4, reported(ResultCode::InvalidBarcodeSize)},
        NoFileCase{{"-e", "99999999999", "-y", "50", "out.png"}, 4, reported(ResultCode::InvalidBarcodeSize)},
        NoFileCase{{"-p", "99999999999", "out.png"}, 1, reported(ResultCode::InvalidArgument)},
        NoFileCase{{"-i", "-99999999999", "out.png"}, 1, reported(ResultCode::InvalidArgument)},
        NoFileCase{{"-x", "99999999999", "out.png"}, 3, reported(ResultCode::CantInitializePngCreator)},
        NoFileCase{{"-n", "1e10", "out.png"}, 1, reported(ResultCode::InvalidArgument)},
        NoFileCase{{"-n", "inf", "out.png"}, 1, reported(ResultCode::InvalidArgument)},
        // 16 modules (12 x 12 and a quiet zone of 2) times 4096 pixels is exactly 65536.
        NoFileCase{{"-f", "2", "-e", "2", "-n", "4096", "out.png"}, 1, reported(ResultCode::InvalidArgument)}));

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
    const ProcessResult result = runKorvel(c.args, scratch.path());
    ASSERT_TRUE(result.exited) << "signal " << result.signal;
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    const auto png = testing::decodePng(testing::readFileBytes(scratch.path() / c.path));
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
                      PngCase{{"-f", "25", "out.png"}, 100, 50},
                      PngCase{{"-f", "25", "-o", "90", "out.png"}, 50, 100},
                      PngCase{{"-f", "25", "-o", "270", "out.png"}, 50, 100},
                      PngCase{{"-f", "5", "-f", "31", "out.png"}, 100, 100},
                      PngCase{{"-s", "1", "out.png"}, 80, 80},
                      // 14 modules times 4683 pixels is 65562, which wraps to 26.
                      PngCase{{"-f", "2", "-n", "4683", "out.png"}, 26, 26}));

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

// ---------------------------------------------------------------------------
// Different spellings and dropped values give the very same image.

struct SameImageCase {
    std::string name;
    std::string data;  // what a reader must find in the symbol
    std::vector<std::vector<std::string>> runs;
};

void PrintTo(const SameImageCase& c, std::ostream* os) { *os << c.name; }

class SameImage : public ::testing::TestWithParam<SameImageCase> {};

TEST_P(SameImage, AllSpellingsWriteIdenticalPixels)
{
    const SameImageCase& c = GetParam();
    ScratchDirectory scratch;
    std::optional<testing::DecodedPng> first;
    for (const auto& args : c.runs) {
        SCOPED_TRACE(describe(args));
        const ProcessResult result = runKorvel(args, scratch.path());
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        auto png = testing::decodePng(testing::readFileBytes(scratch.path() / "out.png"));
        ASSERT_TRUE(png.has_value());
        fs::remove(scratch.path() / "out.png");
        if (!first) {
            first = std::move(png);
            continue;
        }
        EXPECT_EQ(png->width, first->width);
        EXPECT_EQ(png->height, first->height);
        EXPECT_TRUE(png->pixels == first->pixels);
    }
    const auto image = testing::rasterOf(*first);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(testing::readWithZxing(*image).bytes, c.data);
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, SameImage,
    ::testing::Values(SameImageCase{"DroppedValues",
                                    "1234567",
                                    {{"out.png"},
                                     {"-f", "31", "-m", "9", "-o", "45", "-z", "3", "-v", "-1", "out.png"},
                                     {"-f", "5", "-f", "abc", "out.png"},
                                     {"-x", "0", "-y", "-5", "-n", "0", "out.png"},
                                     {"-p", "16", "-t", "16", "-i", "64516", "out.png"},
                                     {"-m", "4", "-m", "0", "-q", "7", "out.png"}}},
                      SameImageCase{"DataOption",
                                    "ABC",
                                    {{"--data=ABC", "out.png"},
                                     {"--data", "ABC", "out.png"},
                                     {"--da", "ABC", "out.png"},
                                     {"--d=ABC", "out.png"},
                                     {"-dABC", "out.png"},
                                     {"-d", "ABC", "out.png"}}}),
    [](const auto& info) { return info.param.name; });

bool endsWithImageEnd(const std::vector<std::uint8_t>& bytes)
{
    static constexpr std::array<std::uint8_t, 12> kEnd{0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    return bytes.size() >= kEnd.size() && std::equal(kEnd.begin(), kEnd.end(), bytes.end() - kEnd.size());
}

// An earlier file at the output path, shorter or longer than the new image,
// ends up holding exactly the new image: nothing of the old bytes stays after
// it, and every name of the file (a hard link here) sees it.
class ReplacedFile : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ReplacedFile, HoldsExactlyTheNewImage)
{
    ScratchDirectory scratch;
    const std::string earlier = std::string(GetParam(), 'o');
    std::ofstream(scratch.path() / "out.png", std::ios::binary) << earlier;
    fs::create_hard_link(scratch.path() / "out.png", scratch.path() / "other-name.png");

    const ProcessResult result = runKorvel({"-d", "Replaced", "out.png"}, scratch.path());
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const auto bytes = testing::readFileBytes(scratch.path() / "out.png");
    EXPECT_TRUE(endsWithImageEnd(bytes)) << bytes.size() << " bytes, the earlier file had " << earlier.size();
    const auto png = testing::decodePng(bytes);
    ASSERT_TRUE(png.has_value());
    EXPECT_EQ(testing::readFileBytes(scratch.path() / "other-name.png"), bytes);

    const ProcessResult fresh = runKorvel({"-d", "Replaced", "fresh.png"}, scratch.path());
    ASSERT_EQ(fresh.exitStatus, 0) << fresh.err;
    const auto freshPng = testing::decodePng(testing::readFileBytes(scratch.path() / "fresh.png"));
    ASSERT_TRUE(freshPng.has_value());
    EXPECT_EQ(png->pixels, freshPng->pixels);
}

INSTANTIATE_TEST_SUITE_P(EarlierSizes, ReplacedFile,
                         ::testing::Values(std::size_t{0}, std::size_t{45}, std::size_t{1} << 20));

// Help written to a full device is a failure: the banner and "Error: Fail."
// on stderr and status 2, never 0.
TEST(ProgramProcess, HelpThatCannotBeWrittenFails)
{
    ScratchDirectory scratch;
    const std::string command = std::string("exec '") + KORVEL_BINARY + "' -h > /dev/full";
    const ProcessResult result = testing::runProcess("/bin/sh", {"-c", command}, scratch.path());
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.err, "korvel Version 1.3\nError: Fail.\n");
}

}  // namespace
}  // namespace korvel
