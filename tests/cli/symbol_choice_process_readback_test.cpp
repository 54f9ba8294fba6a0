// The command's options for shape, rectangular extension formats, UTF-8
// text and the minimal encodation: each run's status and messages, and the
// image it writes read back by zxing-cpp.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "usage_text.hpp"
#include "support/png_file.hpp"
#include "support/process_runner.hpp"
#include "support/symbol_readers.hpp"

namespace korvel {
namespace {

namespace fs = std::filesystem;

struct ChoiceCase {
    std::vector<std::string> args;  // "out.png" is the file written
    int status;
    std::string err;
    std::uint32_t width = 0;  // of the image written; 0: no file
    std::uint32_t height = 0;
    std::string read = "";  // what zxing-cpp must read from it
};

std::string usageError(const std::string& message) { return message + usageText(); }

const ChoiceCase kCases[] = {
    // Refused values and spellings.
    {{"--shape=x", "out.png"}, 1, testing::failureText("Error: Invalid value for --shape: x.")},
    {{"--shape", "Squares", "out.png"}, 1, testing::failureText("Error: Invalid value for --shape: Squares.")},
    {{"--dmre=1", "out.png"}, 1, usageError("argument not allowed: `dmre'.\n")},
    {{"--minimal=", "out.png"}, 1, usageError("argument not allowed: `minimal'.\n")},
    {{"--dm", "out.png"}, 1, usageError("invalid option `dm'.\n")},
    {{"--sha=rectangle", "out.png"}, 1, usageError("invalid option `sha'.\n")},
    {{"--minimal", "-m", "1", "out.png"}, 1,
     testing::failureText("Error: Invalid argument: --minimal chooses the schemes itself and needs -m 0.")},
    {{"--utf8", "-d", "caf~XE9", "out.png"}, 5,
     testing::failureText("Error: Invalid data to encode: ill-formed UTF-8 at byte 4 of the data.")},
    {{"--dmre", "--shape=rectangle", "-d", std::string(300, '7'), "out.png"}, 8,
     testing::failureText("Error: Cant find the needed matrix format.")},
    // Symbols: 5 pixels per module and a quiet zone of one module.
    {{"-f", "31", "-d", "DMRE", "out.png"}, 0, "", 70, 70, "DMRE"},  // ignored without --dmre
    {{"--dmre", "-f", "31", "-d", "DMRE", "out.png"}, 0, "", 250, 50, "DMRE"},
    {{"-f", "48", "--dmre", "-d", "DMRE", "out.png"}, 0, "", 330, 140, "DMRE"},
    {{"--shape=rectangle", "-d", "HELLO", "out.png"}, 0, "", 170, 50, "HELLO"},  // eight C40 codewords
    {{"--shape=rectangle", "--minimal", "-d", "HELLO", "out.png"}, 0, "", 100, 50, "HELLO"},
    {{"--shape", "rectangle", "--dmre", "-d", "0123456789012345678901234567890123", "out.png"}, 0, "", 250, 50,
     "0123456789012345678901234567890123"},
    {{"--shape=rectangle", "-f", "3", "-d", "HELLO", "out.png"}, 0, "", 80, 80, "HELLO"},
    {{"--shape=square", "-d", "HELLO", "out.png"}, 0, "", 80, 80, "HELLO"},
    {{"--minimal", "-d", "HELLO", "out.png"}, 0, "", 70, 70, "HELLO"},
    {{"--utf8", "-d", "Привет", "out.png"}, 0, "", 100, 100, "Привет"},
};

// The decoded image as a raster the readers take.
TEST(SymbolChoiceProcess, StatusMessagesAndSymbols)
{
    for (const ChoiceCase& c : kCases) {
        std::string described;
        for (const std::string& arg : c.args) {
            described += "[" + arg.substr(0, 40) + "]";
        }
        SCOPED_TRACE(described);
        testing::ScratchDirectory scratch;
        const testing::ProcessResult result = testing::runKorvel(c.args, scratch);
        ASSERT_TRUE(result.exited);
        EXPECT_EQ(result.exitStatus, c.status);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, c.err);
        const fs::path written = scratch.path() / "out.png";
        if (c.width == 0) {
            EXPECT_FALSE(fs::exists(written));
            continue;
        }
        const auto png = testing::decodePng(testing::readFileBytes(written));
        ASSERT_TRUE(png.has_value());
        EXPECT_EQ(png->width, c.width);
        EXPECT_EQ(png->height, c.height);
        const auto image = testing::toRaster(*png);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(testing::readWithZxing(*image).bytes, c.read);
    }
}

}  // namespace
}  // namespace korvel
