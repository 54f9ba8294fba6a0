// Faults while the PNG is written: a full device and a file size limit, both
// where the failure shows when the file is closed (the PNG still sits in the
// stream's buffer) and where it shows inside the PNG library's own writes.
// Every case must end like any other failure: status 13, the banner and
// "Error: Cant close output file.", no signal, and no partial regular file.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/png_file.hpp"
#include "support/process_runner.hpp"

namespace korvel {
namespace {

using testing::failureText;
using testing::isCompletePng;
using testing::runKorvel;
using testing::ScratchDirectory;

// Larger than any stream buffer: the PNG library itself sees the write fail.
constexpr std::size_t kStreamBuffer = 4096;

struct WriteFaultCase {
    const char* name;
    std::vector<std::string> options;
    bool toDevFull;                    // else a regular file under a size limit
    std::optional<rlim_t> fileLimit;   // bytes
    bool failsInsideLibrary;           // the PNG is larger than the stream buffer
};

const WriteFaultCase kWriteFaultCases[] = {
    {"SmallImageToDevFull", {}, true, std::nullopt, false},
    {"LargeImageToDevFull", {"-x", "2000", "-y", "2000"}, true, std::nullopt, true},
    {"SmallImageOverFileSizeLimit", {}, false, 256, false},
    {"SmallImageWithNoFileSizeAllowed", {"-d", "~X00~Xff"}, false, 0, false},
    {"LargeImageOverFileSizeLimit", {"-x", "2000", "-y", "2000"}, false, 2 * kStreamBuffer, true},
    {"LargeSymbolOverFileSizeLimit", {"-n", "12", "-d", std::string(1200, 'x')}, false, 3 * kStreamBuffer, true},
};

class WriteFault : public ::testing::TestWithParam<WriteFaultCase> {};

// The same options without the fault write a complete PNG of the size the
// case relies on, so the fault is what makes the difference.
TEST_P(WriteFault, WithoutTheFaultTheImageIsWritten)
{
    const WriteFaultCase& c = GetParam();
    const ScratchDirectory dir;
    const auto run = runKorvel(testing::withOutput(c.options), dir);
    ASSERT_TRUE(run.exited) << "signal " << run.signal;
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::string png = dir.read("out.png");
    EXPECT_TRUE(isCompletePng(png));
    if (c.failsInsideLibrary) {
        EXPECT_GT(png.size(), c.fileLimit.value_or(kStreamBuffer));
        EXPECT_GT(png.size(), kStreamBuffer);
    } else {
        EXPECT_LT(png.size(), kStreamBuffer);
        EXPECT_GT(png.size(), c.fileLimit.value_or(0));
    }
}

TEST_P(WriteFault, EndsWithResult13AndLeavesNoFile)
{
    const WriteFaultCase& c = GetParam();
    const ScratchDirectory dir;
    testing::RunLimits limits;
    limits.fileSize = c.fileLimit;
    const auto run = runKorvel(testing::withOutput(c.options, c.toDevFull ? "/dev/full" : "out.png"), dir, limits);

    ASSERT_TRUE(run.exited) << "ended by signal " << run.signal;
    EXPECT_EQ(run.exitStatus, 13);
    EXPECT_EQ(run.out, "");
    // The PNG library's own message is kept by the library, never printed.
    EXPECT_EQ(run.err, failureText(ResultCode::CantCloseOutputFile));
    EXPECT_EQ(dir.entryCount(), 0U) << "a partial file was left behind";
}

INSTANTIATE_TEST_SUITE_P(Hardening, WriteFault, ::testing::ValuesIn(kWriteFaultCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A file that existed before the run is overwritten while writing; when the
// write fails it is removed rather than left truncated.
TEST(WriteFaultOnExistingFile, TheTruncatedFileIsRemoved)
{
    const ScratchDirectory dir;
    dir.write("label.png", std::string(100, 'o'));
    testing::RunLimits limits;
    limits.fileSize = 2 * kStreamBuffer;
    const auto run = runKorvel({"-x", "2000", "-y", "2000", "label.png"}, dir, limits);
    ASSERT_TRUE(run.exited) << "ended by signal " << run.signal;
    EXPECT_EQ(run.exitStatus, 13);
    EXPECT_EQ(dir.entryCount(), 0U);
}

// A PNG written through a symbolic link goes into the file the link names;
// when the write fails, no partial PNG may be left there either.
TEST(WriteFaultThroughSymbolicLink, LeavesNoPartialPngAtTheTarget)
{
    const ScratchDirectory dir;
    dir.write("target.png", "an earlier label");
    std::filesystem::create_symlink(dir.file("target.png"), dir.file("link.png"));
    testing::RunLimits limits;
    limits.fileSize = 2 * kStreamBuffer;
    const auto run = runKorvel({"-x", "2000", "-y", "2000", "link.png"}, dir, limits);
    ASSERT_TRUE(run.exited) << "ended by signal " << run.signal;
    EXPECT_EQ(run.exitStatus, 13);
    const std::string left = dir.read("target.png");
    EXPECT_NE(left.rfind("\x89PNG", 0), 0U) << "a truncated PNG of " << left.size() << " bytes was left at the target";
}

// Writing into a pipe whose reader has gone is a write fault like a full
// disk: result 13, not death by SIGPIPE.
TEST(WriteFaultOnBrokenPipe, EndsWithResult13)
{
    const ScratchDirectory dir;
    testing::RunLimits limits;
    limits.stdoutReaderGone = true;
    const auto run = runKorvel({"-x", "2000", "-y", "2000", "/dev/stdout"}, dir, limits);
    ASSERT_TRUE(run.exited) << "ended by signal " << run.signal;
    EXPECT_EQ(run.exitStatus, 13);
    EXPECT_EQ(run.err, failureText(ResultCode::CantCloseOutputFile));
}

}  // namespace
}  // namespace korvel
