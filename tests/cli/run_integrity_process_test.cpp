// Runs that must end cleanly and leave every output complete or absent,
// whatever the options, descriptors, failures or signals: no abort, no hang,
// no half-written file, no report where the options were refused, no raw
// control bytes in messages.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <csignal>
#include <iostream>
#include <filesystem>
#include <functional>
#include <sstream>
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

std::vector<nlohmann::json> jsonLines(const std::string& text)
{
    std::vector<nlohmann::json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(nlohmann::json::parse(line));
    }
    return lines;
}

// The reproducer: a batch with --stdout whose standard output is not a
// terminal is refused, not aborted.
TEST(OptionCombinations, BatchToStandardOutputIsRefused)
{
    ScratchDirectory dir;
    dir.write("labels.txt", "A\nB\n");
    const ProcessResult run = runKorvel({"--batch=labels.txt", "--stdout"}, dir);
    ASSERT_TRUE(run.exited) << "ended by signal " << run.signal;
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, testing::failureText("Error: Invalid argument: --stdout cannot take the many images of --batch."));
}

// A run that fails after its image could be written leaves no image: the
// report's place is checked before the image is written, and an image is
// taken back when its report or text cannot be delivered.
TEST(FailedRun, LeavesNoImage)
{
    const struct {
        std::vector<std::string> args;
        bool readerGone;
        int status;
    } cases[] = {
        {{"--report=nodir/r.json", "-d", "hi", "out.png"}, false, 12},
        {{"--report=/dev/full", "-d", "hi", "out.png"}, false, 13},
        {{"--report=-", "-d", "hi", "-n", "40", "out.png"}, true, 13},
        {{"--gs1", "--hri", "-d", kGs1Data, "out.png"}, true, 2},
    };
    for (const auto& c : cases) {
        for (const bool earlier : {false, true}) {
            ScratchDirectory dir;
            if (earlier) {
                dir.write("out.png", "an earlier file");
            }
            RunLimits limits;
            limits.stdoutReaderGone = c.readerGone;
            const ProcessResult run = runKorvel(c.args, dir, limits);
            ASSERT_TRUE(run.exited) << c.args.front();
            EXPECT_EQ(run.exitStatus, c.status) << c.args.front() << run.err;
            const std::string left = dir.read("out.png");
            EXPECT_TRUE(left.empty() || left == "an earlier file") << c.args.front() << " left an image";
        }
    }
}

// Nothing is opened for writing before the options are known to be good: a
// refused setting leaves an earlier report as it was.
TEST(RefusedRun, LeavesAnEarlierReportAlone)
{
    const std::vector<std::vector<std::string>> refused{
        {"--batch=b.txt", "--report=r.json", "-p", "20", "x-#.png"},
        {"--report=r.json", "-p", "20", "x.png"},
        {"--report=r.json", "--stdout", "x.png"},
    };
    for (const auto& args : refused) {
        ScratchDirectory dir;
        dir.write("b.txt", "A\nB\n");
        dir.write("r.json", "old\n");
        const ProcessResult run = runKorvel(args, dir);
        EXPECT_EQ(run.exitStatus, 1) << args.back();
        EXPECT_EQ(dir.read("r.json"), "old\n") << args.back();
        EXPECT_EQ(dir.fileNames(), (std::vector<std::string>{"b.txt", "r.json"})) << args.back();
    }
}

// A report that names the output file (by name or by another hard link) is
// refused; in a batch, the line whose image would replace the report fails.
TEST(ReportPath, NeverTheOutputFile)
{
    ScratchDirectory dir;
    dir.write("x.png", "an earlier image");
    fs::create_hard_link(dir.path() / "x.png", dir.path() / "y.png");
    for (const char* report : {"--report=x.png", "--report=y.png", "--report=./x.png"}) {
        const ProcessResult run = runKorvel({report, "x.png"}, dir);
        EXPECT_EQ(run.exitStatus, 1) << report;
        EXPECT_EQ(run.err, testing::failureText("Error: Invalid argument: --report names the output file."));
        EXPECT_EQ(dir.read("x.png"), "an earlier image") << report;
    }

    dir.write("b.txt", "A\nB\n");
    const ProcessResult batch = runKorvel({"--batch=b.txt", "--report=x-1.png", "x-#.png"}, dir);
    EXPECT_EQ(batch.exitStatus, 1);
    const auto lines = jsonLines(dir.read("x-1.png"));
    ASSERT_EQ(lines.size(), 2U);
    EXPECT_EQ(lines[0]["status"], 1);
    EXPECT_EQ(lines[1]["output_file"], "x-2.png");
    EXPECT_TRUE(testing::isCompletePng(dir.read("x-2.png")));
}

