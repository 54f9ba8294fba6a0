// Runs korvel with --batch and --input as a process and reads the symbols it
// writes back with zxing-cpp.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "batch/output_names.hpp"
#include "usage_text.hpp"
#include "support/png_file.hpp"
#include "support/process_runner.hpp"
#include "support/symbol_readers.hpp"

namespace korvel {
namespace {

namespace fs = std::filesystem;
using testing::ProcessResult;
using testing::ScratchDirectory;

ProcessResult runBatch(const std::vector<std::string>& args, const ScratchDirectory& dir, const fs::path& input = "/dev/null")
{
    testing::RunLimits limits;
    limits.standardInput = input;
    return testing::runKorvel(args, dir, limits);
}

// What zxing-cpp reads in the PNG file ("(unreadable)" when nothing).
std::string readBack(const fs::path& path)
{
    const auto png = testing::decodePng(testing::readFileBytes(path), testing::PngPixels::Rgb);
    const auto image = png ? testing::toRaster(*png) : nullptr;
    const testing::ZxingReading reading = image ? testing::readWithZxing(*image) : testing::ZxingReading{};
    return reading.found ? reading.bytes : "(unreadable)";
}

std::set<std::string> pngFiles(const ScratchDirectory& dir)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        if (entry.path().extension() == ".png") {
            names.insert(entry.path().filename().string());
        }
    }
    return names;
}

// 300 lines, every option applying to each (structured append, escapes, the
// time stamp);
// three lines give no symbol: line 57 starts with reader programming, which
// structured append excludes, line 58 is empty, line 150 is too long.
TEST(BatchRun, FailingLinesInLineOrderAndTheSameImagesWhateverTheJobs)
{
    std::string lines;
    for (int n = 1; n <= 300; ++n) {
        lines += n == 57 ? "~3READER" : n == 58 ? "" : n == 150 ? std::string(3200, '7') : "LOT~~" + std::to_string(n);
        lines += n % 2 == 0 ? "\r\n" : "\n";
    }
    const std::string expectedErr = std::string(kBannerLine) + "\nline 57: Error: Invalid data to encode.\n" +
                                    "line 150: Error: Cant find the needed matrix format.\n";
    ScratchDirectory one;
    ScratchDirectory four;
    for (const auto* dir : {&one, &four}) {
        dir->write("lines.txt", lines);
        const ProcessResult result = runBatch({"-s", "1", "-p", "2", "-t", "3", "--time=1700000000", "--batch=lines.txt",
                                                dir == &one ? "--jobs=1" : "--jobs=4", "label-###.png"},
                                               *dir);
        EXPECT_EQ(result.exitStatus, 5);
        EXPECT_EQ(result.err, expectedErr);
        EXPECT_EQ(pngFiles(*dir).size(), 297U);
    }
    ASSERT_EQ(pngFiles(one), pngFiles(four));
    EXPECT_EQ(pngFiles(one).count("label-057.png") + pngFiles(one).count("label-058.png"), 0U);
    for (const std::string& name : pngFiles(one)) {
        EXPECT_EQ(testing::readFileBytes(one.path() / name), testing::readFileBytes(four.path() / name)) << name;
    }
    for (const int n : {1, 2, 56, 59, 149, 151, 256, 300}) {
        EXPECT_EQ(readBack(one.path() / batchOutputName("label-###.png", static_cast<unsigned>(n))),
                  "LOT~" + std::to_string(n));
    }
}

// The report and the human-readable texts come in line order whatever the
// jobs, failed lines reported too; every symbol is verified.
TEST(BatchRun, ReportAndTextsInLineOrder)
{
    std::string lines;
    std::vector<std::string> inputs;
    std::string texts;
    for (int n = 1; n <= 40; ++n) {
        const bool bad = n % 7 == 0;  // a GTIN with a wrong check digit
        inputs.push_back(std::string("(01)0950110153000") + (bad ? "4" : "3") + "(10)LOT" + std::to_string(n));
        lines += inputs.back() + "\n";
        texts += bad ? "" : "(01) 09501101530003 (10) LOT" + std::to_string(n) + "\n";
    }
    ScratchDirectory dir;
    dir.write("lines.txt", lines);
    const ProcessResult result =
        runBatch({"--gs1", "--hri", "--verify", "--report=r.jsonl", "--jobs=4", "--batch=lines.txt", "#.png"}, dir);
    EXPECT_EQ(result.exitStatus, 15) << result.err;
    EXPECT_EQ(result.out, texts);
    std::ifstream report(dir.path() / "r.jsonl");
    std::size_t n = 0;
    for (std::string line; std::getline(report, line) && n < inputs.size(); ++n) {
        const auto json = nlohmann::json::parse(line);
        EXPECT_EQ(json["input"], inputs[n]);
        EXPECT_EQ(json["status"], (n + 1) % 7 == 0 ? 15 : 0) << line;
        EXPECT_TRUE((n + 1) % 7 == 0 || json["verification"]["passed"] == true) << line;
    }
    EXPECT_EQ(n, inputs.size());
}

