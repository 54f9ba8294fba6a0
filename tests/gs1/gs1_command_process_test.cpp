// The GS1 and HIBC options of the korvel command, run as a process: status,
// both streams, and no file after a refusal.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "usage_text.hpp"
#include "support/png_file.hpp"
#include "support/process_runner.hpp"

namespace korvel {
namespace {

struct CommandCase {
    std::vector<std::string> args;
    int status;
    std::string out;  // exactly, or when it starts with '~' a part of it
    std::string err;  // after the banner line; the whole stream when it starts with '!'
};

const std::string kGood = "[01]09501101530003[17]261231[10]ABC123";

const CommandCase kCommandCases[] = {
    {{"--gs1", "-d", kGood, "--hri", "out.png"}, 0, "(01) 09501101530003 (17) 261231 (10) ABC123\n", ""},
    {{"--gs1", "--gs1-separator=gs", "--verify", "-d", kGood, "out.png"}, 0, "", ""},
    {{"--gs1", "--verify", "-s", "1", "-d", "https://h.example/01/09501101530003/10/A?17=261231", "out.png"}, 0, "",
     ""},
    {{"--gs1", "--report=-", "-d", kGood, "out.png"},
     0,
     "~\"hri\":\"(01) 09501101530003 (17) 261231 (10) ABC123\"",
     ""},
    {{"--gs1-nocheck", "-d", "[01]09501101530000[17]261331", "out.png"}, 0, "", ""},
    {{"--hibc", "--hri", "--verify", "-d", "A123BJC5D6E71", "out.png"}, 0, "+A123BJC5D6E71G\n", ""},
    {{"--hibc", "--hri", "--stdout", "-d", "A1"}, 1, "",
     "Error: Invalid argument: --hri and --stdout cannot be combined: the image takes standard output.\n"},
    {{"--gs1", "--hri", "--report=-", "-d", kGood, "out.png"}, 1, "",
     "Error: Invalid argument: --hri and --report=- cannot be combined: the report holds the human-readable text.\n"},
    {{"--gs1", "-d", "[01]09501101530000", "--hri", "out.png"}, 15, "",
     "Error: Invalid GS1 data: AI (01) at character 5: check digit 0, expected 3.\n"},
    {{"--gs1-nocheck", "-d", "[01]0950110153000", "out.png"}, 15, "",
     "Error: Invalid GS1 data: AI (01) at character 5: value too short: 13 characters, expected 14.\n"},
    // base64url padding is a character-set rule: syntax-only checks apply it too.
    {{"--gs1-nocheck", "-d", "[00]123456789012345675[8030]12=4", "out.png"}, 15, "",
     "Error: Invalid GS1 data: AI (8030) at character 31: '=' is padding, only at the end (base64url).\n"},
    {{"--gs1", "-d", "[415]1234567890128[8020]ABC123[8007]XX361234567890", "out.png"}, 15, "",
     "Error: Invalid GS1 data: AI (8007) at character 37: invalid IBAN 'XX361234567890': unknown country code 'XX'.\n"},
    {{"--gs1", "-d", "~1[01]09501101530003", "out.png"}, 15, "",
     "Error: Invalid GS1 data: character 1: expected '[', '(' or a Digital Link URI.\n"},
    {{"--hibc", "-d", "a1", "out.png"}, 15, "", "Error: Invalid GS1 data: character 1: invalid character 'a' for HIBC.\n"},
    {{"--gs1-separator=FNC", "--gs1", "out.png"}, 1, "", "Error: Invalid value for --gs1-separator: FNC.\n"},
    {{"--gs1", "--hibc", "-d", "A1", "out.png"}, 1, "",
     "Error: Invalid argument: --hibc cannot be combined with --gs1 or --gs1-nocheck.\n"},
    {{"--hri", "out.png"}, 1, "", "Error: Invalid argument: --hri needs --gs1, --gs1-nocheck or --hibc.\n"},
    {{"--utf8", "--gs1", "-d", kGood, "out.png"}, 1, "",
     "Error: Invalid argument: --utf8 cannot be combined with --gs1, --gs1-nocheck or --hibc (their data is plain "
     "ASCII).\n"},
    {{"--gs1=1", "out.png"}, 1, "", "!argument not allowed: `gs1'.\n"},
    {{"--hr", "out.png"}, 1, "", "!invalid option `hr'.\n"},
};

TEST(Gs1Command, OptionsReportAndWriteAsDocumented)
{
    for (const CommandCase& c : kCommandCases) {
        SCOPED_TRACE(c.args.front() + " " + c.args[1]);
        testing::ScratchDirectory scratch;
        const testing::ProcessResult result = testing::runKorvel(c.args, scratch);
        ASSERT_TRUE(result.exited);
        EXPECT_EQ(result.exitStatus, c.status);
        if (c.out.starts_with('~')) {
            EXPECT_NE(result.out.find(c.out.substr(1)), std::string::npos) << result.out;
        } else {
            EXPECT_EQ(result.out, c.out);
        }
        const bool scannerMessage = c.err.starts_with('!');
        EXPECT_EQ(result.err, scannerMessage ? c.err.substr(1) + usageText()
                              : c.err.empty() ? ""
                                              : std::string(kBannerLine) + "\n" + c.err);
        const auto png = testing::decodePng(testing::readFileBytes(scratch.path() / "out.png"));
        EXPECT_EQ(png.has_value(), c.status == 0);
        EXPECT_EQ(scratch.entryCount(), c.status == 0 ? 1U : 0U);
    }
}

}  // namespace
}  // namespace korvel