// A report that names the file the data is read from is refused before
// anything is opened: the data file stays as it was (a batch file was
// emptied before its first line was read).
TEST(ReportPath, NeverTheDataFile)
{
    ScratchDirectory dir;
    dir.write("d.txt", "A\nB\n");
    fs::create_hard_link(dir.path() / "d.txt", dir.path() / "e.txt");
    for (const char* source : {"--input", "--batch"}) {
        for (const char* report : {"--report=d.txt", "--report=e.txt"}) {
            const ProcessResult run = runKorvel({std::string(source) + "=d.txt", report, "x.png"}, dir);
            EXPECT_EQ(run.exitStatus, 1) << source << " " << report;
            EXPECT_EQ(run.err, testing::failureText("Error: Invalid argument: --report names the " +
                                                    std::string(source) + " file."));
            EXPECT_EQ(dir.read("d.txt"), "A\nB\n") << source << " " << report;
            EXPECT_EQ(dir.fileNames(), (std::vector<std::string>{"d.txt", "e.txt"})) << source << " " << report;
        }
    }
}

// An empty output name fails in a batch as it does for one symbol, instead
// of writing "-1", "-2", ... into the working directory.
TEST(OutputName, EmptyNameOpensNothing)
{
    ScratchDirectory dir;
    dir.write("b.txt", "A\nB\n");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-d", "A", ""}, std::vector<std::string>{"--batch=b.txt", ""}}) {
        const ProcessResult run = runKorvel(args, dir);
        EXPECT_EQ(run.exitStatus, 12) << args[0];
        EXPECT_EQ(dir.fileNames(), std::vector<std::string>{"b.txt"}) << args[0];
    }
}