struct LinesCase {
    std::string input;
    std::map<std::string, std::string> symbols;  // file name: data read back
};

TEST(BatchRun, LineEndingsByteOrderMarkAndEmptyLines)
{
    const LinesCase cases[] = {
        {"\xEF\xBB\xBF" "A\r\nB\r\r\n\nC\rD\n\xEF\xBB\xBF" "E\nlast",
         {{"n1.png", "A"}, {"n2.png", "B\r"}, {"n4.png", "C\rD"}, {"n5.png", "\xEF\xBB\xBF" "E"}, {"n6.png", "last"}}},
        {"\n\r\nX\n", {{"n3.png", "X"}}},
        {"\xEF\xBB\xBF", {}},
        {"", {}},
    };
    for (const LinesCase& c : cases) {
        for (const bool fromStandardInput : {false, true}) {
            SCOPED_TRACE(c.input + (fromStandardInput ? " (standard input)" : ""));
            ScratchDirectory dir;
            dir.write("lines.txt", c.input);
            const ProcessResult result = runBatch({fromStandardInput ? "--batch=-" : "--batch=lines.txt", "n#.png"},
                                                   dir, dir.path() / "lines.txt");
            EXPECT_EQ(result.exitStatus, 0) << result.err;
            std::map<std::string, std::string> symbols;
            for (const std::string& name : pngFiles(dir)) {
                symbols[name] = readBack(dir.path() / name);
            }
            EXPECT_EQ(symbols, c.symbols);
        }
    }
}

TEST(BatchRun, OutputNames)
{
    const struct {
        const char* pattern;
        std::uint64_t number;
        const char* name;
    } cases[] = {
        {"label-#####.png", 1, "label-00001.png"}, {"#.png", 300, "300.png"},
        {"l-##.png", 12345, "l-12345.png"},        {"x#y##.png", 7, "x#y07.png"},
        {"label.png", 1, "label-1.png"},           {"out.d/label", 12, "out.d/label-12"},
        {"d#/a.b.png", 2, "d#/a.b-2.png"},         {"dir/.png", 4, "dir/.png-4"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(batchOutputName(c.pattern, c.number), c.name) << c.pattern;
    }
}

TEST(InputRun, EveryByteValueIsData)
{
    std::string bytes;
    for (int value = 0; value < 256; ++value) {
        bytes += static_cast<char>(value);
    }
    bytes += "~1~~\r\n";
    ScratchDirectory dir;
    dir.write("data.bin", bytes);
    for (const char* option : {"--input=data.bin", "--input=-"}) {
        SCOPED_TRACE(option);
        const ProcessResult result = runBatch({option, "out.png"}, dir, dir.path() / "data.bin");
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(readBack(dir.path() / "out.png"), bytes);
        fs::remove(dir.path() / "out.png");
    }
}

// GS1 data from a file is a line of text: one final line end is not data.
TEST(InputRun, Gs1LineEndIsDropped)
{
    ScratchDirectory dir;
    for (const char* ending : {"\n", "\r\n"}) {
        dir.write("data.txt", std::string("(01)09501101530003") + ending);
        const ProcessResult result = runBatch({"--gs1", "--hri", "--input=data.txt", "out.png"}, dir);
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.out, "(01) 09501101530003\n");
    }
}

TEST(BatchRun, RefusedRunsWriteNothing)
{
    const auto failure = [](const std::string& message) { return testing::failureText("Error: " + message + "."); };
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err;
    } cases[] = {
        {{"--batch=missing.txt", "x.png"}, 18, failure("Cant read input file: missing.txt: No such file or directory")},
        {{"--input=missing.bin", "x.png"}, 18, failure("Cant read input file: missing.bin: No such file or directory")},
        {{"--batch=.", "x.png"}, 18, failure("Cant read input file: .: Is a directory")},
        {{"--batch=a", "--input=b", "x.png"}, 1,
         failure("Invalid argument: --input and --batch both give the data; use one of them")},
        {{"--input=a", "-d", "x", "x.png"}, 1,
         failure("Invalid argument: --input and --data both give the data; use one of them")},
        {{"--jobs=0", "x.png"}, 1, failure("Invalid value for --jobs: 0")},
        {{"--jobs", "2x", "x.png"}, 1, failure("Invalid value for --jobs: 2x")},
        {{"--jobs=257", "--batch=-", "x.png"}, 1, failure("Invalid value for --jobs: 257")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        ScratchDirectory dir;
        const ProcessResult result = runBatch(c.args, dir);
        EXPECT_EQ(result.exitStatus, c.status);
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(dir.entryCount(), 0U);
    }
}

}  // namespace
}  // namespace korvel
