// Command-line faults a new user met, as process runs: a structured append
// position above the total, a file size limit, --version and the rules of
// the long-only options.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "usage_text.hpp"
#include "support/process_runner.hpp"

namespace korvel {
namespace {

using testing::failureText;
using testing::runKorvel;
using testing::ScratchDirectory;

struct FaultCase {
    const char* name;
    std::vector<std::string> arguments;  // the output file name is appended
    int status;
    std::string out;
    std::string errStart;  // what standard error begins with
    bool fileWritten;
};

const std::string kBanner = std::string(kBannerLine) + "\n";

const FaultCase kFaultCases[] = {
    {"PositionAboveTotal", {"-s", "1", "-p", "5", "-t", "3"}, 1, "", failureText(ResultCode::InvalidArgument), false},
    {"PositionAboveTotalTotalFirst", {"-s", "1", "-t", "3", "-p", "5"}, 1, "", failureText(ResultCode::InvalidArgument),
     false},
    {"PositionBelowALaterTotal", {"-s", "1", "-p", "5", "-t", "6"}, 0, "", "", true},
    {"PositionAboveTotalWithoutAppend", {"-p", "5", "-t", "3"}, 0, "", "", true},
    {"Version", {"--version"}, 0, kBanner, "", false},
    {"VersionBeforeOtherOptions", {"--version", "-m", "9"}, 0, kBanner, "", false},
    {"VersionRefusesAValue", {"--version=1"}, 1, "", "argument not allowed: `version'.\n" + usageText(), false},
    {"AbbreviatedVersionIsUnknown", {"--vers"}, 1, "", "invalid option `vers'.\n" + usageText(), false},
};

class CommandFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(CommandFault, StatusOutputAndFile)
{
    const FaultCase& c = GetParam();
    const ScratchDirectory dir;
    const auto run = runKorvel(testing::withOutput(c.arguments), dir);
    ASSERT_TRUE(run.exited) << "ended by signal " << run.signal;
    EXPECT_EQ(run.exitStatus, c.status);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err.substr(0, c.errStart.size()), c.errStart);
    EXPECT_EQ(run.err.size(), c.errStart.size()) << run.err;
    EXPECT_EQ(dir.entryCount(), c.fileWritten ? 1U : 0U);
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandFault, ::testing::ValuesIn(kFaultCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Under a file size limit the write fails instead of the signal ending the
// run: status 13, and no truncated image is left.
TEST(FileSizeLimit, EndsWithStatus13AndNoPartialFile)
{
    const ScratchDirectory dir;
    testing::RunLimits limits;
    limits.fileSize = 1000;
    const auto run = runKorvel({"-n", "20", "-f", "24", "out.png"}, dir, limits);
    ASSERT_TRUE(run.exited) << "ended by signal " << run.signal;
    EXPECT_EQ(run.exitStatus, 13);
    EXPECT_EQ(run.err, failureText(ResultCode::CantCloseOutputFile));
    EXPECT_EQ(dir.entryCount(), 0U);
}

}  // namespace
}  // namespace korvel
