// --report through the real program: every line parses as JSON, tells what
// the decoder read, and matches the file written; option values are checked.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sstream>

#include "support/png_file.hpp"
#include "support/process_runner.hpp"

namespace korvel {
namespace {

using testing::runKorvel;
using testing::ScratchDirectory;

std::string hexOf(const std::string& bytes)
{
    static const char* digits = "0123456789abcdef";
    std::string hex;
    for (const char c : bytes) {
        hex += digits[static_cast<unsigned char>(c) >> 4];
        hex += digits[static_cast<unsigned char>(c) & 15];
    }
    return hex;
}

TEST(ReportOption, EachLineTellsWhatAReaderSeesAndDescribesTheFileWritten)
{
    struct Case {
        std::vector<std::string> options;
        std::string bytes;  // what a reader returns
        const char* symbologyId;
        int format;
    };
    const std::vector<Case> cases{
        {{}, "1234567", "]d1", 2},
        {{"-d", "~1010950110153000~117260101"}, "010950110153000\x1d" "17260101", "]d2", 5},
        {{"-d", "~5AB~1C", "-o", "90", "-m", "2"}, "[)>\x1e" "05\x1d" "AB\x1d" "C\x1e\x04", "]d1", 4},
        {{"-s", "1", "-p", "2", "-t", "4", "-i", "300", "-d", "~7000026~XC3~XA9"}, "\xc3\xa9", "]d1", 4},
        {{"-f", "24", "-d", "144 x 144"}, "144 x 144", "]d1", 24},
        // DMRE symbols carry identifiers six above ECC 200's (ISO/IEC 21471).
        {{"--dmre", "-f", "42", "-d", "3"}, "3", "]d7", 42},
        {{"--dmre", "-f", "31", "-d", "~10195011015300031"}, "0195011015300031", "]d8", 31},
        {{"--dmre", "-f", "48", "-d", "A~1BC"}, "ABC", "]d9", 48},
        {{"--dmre", "-f", "36", "-d", "12~1AB", "-o", "270"}, "12AB", "]d9", 36},
        {{"--dmre", "-f", "40", "-d", "~7000026AB"}, "AB", "]d7", 40},
    };
    for (const Case& c : cases) {
        const ScratchDirectory dir;
        std::vector<std::string> args{"--verify", "--report=-"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(dir.file("out.png"));
        const auto run = runKorvel(args, dir);
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        ASSERT_EQ(run.out.back(), '\n');
        const auto line = nlohmann::json::parse(run.out);
        const std::string where = c.bytes + ": " + run.out;
        EXPECT_EQ(line["status"], 0) << where;
        EXPECT_EQ(line["data"]["hex"], hexOf(c.bytes)) << where;
        EXPECT_EQ(line["data"]["symbology_identifier"], c.symbologyId) << where;
        // What the decoder read is what the report says a reader sees
        // (the file identification aside, which readers report their own way).
        nlohmann::json meant = line["data"];
        if (meant["structured_append"].is_object()) {
            EXPECT_EQ(meant["structured_append"]["file_id"], 300) << where;
            meant["structured_append"].erase("file_id");
        }
        EXPECT_EQ(line["verification"]["read"], meant) << where;
        EXPECT_EQ(line["verification"]["passed"], true) << where;
        EXPECT_EQ(line["format"]["number"], c.format) << where;
        const int capacity = line["format"]["data_capacity"];
        const int errors = line["format"]["error_codewords"];
        EXPECT_EQ(line["codewords"].get<std::string>().size(), 2U * static_cast<std::size_t>(capacity + errors));
        EXPECT_LE(line["format"]["data_codewords_used"].get<int>(), capacity);
        EXPECT_FALSE(line["encodation"].empty()) << where;
        // The file: its size and its hash as sha256sum computes it.
        const auto png = testing::decodePng(testing::readFileBytes(dir.file("out.png")));
        ASSERT_TRUE(png.has_value());
        EXPECT_EQ(line["image"]["width"], png->width);
        EXPECT_EQ(line["image"]["height"], png->height);
        EXPECT_EQ(line["image"]["module_size"], 5);
        EXPECT_EQ(line["output_file"], dir.file("out.png"));
        const auto sum = testing::runProcess("/usr/bin/sha256sum", {dir.file("out.png")}, dir.path());
        EXPECT_EQ(sum.out.substr(0, 64), line["sha256"]) << where;
    }
}

// Vector output, and a PNG with --dpi, have a physical size: the report
// gives it in millimetres, as the file states it, and says what the other
// sizes count.
TEST(ReportOption, GivesThePhysicalSizeAsTheFileStatesIt)
{
    struct Case {
        std::vector<std::string> options;
        const char* file;
        const char* unit;
        std::optional<double> moduleMm;  // nothing: no physical size
        int moduleSize;
    };
    const std::vector<Case> cases{
        {{}, "out.png", "pixel", std::nullopt, 5},
        {{"--dpi=254", "-n", "4"}, "out.png", "pixel", 0.4, 4},
        {{"--module-mm=0.5"}, "out.svg", "module", 0.5, 1},
        {{"--dpi=300", "-x", "200", "-y", "100"}, "out.pdf", "dot", 7 * 25.4 / 300, 7},
        {{"--module-mm=0.25", "-o", "90"}, "out.eps", "module", 0.25, 1},
    };
    for (const Case& c : cases) {
        const ScratchDirectory dir;
        std::vector<std::string> args{"-d", "1234567", "--report=-"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(dir.file(c.file));
        const auto run = runKorvel(args, dir);
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        const auto image = nlohmann::json::parse(run.out)["image"];
        EXPECT_EQ(image["unit"], c.unit) << run.out;
        EXPECT_EQ(image["module_size"], c.moduleSize) << run.out;
        ASSERT_EQ(image.contains("width_mm"), c.moduleMm.has_value()) << run.out;
        if (!c.moduleMm) {
            continue;
        }
        EXPECT_NEAR(image["module_mm"].get<double>(), *c.moduleMm, 1e-4);
        const double width = image["width_mm"];
        const double height = image["height_mm"];
        EXPECT_NEAR(width, image["width"].get<double>() * *c.moduleMm / c.moduleSize, 1e-3);
        // The file's own statement of its size.
        const std::string written = dir.read(c.file);
        const std::string type = std::string(c.file).substr(4);
        if (type == "svg") {
            const std::size_t at = written.find("<svg ");
            ASSERT_NE(at, std::string::npos);
            const auto attribute = [&](const std::string& name) {
                return std::stod(written.substr(written.find(" " + name + "=\"", at) + name.size() + 3));
            };
            EXPECT_NEAR(width, attribute("width"), 1e-9);
            EXPECT_NEAR(height, attribute("height"), 1e-9);
        } else if (type == "png") {
            const auto png = testing::decodePng(testing::readFileBytes(dir.file(c.file)));
            ASSERT_TRUE(png.has_value());
            EXPECT_NEAR(width, png->width * 0.1, 1e-9);  // 254 dpi: 0.1 mm a pixel
        } else {
            // Points: poppler's reading of the PDF page, the EPS bounding box.
            const std::string stated =
                type == "pdf" ? testing::runProcess("/usr/bin/env", {"pdfinfo", dir.file(c.file)}, dir.path()).out
                              : written;
            const std::string key = type == "pdf" ? "Page size:" : "%%HiResBoundingBox: 0 0";
            const std::size_t at = stated.find(key);
            ASSERT_NE(at, std::string::npos) << stated;
            std::istringstream numbers(stated.substr(at + key.size()));
            double w = 0;
            std::string by;
            numbers >> w;
            if (type == "pdf") {
                numbers >> by;
            }
            double h = 0;
            numbers >> h;
            EXPECT_NEAR(width, w * 25.4 / 72, 1e-3) << stated;
            EXPECT_NEAR(height, h * 25.4 / 72, 1e-3) << stated;
        }
    }
}

TEST(ReportOption, AFailedSymbolIsReportedWithItsStatusAndNoFile)
{
    const ScratchDirectory dir;
    const auto run = runKorvel({"--report", "r.json", "-m", "5", "-d", "lower", "out.png"}, dir);
    EXPECT_EQ(run.exitStatus, 5);
    const auto line = nlohmann::json::parse(dir.read("r.json"));
    EXPECT_EQ(line["status"], 5);
    EXPECT_EQ(line["message"], "Error: Invalid data to encode.");
    EXPECT_EQ(line["input"], "lower");
    EXPECT_TRUE(line["format"].is_null() && line["output_file"].is_null() && line["sha256"].is_null());
    EXPECT_FALSE(line.contains("verification"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.png")));
}

TEST(ReportOption, OptionValuesAreCheckedWhenRead)
{
    struct Case {
        std::vector<std::string> options;
        std::string err;  // the start of standard error
    };
    const std::vector<Case> cases{
        {{"--report="}, testing::failureText("Error: Invalid value for --report: .")},
        {{"--verify=1"}, "argument not allowed: `verify'.\n"},
        {{"--verif"}, "invalid option `verif'.\n"},
        {{"--rep", "x.json"}, "invalid option `rep'.\n"},
    };
    for (const Case& c : cases) {
        const ScratchDirectory dir;
        const auto run = runKorvel(testing::withOutput(c.options), dir);
        EXPECT_EQ(run.exitStatus, 1) << c.options[0];
        EXPECT_EQ(run.err.substr(0, c.err.size()), c.err) << c.options[0];
        EXPECT_EQ(dir.entryCount(), 0U) << c.options[0];
    }
}

}  // namespace
}  // namespace korvel