// File names in messages are escaped as option values are: a message stays
// one line and no control byte reaches the terminal.
TEST(Messages, FileNamesAreEscaped)
{
    ScratchDirectory dir;
    const struct {
        std::vector<std::string> args;
        std::string shown;
    } cases[] = {
        {{"--input=a\nb", "x.png"}, "a\\x0ab"},
        {{"--batch=\x1b[31mred", "x-#.png"}, "\\x1b[31mred"},
        {{"--report=nodir/\x1b]0;t\x07", "x.png"}, "nodir/\\x1b]0;t\\x07"},
    };
    for (const auto& c : cases) {
        const ProcessResult run = runKorvel(c.args, dir);
        EXPECT_NE(run.exitStatus, 0);
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
        EXPECT_NE(run.err.find(c.shown), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\x1b'), std::string::npos);
    }
}

// Runs that fail after their options still write their report: unreadable
// --input data, a batch file that cannot be read, a batch without its
// verifier. Batch report lines carry their line numbers.
TEST(Report, WrittenForRunsThatFailAfterTheirOptions)
{
    ScratchDirectory dir;
    const ProcessResult input = runKorvel({"--input=missing", "--report=r.json", "x.png"}, dir);
    EXPECT_EQ(input.exitStatus, 18);
    auto line = nlohmann::json::parse(dir.read("r.json"));
    EXPECT_EQ(line["status"], 18);
    EXPECT_EQ(line["input"], "");
    EXPECT_FALSE(fs::exists(dir.path() / "x.png"));

    const ProcessResult batch = runKorvel({"--batch=missing", "--report=r.json", "x-#.png"}, dir);
    EXPECT_EQ(batch.exitStatus, 18);
    line = nlohmann::json::parse(dir.read("r.json"));
    EXPECT_EQ(line["status"], 18);
    EXPECT_FALSE(line.contains("line"));

    // Without the helper next to the program or on PATH.
    fs::copy_file(testing::korvelProgram(), dir.path() / "korvel");
    dir.write("b.txt", "A\n");
    RunLimits noPath;
    noPath.environment = {"PATH="};
    const ProcessResult unverified = testing::runProcess(
        (dir.path() / "korvel").string(), {"--verify", "--batch=b.txt", "--report=r.json", "x-#.png"}, dir.path(),
        noPath);
    EXPECT_EQ(unverified.exitStatus, 17) << unverified.err;
    line = nlohmann::json::parse(dir.read("r.json"));
    EXPECT_EQ(line["status"], 17);
    EXPECT_NE(line["verification"]["detail"].get<std::string>().find("korvel-verify"), std::string::npos);
}

// An empty line makes no symbol and no report line, so report line k is not
// batch line k: each line says which it is.
TEST(Report, BatchLinesCarryTheirLineNumbers)
{
    ScratchDirectory dir;
    dir.write("b.txt", "A\n\n~3X\nD\n");
    const ProcessResult run = runKorvel({"--batch=b.txt", "--jobs=3", "--report=r.json", "-s", "1", "x-#.png"}, dir);
    EXPECT_EQ(run.exitStatus, 5) << run.err;
    const auto lines = jsonLines(dir.read("r.json"));
    ASSERT_EQ(lines.size(), 3U);
    EXPECT_EQ(lines[0]["line"], 1);
    EXPECT_EQ(lines[1]["line"], 3);
    EXPECT_EQ(lines[1]["status"], 5);
    EXPECT_EQ(lines[2]["line"], 4);
}

// Keyword values in any letter case give the same output as in lower case.
TEST(KeywordValues, AnyLetterCase)
{
    ScratchDirectory dir;
    const std::vector<std::pair<std::string, std::string>> pairs{
        {"--type=SVG", "--type=svg"},
        {"--shape=Rectangle", "--shape=rectangle"},
        {"--gs1-separator=GS", "--gs1-separator=gs"},
        {"--gs1-separator=FNC1", "--gs1-separator=fnc1"},
    };
    for (const auto& [given, lower] : pairs) {
        for (const auto& [option, name] : {std::pair{given, "a.out"}, std::pair{lower, "b.out"}}) {
            const ProcessResult run =
                runKorvel({option, "--gs1", "--time=0", "-d", kGs1Data + "(21)CD", name}, dir);
            ASSERT_EQ(run.exitStatus, 0) << option << run.err;
        }
        EXPECT_EQ(dir.read("a.out"), dir.read("b.out")) << given;
    }
}

// SIGINT and SIGTERM during batches of every output kind, over earlier
// files longer than the new ones: every file is afterwards the earlier one,
// a complete new one or gone; the report, written for the whole batch, is
// the earlier one (the signal came before it was opened) or gone. The batch
// is far longer than the time before the signal on any machine; the first
// files have earlier versions, the later ones are new.
TEST(Signals, LeaveNoPartialFile)
{
    const std::string earlier(12000, 'o');
    const struct {
        const char* extension;
        std::function<bool(const std::string&)> complete;
    } kinds[] = {
        {"png", [](const std::string& b) { return testing::isCompletePng(b); }},
        {"svg", [](const std::string& b) { return b.starts_with("<?xml") && b.ends_with("</svg>\n"); }},
        {"eps", [](const std::string& b) { return b.starts_with("%!PS-Adobe") && b.ends_with("%%EOF\n"); }},
        {"pdf", [](const std::string& b) { return b.starts_with("%PDF-") && b.ends_with("%%EOF\n"); }},
    };
    constexpr int kLines = 500000;
    constexpr int kEarlierFiles = 600;
    const ScratchDirectory input;
    {
        std::string lines;
        for (int n = 1; n <= kLines; ++n) {
            lines += "LABEL " + std::to_string(n) + " OF A BATCH THAT IS INTERRUPTED\n";
        }
        input.write("lines.txt", lines);
    }
    int runs = 0;
    int interrupted = 0;
    int partial = 0;
    int written = 0;
    for (const auto& kind : kinds) {
        for (const int signal : {SIGINT, SIGTERM}) {
            for (const int afterMs : {40, 120}) {
                ScratchDirectory dir;
                dir.write("r.jsonl", earlier);
                const auto name = [&](int n) {
                    const std::string number = std::to_string(n);
                    return "x-" + std::string(6 - number.size(), '0') + number + "." + kind.extension;
                };
                for (int n = 1; n <= kEarlierFiles; ++n) {
                    dir.write(name(n), earlier);
                }
                RunLimits limits;
                limits.signal = signal;
                limits.signalAfter = std::chrono::milliseconds(afterMs);
                const ProcessResult run =
                    runKorvel({"--batch=" + input.file("lines.txt"), "--jobs=2", "--report=r.jsonl", "-n", "6",
                               std::string("x-######.") + kind.extension},
                              dir, limits);
                ++runs;
                interrupted += !run.exited && run.signal == signal ? 1 : 0;
                for (const std::string& file : dir.fileNames()) {
                    const std::string bytes = dir.read(file);
                    if (file == "r.jsonl") {
                        partial += bytes == earlier ? 0 : 1;
                        EXPECT_EQ(bytes, earlier) << "the report of an interrupted batch is left";
                        continue;
                    }
                    ASSERT_TRUE(file.starts_with("x-") && file.ends_with(kind.extension)) << file;
                    const bool complete = kind.complete(bytes);
                    written += complete ? 1 : 0;
                    if (bytes != earlier && !complete) {
                        ++partial;
                        ADD_FAILURE() << file << ": " << bytes.size() << " bytes, neither earlier nor complete";
                    }
                }
            }
        }
    }
    std::cout << "[ signals  ] " << runs << " batches, " << interrupted << " ended by the signal, " << written
              << " complete files, " << partial << " partial files\n";
    EXPECT_EQ(partial, 0);
    EXPECT_EQ(interrupted, runs);
}

}  // namespace
}  // namespace korvel
