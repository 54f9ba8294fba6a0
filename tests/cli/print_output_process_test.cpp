// The command's print options, run as a process.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/png_file.hpp"
#include "support/process_runner.hpp"

namespace korvel {
namespace {

// korvel with SOURCE_DATE_EPOCH exactly as given (unset when empty).
testing::ProcessResult run(const testing::ScratchDirectory& scratch, const std::vector<std::string>& args,
                           const std::string& sourceDateEpoch = "", const testing::RunLimits& limits = {})
{
    testing::RunLimits withTime = limits;
    if (!sourceDateEpoch.empty()) {
        withTime.environment.push_back("SOURCE_DATE_EPOCH=" + sourceDateEpoch);
    }
    return testing::runKorvel(args, scratch, withTime);
}

std::vector<std::uint8_t> bytesOf(const testing::ScratchDirectory& scratch, const char* name)
{
    return testing::readFileBytes(scratch.path() / name);
}

const testing::PngChunk* chunk(const std::vector<testing::PngChunk>& chunks, const std::string& type)
{
    const auto found = std::find_if(chunks.begin(), chunks.end(), [&](const auto& c) { return c.type == type; });
    return found != chunks.end() ? &*found : nullptr;
}

// The 1-bit indexed image expanded through its own PLTE chunk, as 8-bit RGB.
std::vector<std::uint8_t> expandPalette(const testing::DecodedPng& png, const std::vector<std::uint8_t>& plte)
{
    std::vector<std::uint8_t> rgb;
    for (std::uint32_t y = 0; y < png.height; ++y) {
        for (std::uint32_t x = 0; x < png.width; ++x) {
            const int index = (png.pixels[y * png.rowBytes + x / 8] >> (7 - x % 8)) & 1;
            rgb.insert(rgb.end(), plte.begin() + 3 * index, plte.begin() + 3 * index + 3);
        }
    }
    return rgb;
}

TEST(PrintOutput, PaletteImageHasExactlyTheRgbPixels)
{
    const testing::ScratchDirectory scratch;
    for (const std::vector<std::string>& drawing :
         {std::vector<std::string>{"-d", "palette", "-o", "90", "-b", "ffffcc", "-r", "b00000", "-n", "3"},
          {"-d", "x", "-x", "37", "-y", "29", "-z", "2", "-b", "123456", "-r", "123456"}}) {
        std::vector<std::string> rgbArgs = drawing;
        rgbArgs.push_back("rgb.png");
        std::vector<std::string> paletteArgs = drawing;
        paletteArgs.insert(paletteArgs.end(), {"--palette", "--dpi", "300", "palette.png"});
        ASSERT_EQ(run(scratch, rgbArgs).exitStatus, 0);
        ASSERT_EQ(run(scratch, paletteArgs).exitStatus, 0);
        const auto rgb = testing::decodePng(bytesOf(scratch, "rgb.png"));
        const auto indexed = testing::decodePng(bytesOf(scratch, "palette.png"));
        const auto chunks = testing::readPngChunks(bytesOf(scratch, "palette.png"));
        ASSERT_TRUE(rgb && indexed && chunks);
        ASSERT_TRUE(indexed->colorType == 3 && indexed->bitDepth == 1);
        ASSERT_TRUE(indexed->width == rgb->width && indexed->height == rgb->height);
        ASSERT_TRUE(chunk(*chunks, "PLTE") && chunk(*chunks, "pHYs"));
        EXPECT_TRUE(expandPalette(*indexed, chunk(*chunks, "PLTE")->data) == rgb->pixels);
        // 300 dpi is 11811 pixels per metre, in both directions, unit metre.
        EXPECT_EQ(chunk(*chunks, "pHYs")->data,
                  (std::vector<std::uint8_t>{0, 0, 0x2E, 0x23, 0, 0, 0x2E, 0x23, 1}));
    }
}

// Equal bytes for the same time, shown in tIME; --time wins over the variable.
TEST(PrintOutput, TimeFromOptionOrSourceDateEpochIsReproducible)
{
    const testing::ScratchDirectory scratch;
    const struct {
        std::vector<std::string> args;
        std::string sourceDateEpoch;
        std::vector<std::uint8_t> stamp;
    } cases[] = {
        {{"--time=1700000000"}, "", {0x07, 0xE7, 11, 14, 22, 13, 20}},
        {{}, "0", {0x07, 0xB2, 1, 1, 0, 0, 0}},
        {{"--time", "253402300799"}, "86400", {0x27, 0x0F, 12, 31, 23, 59, 59}},
    };
    for (const auto& c : cases) {
        for (const char* name : {"a.png", "b.png"}) {
            std::vector<std::string> args = c.args;
            args.push_back(name);
            ASSERT_EQ(run(scratch, args, c.sourceDateEpoch).exitStatus, 0);
        }
        EXPECT_EQ(bytesOf(scratch, "a.png"), bytesOf(scratch, "b.png"));
        const auto chunks = testing::readPngChunks(bytesOf(scratch, "a.png"));
        ASSERT_TRUE(chunks && chunk(*chunks, "tIME"));
        EXPECT_EQ(chunk(*chunks, "tIME")->data, c.stamp);
    }
}

// What lands in the file or on standard output, by its first bytes.
TEST(PrintOutput, FormatFollowsTypeOrFileName)
{
    const testing::ScratchDirectory scratch;
    const struct {
        std::vector<std::string> args;
        const char* file;  // null: standard output
        std::string start;
    } cases[] = {
        {{"x.SVG"}, "x.SVG", "<?xml"},        {{"x.Eps"}, "x.Eps", "%!PS-Adobe-3.0 EPSF-3.0"},
        {{"x.pdf"}, "x.pdf", "%PDF-1.4"},     {{"x.svg.png"}, "x.svg.png", "\x89PNG"},
        {{"--type=pdf", "y.png"}, "y.png", "%PDF"}, {{"--type=png", "y.svg"}, "y.svg", "\x89PNG"},
        {{"--stdout", "--type", "eps"}, nullptr, "%!PS"}, {{"--stdout"}, nullptr, "\x89PNG"},
    };
    for (const auto& c : cases) {
        const testing::ProcessResult result = run(scratch, c.args);
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        const auto file = c.file != nullptr ? bytesOf(scratch, c.file) : std::vector<std::uint8_t>{};
        const std::string written = c.file != nullptr ? std::string(file.begin(), file.end()) : result.out;
        EXPECT_EQ(written.substr(0, c.start.size()), c.start) << c.args.back();
    }
    // Standard output carries exactly the file's bytes.
    ASSERT_EQ(run(scratch, {"--time=5", "-d", "same", "same.png"}).exitStatus, 0);
    const auto file = bytesOf(scratch, "same.png");
    EXPECT_EQ(run(scratch, {"--time=5", "-d", "same", "--stdout"}).out, std::string(file.begin(), file.end()));
}

TEST(PrintOutput, RefusalsNameTheProblem)
{
    const testing::ScratchDirectory scratch;
    const struct {
        std::vector<std::string> args;
        std::string sourceDateEpoch;
        std::string message;  // the last line on stderr; the status is 1
    } cases[] = {
        {{"--dpi", "0", "x.png"}, "", "Error: Invalid value for --dpi: 0."},
        {{"--type=gif", "x.png"}, "", "Error: Invalid value for --type: gif."},
        {{"--module-mm=0", "x.svg"}, "", "Error: Invalid value for --module-mm: 0."},
        {{"--module-mm", "1,5", "x.svg"}, "", "Error: Invalid value for --module-mm: 1,5."},
        {{"--time=-1", "x.png"}, "", "Error: Invalid value for --time: -1."},
        {{"x.png"}, "yesterday", "Error: Invalid value for SOURCE_DATE_EPOCH: yesterday."},
        {{"x.png"}, "5 ", "Error: Invalid value for SOURCE_DATE_EPOCH: 5 ."},
        {{"--type=s\nv\xC3", "x.png"}, "", "Error: Invalid value for --type: s\\x0av\\xc3."},
        {{"--module-mm=0.5", "x.png"}, "", "Error: Invalid argument: --module-mm needs --dpi for a PNG image."},
        {{"--module-mm=0.5", "-x", "50", "x.svg"}, "",
         "Error: Invalid argument: --module-mm cannot be combined with -x or -y."},
        {{"--module-mm=100", "--dpi=100000", "x.png"}, "",
         "Error: Invalid argument: --module-mm at this --dpi makes the image larger than 65535 pixels."},
        {{"--stdout", "x.png"}, "", "Error: Invalid argument: --stdout and a file name cannot be combined."},
        {{"--module-mm=0.01", "x.pdf"}, "",
         "Error: Invalid argument: the PDF page would be 0.3969 x 0.3969 points; PDF pages are 3 to 14,400 units "
         "a side."},
        {{"--palette=1", "x.png"}, "", "   --version        Print the version line and exit."},
    };
    for (const auto& c : cases) {
        const testing::ProcessResult result = run(scratch, c.args, c.sourceDateEpoch);
        EXPECT_EQ(result.exitStatus, 1) << c.args.front();
        EXPECT_NE(result.err.find(c.message + "\n"), std::string::npos) << result.err;
        EXPECT_EQ(scratch.entryCount(), 0U) << c.args.front();
    }
    // A reader that went away: status 13, not death by SIGPIPE.
    testing::RunLimits gone;
    gone.stdoutReaderGone = true;
    const testing::ProcessResult closed = run(scratch, {"--stdout", "-n", "40"}, "", gone);
    EXPECT_TRUE(closed.exited);
    EXPECT_EQ(closed.exitStatus, 13) << closed.err;
}

}  // namespace
}  // namespace korvel
