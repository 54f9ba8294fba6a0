// Hostile data given to the program, where it arrives as an argument (no NUL
// byte can be part of it; the kernel limits one argument to 128 KiB): a
// complete PNG or status 5, 8 or 10 with nothing written, never a crash.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/png_file.hpp"
#include "support/process_runner.hpp"

namespace korvel {
namespace {

TEST(HostileData, ThroughTheCommandLine)
{
    std::string control;
    for (int c = 1; c < 32; ++c) {
        control.push_back(static_cast<char>(c));
    }
    control.push_back('\x7f');
    std::string high;
    for (int c = 128; c < 256; ++c) {
        high.push_back(static_cast<char>(c));
    }
    const std::vector<std::vector<std::string>> cases{
        {"-d", control},
        {"-d", high},
        {"-d", high, "-m", "2"},
        {"-d", std::string(5000, '~')},
        {"-d", std::string(5001, '~'), "-m", "1"},
        {"-d", std::string(130000, 'x')},
        {"-d", std::string(130000, '~'), "-m", "5"},
        {"-d", "~7", "-m", "4"},
        {"-d", "~"},
        {"-d", "~X", "-f", "1"},
        {"-d", "~71234567~X4~", "-m", "6"},
        {"-d", "\xe8\xe9\xea\xf1~3~5~6", "-s", "1"},
    };
    for (const auto& options : cases) {
        SCOPED_TRACE(options[1].substr(0, 20) + " (" + std::to_string(options[1].size()) + " bytes)");
        const testing::ScratchDirectory dir;
        const auto run = testing::runKorvel(testing::withOutput(options), dir);
        ASSERT_TRUE(run.exited) << "ended by signal " << run.signal;
        EXPECT_TRUE(run.exitStatus == 0 || run.exitStatus == 5 || run.exitStatus == 8 || run.exitStatus == 10)
            << run.exitStatus;
        if (run.exitStatus == 0) {
            EXPECT_TRUE(testing::isCompletePng(dir.read("out.png")));
        } else {
            EXPECT_EQ(dir.entryCount(), 0U);
        }
    }
}

}  // namespace
}  // namespace korvel
