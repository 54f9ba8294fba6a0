// The fields of --report as the manual page (REPORT) and the README's table
// list them, in the order a real report holds them, parsed as JSON.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/process_runner.hpp"

namespace korvel {
namespace {

namespace fs = std::filesystem;

std::string readSource(const fs::path& relative)
{
    std::ifstream in(fs::path(KORVEL_SOURCE_DIR) / relative, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The field names the manual's REPORT section gives: the bold words after
// each .TP, "status\fR, \fPmessage" being two.
std::vector<std::string> manualFields()
{
    std::vector<std::string> fields;
    std::istringstream page(readSource("docs/korvel.1"));
    bool inReport = false;
    bool tagFollows = false;
    for (std::string line; std::getline(page, line);) {
        if (line.starts_with(".SH")) {
            inReport = line == ".SH REPORT";
        } else if (inReport && tagFollows && line.starts_with(".B ")) {
            std::string tag = line.substr(3);
            for (std::size_t comma; (comma = tag.find("\\fR, \\fP")) != std::string::npos;) {
                fields.push_back(tag.substr(0, comma));
                tag.erase(0, comma + 8);
            }
            fields.push_back(tag);
        }
        tagFollows = inReport && line == ".TP";
    }
    return fields;
}

// The field names of the README's report table: `name` at the start of a row.
std::vector<std::string> readmeFields()
{
    std::vector<std::string> fields;
    std::istringstream readme(readSource("README.md"));
    bool inTable = false;
    for (std::string line; std::getline(readme, line);) {
        if (line == "| Field | Meaning |") {
            inTable = true;
        } else if (inTable && !line.starts_with("|")) {
            break;
        } else if (inTable && line.starts_with("| `")) {
            const std::string names = line.substr(2, line.find(" |", 2) - 2);  // `status`, `message`
            for (std::size_t open = names.find('`'); open != std::string::npos; open = names.find('`', open)) {
                const std::size_t close = names.find('`', open + 1);
                fields.push_back(names.substr(open + 1, close - open - 1));
                open = close + 1;
            }
        }
    }
    return fields;
}

TEST(ReportFields, TheDocumentsListThemInTheReportsOrder)
{
    const testing::ScratchDirectory dir;
    const auto run = testing::runKorvel(
        {"--gs1", "--verify", "--report=-", "-d", "[01]09501101530003[10]AB", dir.file("out.png")}, dir);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const nlohmann::ordered_json report = nlohmann::ordered_json::parse(run.out);
    std::vector<std::string> keys;
    for (auto field = report.begin(); field != report.end(); ++field) {
        keys.push_back(field.key());
    }
    // input_hex, there only for input that is not UTF-8, is told of under input.
    EXPECT_EQ(manualFields(), keys);
    EXPECT_EQ(readmeFields(), keys);
}

}  // namespace
}  // namespace korvel
