// The exit status can be trusted: 0 comes with a complete PNG, and every
// failure leaves the output path as it was, neither created nor touched.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hardening/program_run.hpp"

namespace korvel {
namespace {

using testing::failureText;
using testing::readWholeFile;
using testing::runKorvel;
using testing::ScratchDirectory;

struct FailureCase {
    const char* name;
    std::vector<std::string> options;
    int status;
    const char* message;
};

const FailureCase kFailureCases[] = {
    {"PositionOutOfRange", {"-p", "17"}, 1, "Error: Invalid argument."},
    {"NegativeQuietZone", {"-e", "-1"}, 1, "Error: Invalid argument."},
    {"XDimensionBelowHalfAPixel", {"-n", "0.4"}, 1, "Error: Invalid argument."},
    {"RasterTooLarge", {"-x", "2147483647", "-y", "2147483647"}, 3, "Error: Cant initialize PNG creator."},
    // Integer values beyond 32 bits saturate instead of wrapping to a small
    // value that would be accepted (4294967297 would wrap to 1, 4294967396 to 100).
    {"IdBeyond32Bits", {"-s", "1", "-i", "4294967297"}, 1, "Error: Invalid argument."},
    {"PositionBelow32Bits", {"-p", "-4294967295"}, 1, "Error: Invalid argument."},
    {"QuietZoneBeyond32Bits", {"-e", "4294967296"}, 1, "Error: Invalid argument."},
    {"WidthBeyond32Bits", {"-x", "4294967396"}, 3, "Error: Cant initialize PNG creator."},
    {"SymbolDoesNotFit", {"-x", "5", "-y", "5"}, 4, "Error: Invalid barcode size."},
    {"EdifactCannotEncode", {"-m", "5", "-d", "lower case"}, 5, "Error: Invalid data to encode."},
    {"TooLongForAnyFormat", {"-m", "1", "-d", std::string(3200, 'A')}, 8,
     "Error: Cant find the needed matrix format."},
    {"TooLongForPreferredFormat", {"-f", "1", "-d", "12345678"}, 10,
     "Error: The data to encode cant be placed in the current matrix format."},
};

class FailedRun : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailedRun, CreatesNoFile)
{
    const FailureCase& c = GetParam();
    const ScratchDirectory dir;
    std::vector<std::string> args = c.options;
    args.push_back(dir.file("out.png"));
    const auto run = runKorvel(args);
    ASSERT_TRUE(run.exited) << "ended by signal " << run.signal;
    EXPECT_EQ(run.exitStatus, c.status);
    EXPECT_EQ(run.err, failureText(c.message));
    EXPECT_EQ(dir.entryCount(), 0U);
}

TEST_P(FailedRun, LeavesAnExistingFileUntouched)
{
    const FailureCase& c = GetParam();
    const ScratchDirectory dir;
    const std::string path = dir.file("out.png");
    const std::string before = "an earlier label";
    {
        std::ofstream old(path, std::ios::binary);
        old << before;
    }
    std::vector<std::string> args = c.options;
    args.push_back(path);
    const auto run = runKorvel(args);
    ASSERT_TRUE(run.exited) << "ended by signal " << run.signal;
    EXPECT_EQ(run.exitStatus, c.status);
    EXPECT_EQ(readWholeFile(path), before);
}

INSTANTIATE_TEST_SUITE_P(Hardening, FailedRun, ::testing::ValuesIn(kFailureCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FailedRun, OutputDirectoryMissing)
{
    const ScratchDirectory dir;
    const auto run = runKorvel({dir.file("missing/out.png")});
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitStatus, 12);
    EXPECT_EQ(run.err, failureText("Error: Cant open output file."));
    EXPECT_EQ(dir.entryCount(), 0U);
}

TEST(SucceededRun, WritesACompletePngAndPrintsNothing)
{
    const ScratchDirectory dir;
    const auto run = runKorvel({"-d", "Hardening", dir.file("out.png")});
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(testing::isCompletePng(readWholeFile(dir.file("out.png"))));
}

}  // namespace
}  // namespace korvel
