// --hri-text and --type=text as the command runs them: --verify passes with
// every output kind, the preview takes its colours only on a terminal, and
// what cannot be drawn is refused with a message that names why.

#include <gtest/gtest.h>

#include "support/png_file.hpp"
#include "support/process_runner.hpp"

namespace korvel {
namespace {

constexpr const char* kGs1 = "[01]09501101530003[17]261231";

TEST(HriTextCommand, VerifiesEveryOutputKind)
{
    const testing::ScratchDirectory scratch;
    for (const std::string type : {"png", "svg", "eps", "pdf", "text"}) {
        const auto run = testing::runKorvel({"--verify", "--gs1", "--hri-text", "-d", kGs1, "--type=" + type, "out"}, scratch);
        EXPECT_EQ(run.exitStatus, 0) << type << ": " << run.err;
    }
}

TEST(HriTextCommand, RefusesWhatItCannotDraw)
{
    const testing::ScratchDirectory scratch;
    scratch.write("empty.conf", "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n");
    testing::RunLimits noFonts;
    noFonts.environment = {"FONTCONFIG_FILE=" + scratch.file("empty.conf")};
    const auto unprintable = testing::runKorvel({"--hri-text", "-d", "~1ABC", "out.png"}, scratch);
    EXPECT_EQ(unprintable.exitStatus, 1);
    EXPECT_NE(unprintable.err.find("not all of it is printable ASCII"), std::string::npos) << unprintable.err;
    const auto fontless = testing::runKorvel({"--hri-text", "out.png"}, scratch, noFonts);
    EXPECT_EQ(fontless.exitStatus, 1);
    EXPECT_EQ(fontless.err, testing::failureText("Error: Invalid argument: no font for the human-readable text: install "
                                                 "OCR B (fonts-ocr-b) or DejaVu Sans Mono (fonts-dejavu-core)."));
    EXPECT_EQ(testing::runKorvel({"--hri-text", "--type=svg", "out.svg"}, scratch, noFonts).exitStatus, 0);
    EXPECT_EQ(testing::runKorvel({"--hri-text=1", "out.png"}, scratch).exitStatus, 1);
    EXPECT_EQ(scratch.read("out.png"), "");
}

TEST(TextPreviewCommand, ColoursOnlyOnATerminalAndTxtNamesStayPng)
{
    const testing::ScratchDirectory scratch;
    const auto piped = testing::runKorvel({"--type=text", "--stdout", "-d", "Hi"}, scratch);
    EXPECT_EQ(piped.exitStatus, 0);
    EXPECT_NE(piped.out.find("\u2580"), std::string::npos);
    EXPECT_EQ(piped.out.find('\x1b'), std::string::npos);
    // script(1) gives the command a pseudo-terminal as standard output.
    const auto terminal = testing::runProcess(
        "/usr/bin/script", {"-qec", testing::korvelProgram() + " --type=text --stdout -d Hi", "/dev/null"}, scratch.path());
    EXPECT_EQ(terminal.exitStatus, 0) << terminal.err;
    EXPECT_NE(terminal.out.find("\x1b[30;107m"), std::string::npos);
    EXPECT_EQ(testing::runKorvel({"--stdout", "-d", "Hi"}, scratch, {}).exitStatus, 0);  // a pipe takes a PNG
    ASSERT_EQ(testing::runKorvel({"-d", "Hi", "out.txt"}, scratch).exitStatus, 0);
    EXPECT_TRUE(testing::isCompletePng(scratch.read("out.txt")));
}

}  // namespace
}  // namespace korvel
