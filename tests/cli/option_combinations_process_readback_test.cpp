// The command with --verify among its options, as a process (the
// korvel-verify helper is built): every combination of the options that
// share standard output and files ends cleanly, and closed standard
// descriptors neither hang a batch nor mix outputs.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/png_file.hpp"
#include "support/process_runner.hpp"

namespace korvel {
namespace {

namespace fs = std::filesystem;
using testing::ProcessResult;
using testing::RunLimits;
using testing::runKorvel;
using testing::ScratchDirectory;

const std::string kGs1Data = "(01)09501101530003(10)LOT";

// Every combination of data source, image destination, report, --hri and
// --verify ends by exit with 0, 1 or 11; a refused one writes nothing at
// all: no file, no report, nothing on standard output.
TEST(OptionCombinations, EndCleanlyAndRefusedOnesWriteNothing)
{
    const std::vector<std::vector<std::string>> sources{{"-d", kGs1Data}, {"--batch=b.txt"}, {"--input=d.txt"}};
    const std::vector<std::vector<std::string>> destinations{{"out-#.png"}, {"--stdout"}, {}};
    const std::vector<std::vector<std::string>> reports{{}, {"--report=-"}, {"--report=r.json"}};
    int refused = 0;
    for (const auto& source : sources) {
        for (const auto& destination : destinations) {
            for (const auto& report : reports) {
                for (const bool hri : {false, true}) {
                    for (const bool verify : {false, true}) {
                        ScratchDirectory dir;
                        dir.write("b.txt", kGs1Data + "\n" + kGs1Data + "1\n");
                        dir.write("d.txt", kGs1Data);
                        std::vector<std::string> args{"--gs1"};
                        args.insert(args.end(), source.begin(), source.end());
                        args.insert(args.end(), report.begin(), report.end());
                        if (hri) {
                            args.emplace_back("--hri");
                        }
                        if (verify) {
                            args.emplace_back("--verify");
                        }
                        args.insert(args.end(), destination.begin(), destination.end());
                        std::string shown;
                        for (const std::string& arg : args) {
                            shown += arg + " ";
                        }
                        const ProcessResult run = runKorvel(args, dir);
                        ASSERT_TRUE(run.exited) << shown << "ended by signal " << run.signal;
                        EXPECT_TRUE(run.exitStatus == 0 || run.exitStatus == 1 || run.exitStatus == 11)
                            << shown << run.err;
                        if (run.exitStatus != 0) {
                            ++refused;
                            EXPECT_EQ(run.out, "") << shown;
                            EXPECT_EQ(dir.fileNames(), (std::vector<std::string>{"b.txt", "d.txt"})) << shown;
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(refused, 20);
}

// Closed standard descriptors at start are opened on /dev/null: the
// helper's socket does not become the batch's input, and an image file
// does not become standard output.
TEST(ClosedDescriptors, NeitherHangNorMixOutputs)
{
    ScratchDirectory dir;
    RunLimits closedInput;
    closedInput.closedDescriptors = {0};
    closedInput.timeoutSeconds = 20;
    const ProcessResult batch = runKorvel({"--batch=-", "--verify", "o.png"}, dir, closedInput);
    ASSERT_TRUE(batch.exited) << "ended by signal " << batch.signal;
    EXPECT_EQ(batch.exitStatus, 0) << batch.err;

    RunLimits closedOutput;
    closedOutput.closedDescriptors = {1};
    const ProcessResult hri = runKorvel({"--gs1", "--hri", "-d", kGs1Data, "out.png"}, dir, closedOutput);
    ASSERT_TRUE(hri.exited);
    EXPECT_EQ(hri.exitStatus, 0) << hri.err;
    EXPECT_TRUE(testing::isCompletePng(dir.read("out.png")));
}

}  // namespace
}  // namespace korvel
