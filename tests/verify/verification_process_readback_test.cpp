// Verification against the real helper: random symbols pass, symbols and
// images that do not show the data meant fail with 16 and leave no file, and
// a helper that is missing, dies or hangs gives 17 without hanging.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "program_driver.hpp"
#include "korvel/png_writer.hpp"
#include "korvel/vector_writer.hpp"
#include "korvel/verification.hpp"
#include "korvel/verifier_process.hpp"
#include "decoding/verifier_protocol.hpp"
#include "support/process_runner.hpp"

namespace korvel {
namespace {

using testing::ScratchDirectory;

// PATH set for one test, put back afterwards.
class ScopedPath {
public:
    explicit ScopedPath(const std::string& path)
    {
        if (const char* old = std::getenv("PATH")) {
            old_ = old;
        }
        setenv("PATH", path.c_str(), 1);
    }
    ~ScopedPath() { setenv("PATH", old_.c_str(), 1); }

private:
    std::string old_;
};

SymbolOptions dataOnly(const char* data)
{
    SymbolOptions options;
    options.data = data;
    return options;
}

std::string helperDirectory() { return std::filesystem::path(testing::verifierProgram()).parent_path().string(); }

std::string describe(const SymbolOptions& o, const RenderOptions& r)
{
    return "data \"" + o.data + "\" mode " + std::to_string(static_cast<int>(o.mode)) + " format " +
           std::to_string(o.preferredFormat) + " orientation " + std::to_string(static_cast<int>(r.orientation)) +
           " module " + std::to_string(r.moduleSize) + " quiet zone " + std::to_string(r.quietZone) + "/" +
           std::to_string(r.quietZoneSize) + (o.structuredAppend.enabled ? " with structured append" : "");
}

TEST(Verification, RandomSymbolsReadAsMeantAndTheirImagesShowThem)
{
    std::unique_ptr<VerifierProcess> helper;  // one helper for the whole sample
    ASSERT_TRUE(VerifierProcess::start({testing::verifierProgram()}, helper).ok());
    std::mt19937 random(20261207);
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const std::vector<std::string> starts{"", "", "~1", "~5", "~6", "~3", "~7000026", "7~1"};
    const std::vector<std::string> pieces{"ABC", "12345", "~1", "hello ", "~X00~XFF", "~7000003", "\\\\", "~N",
                                          "*>X12", "PARCEL 0042", "~~", std::string(60, '9')};
    int verified = 0;
    for (int n = 0; n < 160; ++n) {
        SymbolOptions options;
        options.data = starts[static_cast<std::size_t>(pick(0, 7))];
        for (int k = pick(0, 5); k > 0; --k) {
            options.data += pieces[static_cast<std::size_t>(pick(0, 11))];
        }
        options.mode = static_cast<EncodingMode>(pick(0, 6));
        options.preferredFormat = pick(0, 1) == 0 ? 0 : pick(1, 30);
        options.structuredAppend = {options.data.rfind("~3", 0) != 0 && pick(0, 4) == 0, 0, pick(2, 16), pick(1, 64516)};
        options.structuredAppend.position = pick(1, options.structuredAppend.total);
        Symbol symbol;
        if (!encode(options, symbol).ok()) {
            continue;
        }
        RenderOptions render;
        render.moduleSize = pick(1, 6);
        render.orientation = static_cast<Orientation>(90 * pick(0, 3));
        render.quietZone = pick(0, 3) != 0;
        render.quietZoneSize = pick(0, 3);
        render.foreground = Color::fromRgb(static_cast<std::uint32_t>(random()) & 0x7F7F7FU);
        render.background = Color::fromRgb(static_cast<std::uint32_t>(random()) | 0x808080U);
        if (pick(0, 4) == 0) {
            render.imageSize = ImageSize{pick(160, 400), pick(160, 400)};
            render.horizontal = static_cast<Alignment>(pick(0, 2));
        }
        std::vector<std::uint8_t> png;
        if (!writePng(symbol, render, {}, bufferSink(png)).ok()) {
            continue;  // a fixed image size the symbol does not fit
        }
        Verification result;
        const Outcome outcome = verify(options, symbol, render, {OutputType::Png, png}, *helper, result);
        EXPECT_TRUE(outcome.ok()) << describe(options, render) << ": " << outcomeMessage(outcome);
        EXPECT_TRUE(result.passed && result.readingChecked && result.outputChecked);
        verified += outcome.ok() ? 1 : 0;
    }
    EXPECT_GT(verified, 100);
    EXPECT_EQ(helper->name(), "zxing-cpp 1.4.0");
}

// An encoder fault that makes a valid symbol of other data: flipping modules
// would be repaired by error correction, so whole symbols are swapped in.
TEST(VerifyOption, ASymbolOfOtherDataIsCaughtAndNoFileIsLeft)
{
    struct Case {
        const char* name;
        std::vector<std::string> options;
        SymbolOptions swapped;  // empty data: nothing is swapped
        const char* difference;
    };
    SymbolOptions sequence;
    sequence.data = "AB";
    sequence.structuredAppend = {true, 3, 3, 7};
    const std::vector<Case> cases{
        {"nothing swapped", {"-d", "LOT 12345"}, dataOnly(""), ""},
        {"last character", {"-d", "LOT 12345"}, dataOnly("LOT 12346"), "first difference at byte 9"},
        {"one byte more", {"-m", "4", "-d", "LOT 12345"}, dataOnly("LOT 123456"), "(10 bytes), meant"},
        {"FNC1 second instead of first", {"-d", "~1ABC"}, dataOnly("A~1BC"), "symbology identifier ]d3, meant ]d2"},
        {"structured append position", {"-s", "1", "-p", "2", "-t", "3", "-i", "7", "-d", "AB"}, sequence,
         "structured append 3 of 3, meant structured append 2 of 3"},
        {"reader programming lost", {"-d", "~3AB"}, dataOnly("AB"), "no reader programming, meant reader programming"},
        {"ECI", {"-d", "~7000026AB"}, dataOnly("~7000003AB"), "ECI 3 from byte 1, meant ECI 26 from byte 1"},
    };
    const ScopedPath path(helperDirectory());
    for (const Case& c : cases) {
        const ScratchDirectory dir;
        const std::string out = dir.file("out.png");
        setSymbolHookForTesting([&c](Symbol& symbol) {
            if (!c.swapped.data.empty()) {
                ASSERT_TRUE(encode(c.swapped, symbol).ok());
            }
        });
        std::vector<const char*> argv{"korvel", "--verify"};
        for (const std::string& option : c.options) {
            argv.push_back(option.c_str());
        }
        argv.push_back(out.c_str());
        ::testing::internal::CaptureStderr();
        const int status = runProgram(static_cast<int>(argv.size()), argv.data());
        const std::string err = ::testing::internal::GetCapturedStderr();
        setSymbolHookForTesting({});
        if (c.swapped.data.empty()) {
            EXPECT_EQ(status, 0) << c.name << ": " << err;
            EXPECT_TRUE(std::filesystem::exists(out)) << c.name;
            continue;
        }
        EXPECT_EQ(status, 16) << c.name;
        EXPECT_EQ(dir.entryCount(), 0U) << c.name;
        EXPECT_NE(err.find("Error: Verification failed: "), std::string::npos) << c.name << ": " << err;
        EXPECT_NE(err.find(c.difference), std::string::npos) << c.name << ": " << err;
    }
}

// In a batch the workers go on while the helper reads: a line whose
// symbol is wrong still fails alone, leaves no file and is reported in its
// place, whichever worker made it and however many lines were in flight.
TEST(VerifyOption, ABatchCatchesEachWrongSymbolInItsLine)
{
    const ScopedPath path(helperDirectory());
    for (const char* jobs : {"--jobs=1", "--jobs=3"}) {
        const ScratchDirectory dir;
        std::string lines;
        for (int n = 1; n <= 301; ++n) {  // the last requests are no whole burst
            lines += "LINE " + std::to_string(n) + "\n";
        }
        dir.write("lines.txt", lines);
        Symbol line7;
        Symbol line200;
        ASSERT_TRUE(encode(dataOnly("LINE 7"), line7).ok() && encode(dataOnly("LINE 200"), line200).ok());
        setSymbolHookForTesting([&](Symbol& symbol) {
            if (symbol.codewords() == line7.codewords() || symbol.codewords() == line200.codewords()) {
                ASSERT_TRUE(encode(dataOnly("LINE 0"), symbol).ok());
            }
        });
        const std::string batch = "--batch=" + dir.file("lines.txt");
        const std::string report = "--report=" + dir.file("r.jsonl");
        const std::string out = dir.file("#.png");
        std::vector<const char*> argv{"korvel", "--verify", jobs, batch.c_str(), report.c_str(), out.c_str()};
        ::testing::internal::CaptureStderr();
        const int status = runProgram(static_cast<int>(argv.size()), argv.data());
        const std::string err = ::testing::internal::GetCapturedStderr();
        setSymbolHookForTesting({});
        EXPECT_EQ(status, 16) << jobs << ": " << err;
        EXPECT_EQ(dir.entryCount(), 301U) << jobs;  // 299 symbols, the lines and the report
        EXPECT_FALSE(std::filesystem::exists(dir.file("7.png"))) << jobs;
        EXPECT_FALSE(std::filesystem::exists(dir.file("200.png"))) << jobs;
        EXPECT_LT(err.find("line 7"), err.find("line 200")) << jobs << ": " << err;
        std::ifstream read(dir.file("r.jsonl"));
        int n = 0;
        for (std::string line; std::getline(read, line);) {
            ++n;
            const bool wrong = n == 7 || n == 200;
            EXPECT_NE(line.find("\"line\":" + std::to_string(n) + ","), std::string::npos) << line;
            EXPECT_NE(line.find(wrong ? "\"status\":16" : "\"status\":0"), std::string::npos) << line;
        }
        EXPECT_EQ(n, 301) << jobs;
    }
}

TEST(Verification, AnImageThatDoesNotShowTheSymbolFails)
{
    SymbolOptions options;
    options.data = "OUTPUT CHECK";
    Symbol symbol;
    Symbol other;
    ASSERT_TRUE(encode(options, symbol).ok());
    options.data = "OUTPUT CHECL";
    ASSERT_TRUE(encode(options, other).ok());
    const RenderOptions render;
    const auto png = [](const Symbol& s, const RenderOptions& r) {
        std::vector<std::uint8_t> bytes;
        EXPECT_TRUE(writePng(s, r, {}, bufferSink(bytes)).ok());
        return bytes;
    };
    RenderOptions smaller = render;
    smaller.moduleSize = 4;
    RenderOptions offColour = render;
    offColour.foreground = Color{1, 0, 0};
    RenderOptions invisible = render;
    invisible.foreground = kWhite;
    std::vector<std::uint8_t> truncated = png(symbol, render);
    truncated.resize(truncated.size() / 2);
    using VectorWriter = Outcome (*)(const Symbol&, const RenderOptions&, const VectorOptions&, const ByteSink&);
    const auto vector = [](VectorWriter write, const Symbol& s, const RenderOptions& r) {
        std::vector<std::uint8_t> bytes;
        EXPECT_TRUE(write(s, r, {}, bufferSink(bytes)).ok());
        return bytes;
    };
    RenderOptions turned = render;
    turned.orientation = Orientation::Degrees270;
    struct Case {
        const char* name;
        OutputType type;
        std::vector<std::uint8_t> bytes;
        RenderOptions render;
        const char* detail;  // nullptr: passes
    };
    constexpr OutputType kPng = OutputType::Png;
    const std::vector<Case> cases{
        {"the symbol itself", kPng, png(symbol, render), render, nullptr},
        {"SVG of the symbol", OutputType::Svg, vector(writeSvg, symbol, turned), turned, nullptr},
        {"EPS of the symbol", OutputType::Eps, vector(writeEps, symbol, offColour), offColour, nullptr},
        {"PDF of the symbol", OutputType::Pdf, vector(writePdf, symbol, turned), turned, nullptr},
        {"SVG of another symbol", OutputType::Svg, vector(writeSvg, other, render), render, "the drawing differs"},
        {"EPS not turned", OutputType::Eps, vector(writeEps, symbol, render), turned, "the drawing differs"},
        {"PDF in another colour", OutputType::Pdf, vector(writePdf, symbol, offColour), render, "colours are"},
        {"PDF cut short", OutputType::Pdf, truncated, render, "cannot be read"},
        {"another symbol", kPng, png(other, render), render, "the written image differs from the symbol in "},
        {"another module size", kPng, png(symbol, smaller), render, "the written image is 72 x 72 pixels, the symbol needs 90 x 90"},
        {"another colour", kPng, png(symbol, offColour), render, "is #010000, the module at row 1, column 1 needs #000000"},
        {"cut short", kPng, truncated, render, "the written PNG cannot be decoded"},
        {"one colour for both", kPng, png(symbol, invisible), invisible, "same colour #ffffff"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = verifyOutput({c.type, c.bytes}, symbol, c.render);
        if (c.detail == nullptr) {
            EXPECT_TRUE(outcome.ok()) << c.name << ": " << outcome.detail;
            continue;
        }
        EXPECT_EQ(outcome.code, ResultCode::VerificationFailed) << c.name;
        EXPECT_NE(outcome.detail.find(c.detail), std::string::npos) << c.name << ": " << outcome.detail;
    }
}

TEST(VerifierProcess, AHelperThatFailsGives17WithAMessageAndNeverHangs)
{
    const std::string hello = "printf 'KVH1\\004\\000\\000\\000fake'\n";
    struct Case {
        const char* name;
        std::string script;  // empty: a file that is not executable
        const char* detail;
    };
    const std::vector<Case> cases{
        {"not executable", "", "is not an executable file"},
        {"exits at once", "exit 3\n", "ended with status 3"},
        {"dies after greeting", hello + "exit 4\n", "ended with status 4"},
        {"killed", hello + "kill -9 $$\n", "was ended by signal 9"},
        {"never greets", "exec sleep 30\n", "did not start within 1 seconds"},
        {"greets, then hangs", hello + "exec sleep 30\n", "gave no answer within 1 seconds"},
        {"answers nonsense", hello + "printf 'XXXXXXXX'\nexec sleep 30\n", "gave a malformed answer"},
        {"refuses, saying why", hello + "printf 'KVE1\\004\\000\\000\\000b\\na\\033'\nexec sleep 30\n",
         "gave a malformed answer: \"b\\x0Aa\\x1B\""},
        {"says why on its standard error", hello + "printf 'zxing: out of memory\\033[31m\\n' >&2\nexit 5\n",
         "ended with status 5; it said \"zxing: out of memory\\x1B[31m\""},
        {"floods its standard error", hello + "yes error | head -c 300000 >&2\nexit 6\n", "ended with status 6; it said \"..."},
    };
    const ScratchDirectory dir;
    const GrayRaster raster{2, 2, {0, 255, 255, 0}};
    for (const Case& c : cases) {
        const std::string program = dir.file("helper");
        dir.write("helper", "#!/bin/sh\n" + c.script);
        ASSERT_EQ(chmod(program.c_str(), c.script.empty() ? 0644 : 0755), 0);
        const auto began = std::chrono::steady_clock::now();
        std::unique_ptr<VerifierProcess> helper;
        Outcome outcome = VerifierProcess::start({program, 1, 1}, helper);
        std::optional<SymbolReading> reading;
        if (outcome.ok()) {
            outcome = helper->decode(raster, reading);
            EXPECT_EQ(helper->decode(raster, reading).code, ResultCode::VerifierNotAvailable) << c.name;
            helper.reset();
        }
        EXPECT_EQ(outcome.code, ResultCode::VerifierNotAvailable) << c.name;
        EXPECT_NE(outcome.detail.find(c.detail), std::string::npos) << c.name << ": " << outcome.detail;
        EXPECT_LT(outcome.detail.size(), 400U) << c.name;
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(8)) << c.name;
    }
}

TEST(VerifyOption, WithoutItsHelperTheRunEndsWith17AndSaysWhereItLooked)
{
    const ScratchDirectory dir;
    const std::string program = dir.file("korvel");
    std::filesystem::copy_file(testing::korvelProgram(), program);
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    std::filesystem::create_directory(dir.file("empty"));
    const ScopedPath path(dir.file("empty"));
    const auto run = testing::runProcess(program, {"--verify", "out.png"}, dir.path());
    EXPECT_EQ(run.exitStatus, 17);
    EXPECT_EQ(run.err, testing::failureText("Error: Verifier not available: korvel-verify is neither next to the "
                                            "program in " + dir.path().string() + " nor on PATH (" +
                                            dir.file("empty") + ")."));
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.png")));
}

// The helper's standard error never reaches the program's own: what it said
// shows, escaped, in the one message line.
TEST(VerifyOption, WhatAFailingHelperSaysIsQuotedInTheMessageOnly)
{
    const ScratchDirectory dir;
    const std::string program = dir.file("korvel");
    std::filesystem::copy_file(testing::korvelProgram(), program);
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    dir.write("korvel-verify", "#!/bin/sh\nprintf 'KVH1\\004\\000\\000\\000fake'\nprintf 'line one\\nboom\\033[2J\\n' >&2\nexit 3\n");
    std::filesystem::permissions(dir.file("korvel-verify"), std::filesystem::perms::owner_all);
    const auto run = testing::runProcess(program, {"--verify", "out.png"}, dir.path());
    EXPECT_EQ(run.exitStatus, 17);
    EXPECT_EQ(run.err, testing::failureText("Error: Verifier not available: the verifier " + dir.file("korvel-verify") +
                                            " ended with status 3; it said \"line one\\x0Aboom\\x1B[2J\"."));
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.png")));
}

// Readers of the program's own vector output run in one pass with a
// bounded stack: the largest symbols, at the smallest and largest module
// sizes and in every orientation, verify (an SVG of format 20 overflowed
// the stack of a regular expression).
TEST(VerifyOption, TheLargestSymbolsVerifyInEveryKindOfOutput)
{
    const std::string big(1500, '7');
    const std::vector<std::vector<std::string>> symbols{
        {"-f", "20", "-d", "x"},
        {"-f", "24", "-d", big},
        {"--dmre", "-f", "36", "-d", "DMRE 8 X 144"},
        {"--dmre", "-f", "48", "-d", "DMRE 26 X 64"},
    };
    const std::vector<std::vector<std::string>> sizes{{"-n", "1"}, {"--module-mm=0.01"}, {"--module-mm=100"}};
    const ScratchDirectory dir;
    int run = 0;
    for (const char* type : {"svg", "eps", "pdf", "png"}) {
        for (const auto& symbol : symbols) {
            for (const auto& size : sizes) {
                if (std::string(type) == "png" && size[0] != "-n") {
                    continue;
                }
                std::vector<std::string> args{"--verify", "-o", std::to_string(90 * (run++ % 4))};
                args.insert(args.end(), symbol.begin(), symbol.end());
                args.insert(args.end(), size.begin(), size.end());
                args.push_back(dir.file(std::string("out.") + type));
                const auto result = testing::runKorvel(args, dir);
                // A PDF page below 3 points a side is refused before anything is verified.
                const bool pageTooSmall = result.exitStatus == 1 && std::string(type) == "pdf" &&
                                          result.err.find("PDF pages are 3 to 14,400 units a side") != std::string::npos;
                EXPECT_EQ(result.exitStatus, pageTooSmall ? 1 : 0)
                    << type << " " << symbol[1] << " " << size[0] << ": " << result.err;
            }
        }
    }
}

// Every print option passes --verify in every output kind: the pixel check
// follows dots, ink spread and transparency, the vector read-back dots,
// outlines, a missing background and CMYK colours.
TEST(VerifyOption, FollowsEveryPrintOption)
{
    const std::vector<std::vector<std::string>> options{
        {"--dots=0.8"},
        {"--ink-spread=0.5", "-n", "8"},
        {"--cmyk", "-r", "102030"},
        {"--no-background", "-b", "ffff00"},
        {"--dots=1", "--ink-spread=0.3", "--cmyk", "--no-background", "--palette", "-o", "90", "-n", "9"},
    };
    const ScratchDirectory dir;
    for (const char* type : {"png", "svg", "eps", "pdf"}) {
        for (const auto& option : options) {
            std::vector<std::string> args{"--verify", "-d", "Print 2026"};
            args.insert(args.end(), option.begin(), option.end());
            args.push_back(dir.file(std::string("out.") + type));
            const auto result = testing::runKorvel(args, dir);
            EXPECT_EQ(result.exitStatus, 0) << type << " " << option[0] << ": " << result.err;
        }
    }
}

// The helper takes the requests that came in together and decodes them on
// several threads: its answers still come one per request, in the order of
// the requests, and a malformed frame after them is refused after them.
TEST(VerifierHelper, AnswersRequestsReadTogetherInTheirOrderThenRefusesAMalformedFrame)
{
    const ScratchDirectory dir;
    std::string input;
    for (int n = 0; n < 40; ++n) {
        Symbol symbol;
        ASSERT_TRUE(encode(dataOnly(("HELPER " + std::to_string(n)).c_str()), symbol).ok());
        const auto request = verifier::requestFrame(plainRaster(symbol, Orientation::Degrees0, 2, 1));
        input.append(request.begin(), request.end());
    }
    dir.write("requests.bin", input + std::string("XXXX\0\0\0\0", 8));
    testing::RunLimits limits;
    limits.standardInput = dir.file("requests.bin");
    const auto run = testing::runProcess(testing::verifierProgram(), {}, dir.path(), limits);
    EXPECT_TRUE(run.exited && run.exitStatus == 2) << run.err;
    std::vector<std::string> said;  // each frame: an answer's reading, or the frame's text
    auto out = std::span(reinterpret_cast<const std::uint8_t*>(run.out.data()), run.out.size());
    while (out.size() >= verifier::kFrameHeaderSize) {
        verifier::Tag tag{};
        const std::size_t length = std::min<std::size_t>(
            verifier::payloadLength(out.first<verifier::kFrameHeaderSize>(), tag).value_or(0), out.size() - verifier::kFrameHeaderSize);
        const auto payload = out.subspan(verifier::kFrameHeaderSize, length);
        std::optional<SymbolReading> reading;
        const bool answer = tag == verifier::kAnswer && verifier::parseAnswer(payload, reading) && reading;
        said.push_back(answer ? std::string(reading->bytes.begin(), reading->bytes.end())
                              : std::string(payload.begin(), payload.end()));
        out = out.subspan(verifier::kFrameHeaderSize + length);
    }
    ASSERT_EQ(said.size(), 42U) << run.err;  // the greeting, 40 answers, the refusal
    for (int n = 0; n < 40; ++n) {
        EXPECT_EQ(said[static_cast<std::size_t>(n) + 1], "HELPER " + std::to_string(n));
    }
    EXPECT_EQ(said.back(), "not a request frame");
}

}  // namespace
}  // namespace korvel
