#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "option_scanner.hpp"
#include "program_options.hpp"

namespace korvel {
namespace {

struct ScanResult {
    std::string events;    // one entry per call: "x=120 ", "h ", "? "
    int endIndex = -1;     // argIndex after the scanner reported the end
    std::string messages;  // everything the scanner wrote
};

// Scans the whole vector with the program's option tables, going on after
// errors so that the resumption point is checked too.
ScanResult scan(const std::vector<std::string>& args)
{
    std::vector<const char*> argv{"korvel"};
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    const int argc = static_cast<int>(argv.size());
    argv.push_back(nullptr);

    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> messages(std::tmpfile(), std::fclose);
    if (!messages) {
        ADD_FAILURE() << "no temporary file";
        return {};
    }
    OptionScanner scanner(kShortOptions, kLongOptions, messages.get());
    ScanResult result;
    for (int calls = 0; calls < 50; ++calls) {
        const int letter = scanner.nextOption(argc, argv.data());
        if (letter == OptionScanner::kEnd) {
            result.endIndex = scanner.argIndex();
            break;
        }
        result.events += static_cast<char>(letter);
        if (letter != OptionScanner::kError && letter != 'h') {
            result.events += std::string("=") + scanner.optionValue();
        }
        result.events += ' ';
    }
    std::rewind(messages.get());
    for (int c = std::fgetc(messages.get()); c != EOF; c = std::fgetc(messages.get())) {
        result.messages += static_cast<char>(c);
    }
    return result;
}

struct ScanCase {
    std::vector<std::string> args;
    std::string events;
    int endIndex;
    std::string messages;
};

void PrintTo(const ScanCase& c, std::ostream* os)
{
    for (const std::string& arg : c.args) {
        *os << '[' << arg << ']';
    }
}

class OptionScannerTest : public ::testing::TestWithParam<ScanCase> {};

TEST_P(OptionScannerTest, ReturnsLettersValuesEndAndMessages)
{
    const ScanCase& c = GetParam();
    const ScanResult result = scan(c.args);
    EXPECT_EQ(result.events, c.events);
    EXPECT_EQ(result.endIndex, c.endIndex);
    EXPECT_EQ(result.messages, c.messages);
}

INSTANTIATE_TEST_SUITE_P(
    ValuesAndForms, OptionScannerTest,
    ::testing::Values(
        ScanCase{{"-x120"}, "x=120 ", 2, ""},
        ScanCase{{"-x", "120"}, "x=120 ", 3, ""},
        ScanCase{{"--xsize=120"}, "x=120 ", 2, ""},
        ScanCase{{"--xsize", "120"}, "x=120 ", 3, ""},
        ScanCase{{"-x", "-5"}, "x=-5 ", 3, ""},
        ScanCase{{"--xsize", "--ysize"}, "x=--ysize ", 3, ""},
        ScanCase{{"--xsize=", "a.png"}, "x= ", 2, ""},
        ScanCase{{"--data=a=b"}, "d=a=b ", 2, ""},
        ScanCase{{"-x12y4"}, "x=12y4 ", 2, ""},
        ScanCase{{"-d", ""}, "d= ", 3, ""},
        ScanCase{{"-y", "1", "-y", "2", "out.png"}, "y=1 y=2 ", 5, ""}));

INSTANTIATE_TEST_SUITE_P(
    LongPrefixes, OptionScannerTest,
    ::testing::Values(ScanCase{{"--x", "1"}, "x=1 ", 3, ""},
                      ScanCase{{"--xs", "1"}, "x=1 ", 3, ""},
                      ScanCase{{"--xd", "1"}, "n=1 ", 3, ""},
                      ScanCase{{"--f", "1"}, "f=1 ", 3, ""},
                      ScanCase{{"--fc", "1"}, "r=1 ", 3, ""},
                      ScanCase{{"--q", "1"}, "q=1 ", 3, ""},
                      ScanCase{{"--qs", "1"}, "e=1 ", 3, ""},
                      ScanCase{{"--s", "1"}, "s=1 ", 3, ""},
                      ScanCase{{"--st", "1"}, "t=1 ", 3, ""},
                      ScanCase{{"--al", "1"}, "z=1 ", 3, ""},
                      ScanCase{{"--alignv", "1"}, "v=1 ", 3, ""},
                      ScanCase{{"--da", "ABC"}, "d=ABC ", 3, ""},
                      ScanCase{{"--h"}, "h ", 2, ""},
                      ScanCase{{"--=5"}, "h ", 2, ""},
                      ScanCase{{"--help=yes", "a.png"}, "h ", 2, ""},
                      ScanCase{{"--xsizes", "1"}, "? ", 2, "invalid option `xsizes'.\n"},
                      ScanCase{{"--XSIZE", "1"}, "? ", 2, "invalid option `XSIZE'.\n"}));

INSTANTIATE_TEST_SUITE_P(
    Clusters, OptionScannerTest,
    ::testing::Values(ScanCase{{"-hx", "7"}, "h x=7 ", 3, ""},
                      ScanCase{{"-hh", "a.png"}, "h h ", 2, ""},
                      ScanCase{{"-hx"}, "h ? ", 2, "Missing argument for `-x'.\n"},
                      ScanCase{{"-hk", "-x1"}, "h ? x=1 ", 3, "Unknown option `-k'.\n"},
                      ScanCase{{"-hx5"}, "h x=5 ", 2, ""}));

INSTANTIATE_TEST_SUITE_P(
    EndOfOptions, OptionScannerTest,
    ::testing::Values(ScanCase{{}, "", 1, ""},
                      ScanCase{{"a.png", "-x", "5"}, "", 1, ""},
                      ScanCase{{"--", "-x.png"}, "", 2, ""},
                      ScanCase{{"-x", "5", "--"}, "x=5 ", 4, ""},
                      ScanCase{{"-"}, "", 1, ""},
                      ScanCase{{"-x", "5", "-", "b"}, "x=5 ", 3, ""},
                      ScanCase{{"-x5", "--", "--", "-y"}, "x=5 ", 3, ""}));

INSTANTIATE_TEST_SUITE_P(
    Errors, OptionScannerTest,
    ::testing::Values(ScanCase{{"-x"}, "? ", 2, "Missing argument for `-x'.\n"},
                      ScanCase{{"--xsize"}, "? ", 2, "argument required: `xsize'.\n"},
                      ScanCase{{"--xs"}, "? ", 2, "argument required: `xs'.\n"},
                      ScanCase{{"-k"}, "? ", 2, "Unknown option `-k'.\n"},
                      ScanCase{{"-X", "1"}, "? ", 2, "Unknown option `-X'.\n"},
                      ScanCase{{"-:"}, "? ", 2, "Unknown option `-:'.\n"},
                      ScanCase{{"-ka.png"}, "? ", 2, "Unknown option `-k'.\n"},
                      ScanCase{{"--colour"}, "? ", 2, "invalid option `colour'.\n"},
                      ScanCase{{"--colour=5"}, "? ", 2, "invalid option `colour'.\n"},
                      ScanCase{{"-k", "-x", "3", "f.png"}, "? x=3 ", 4, "Unknown option `-k'.\n"},
                      ScanCase{{"--help", "--xsize"}, "h ? ", 3, "argument required: `xsize'.\n"}));

}  // namespace
}  // namespace korvel
