// Different spellings of the same options, and values the program drops,
// give the very same image, and zxing-cpp reads the data meant from it.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/png_file.hpp"
#include "support/process_runner.hpp"
#include "support/symbol_readers.hpp"

namespace korvel {
namespace {

struct SpellingsCase {
    std::string name;
    std::string data;  // what a reader must find in the symbol
    std::vector<std::vector<std::string>> runs;
};

void PrintTo(const SpellingsCase& c, std::ostream* os) { *os << c.name; }

class Spellings : public ::testing::TestWithParam<SpellingsCase> {};

TEST_P(Spellings, WriteIdenticalPixelsThatReadAsTheData)
{
    const SpellingsCase& c = GetParam();
    std::optional<testing::DecodedPng> first;
    for (const auto& args : c.runs) {
        std::string command;
        for (const std::string& arg : args) {
            command += arg + " ";
        }
        SCOPED_TRACE(command);
        const testing::ScratchDirectory dir;
        const testing::ProcessResult run = testing::runKorvel(args, dir);
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        auto png = testing::decodePng(testing::readFileBytes(dir.path() / "out.png"));
        ASSERT_TRUE(png.has_value());
        if (!first) {
            first = std::move(png);
            continue;
        }
        EXPECT_TRUE(png->width == first->width && png->height == first->height && png->pixels == first->pixels);
    }
    const auto image = testing::toRaster(*first);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(testing::readWithZxing(*image).bytes, c.data);
}

INSTANTIATE_TEST_SUITE_P(
    OptionsAndValues, Spellings,
    ::testing::Values(SpellingsCase{"DroppedValues",
                                    "1234567",
                                    {{"out.png"},
                                     {"-f", "31", "-m", "9", "-o", "45", "-z", "3", "-v", "-1", "out.png"},
                                     {"-f", "5", "-f", "abc", "out.png"},
                                     {"-x", "0", "-y", "-5", "-n", "0", "out.png"},
                                     {"-p", "16", "-t", "16", "-i", "64516", "out.png"},
                                     {"-m", "4", "-m", "0", "-q", "7", "out.png"}}},
                      SpellingsCase{"DataOption",
                                    "ABC",
                                    {{"--data=ABC", "out.png"},
                                     {"--data", "ABC", "out.png"},
                                     {"--da", "ABC", "out.png"},
                                     {"--d=ABC", "out.png"},
                                     {"-dABC", "out.png"},
                                     {"-d", "ABC", "out.png"}}}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace korvel
