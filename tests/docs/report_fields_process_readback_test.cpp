// The fields of --report as the manual page (REPORT) and the README's table
// list them, in the order a real report holds them, parsed as JSON.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/process_runner.hpp"

namespace korvel {
namespace {

// The field names of the manual's REPORT section (the bold tag after each
// .TP, "status\fR, \fPmessage" being two) or of the README's report table
// (every `name` in the first cell of a row).
std::vector<std::string> documentedFields(const std::string& file)
{
    std::ifstream in(std::string(KORVEL_SOURCE_DIR) + "/" + file);
    const bool manual = file.ends_with(".1");
    std::vector<std::string> fields;
    bool inList = false;
    std::string before;
    for (std::string line; std::getline(in, line); before = line) {
        if (manual ? line.starts_with(".SH") : line.starts_with("| Field |")) {
            inList = manual ? line == ".SH REPORT" : true;
        } else if (inList && manual && before == ".TP" && line.starts_with(".B ")) {
            std::istringstream tag(line.substr(3));
            for (std::string field; std::getline(tag, field, ',');) {
                fields.push_back(field.substr(field.starts_with(" \\fP") ? 4 : 0, field.find("\\fR")));
            }
        } else if (inList && !manual) {
            if (!line.starts_with("|")) {
                break;
            }
            std::istringstream cell(line.substr(0, line.find(" |", 1)));
            for (std::string part; std::getline(cell, part, '`') && std::getline(cell, part, '`');) {
                fields.push_back(part);
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
    EXPECT_EQ(documentedFields("docs/korvel.1"), keys);
    EXPECT_EQ(documentedFields("README.md"), keys);
}

}  // namespace
}  // namespace korvel
