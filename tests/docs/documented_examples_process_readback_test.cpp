// Every example command of the documentation runs as the built program in a
// scratch directory: the README's Examples table (`./run.sh ARGS` runs the
// program with ARGS) and the EXAMPLES section of the manual page. zxing-cpp,
// and libdmtx where its output is comparable, must read the image back as
// the data the example gives, vector documents once rendered; the README's
// pictures must be the images its examples make.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <span>
#include <string_view>
#include <vector>

#include "korvel/expected_reading.hpp"
#include "support/expected_reading.hpp"
#include "support/png_file.hpp"
#include "support/process_runner.hpp"
#include "support/symbol_readers.hpp"
#include "support/vector_rendering.hpp"

namespace korvel {
namespace {

namespace fs = std::filesystem;

struct Example {
    std::string name;                // Readme1, Manual3, ...
    std::string command;             // as printed
    std::vector<std::string> args;   // the program's arguments
    std::optional<fs::path> picture;  // the README's image of it
};

void PrintTo(const Example& e, std::ostream* os) { *os << e.command; }

std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The words of a shell command: blanks separate words, single quotes keep
// everything up to the next one, double quotes keep all but a backslash
// before " \ $ or `, and a backslash elsewhere keeps the character after it.
// Nothing for an unclosed quote.
std::optional<std::vector<std::string>> shellWords(std::string_view command)
{
    std::vector<std::string> words;
    std::optional<std::string> word;
    for (std::size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (word) {
                words.push_back(*word);
                word.reset();
            }
            continue;
        }
        std::string& w = word ? *word : word.emplace();
        if (c == '\'' || c == '"') {
            const std::size_t close = command.find(c, i + 1);
            if (close == std::string_view::npos) {
                return std::nullopt;
            }
            for (std::size_t k = i + 1; k < close; ++k) {
                const bool escaped = c == '"' && command[k] == '\\' && k + 1 < close &&
                                     std::string_view("\"\\$`").find(command[k + 1]) != std::string_view::npos;
                w += escaped ? command[++k] : command[k];
            }
            i = close;
        } else if (c == '\\' && i + 1 < command.size()) {
            w += command[++i];
        } else {
            w += c;
        }
    }
    if (word) {
        words.push_back(*word);
    }
    return words;
}

// The arguments of a command line after the program's name; none when the
// line cannot be read.
std::vector<std::string> argumentsOf(std::string_view command)
{
    const auto words = shellWords(command);
    return words && !words->empty() ? std::vector<std::string>(words->begin() + 1, words->end())
                                    : std::vector<std::string>{};
}

// The rows of the README's Examples table: | `./run.sh ARGS` ... | picture |
std::vector<Example> readmeExamples()
{
    std::vector<Example> examples;
    std::istringstream readme(readText(fs::path(KORVEL_SOURCE_DIR) / "README.md"));
    for (std::string line; std::getline(readme, line);) {
        const std::string start = "| `./run.sh ";
        if (line.rfind(start, 0) != 0) {
            continue;
        }
        Example example;
        example.name = "Readme" + std::to_string(examples.size() + 1);
        example.command = line.substr(3, line.find('`', 3) - 3);
        example.args = argumentsOf(example.command);
        const std::size_t image = line.find("](docs/images/");
        if (image != std::string::npos) {
            example.picture = fs::path(KORVEL_SOURCE_DIR) / line.substr(image + 2, line.find(')', image) - image - 2);
        }
        examples.push_back(example);
    }
    return examples;
}

// A line of the manual page as text: the escapes its examples use (\e is a
// backslash); nothing for any other escape.
std::optional<std::string> unroff(std::string_view line)
{
    static const std::map<std::string, std::string, std::less<>> kEscapes{
        {"\\-", "-"}, {"\\e", "\\"}, {"\\(aq", "'"}, {"\\(:u", "\xC3\xBC"}, {"\\(ss", "\xC3\x9F"}};
    std::string text;
    for (std::size_t i = 0; i < line.size();) {
        if (line[i] != '\\') {
            text += line[i++];
            continue;
        }
        const auto escape = std::find_if(kEscapes.begin(), kEscapes.end(),
                                         [&](const auto& e) { return line.substr(i).starts_with(e.first); });
        if (escape == kEscapes.end()) {
            return std::nullopt;
        }
        text += escape->second;
        i += escape->first.size();
    }
    return text;
}

// The `korvel ...` lines of the manual page's EXAMPLES section, a line that
// ends in a backslash continued on the next.
std::vector<Example> manualExamples()
{
    std::vector<Example> examples;
    std::istringstream page(readText(fs::path(KORVEL_SOURCE_DIR) / "docs" / "korvel.1"));
    bool inExamples = false;
    std::string pending;
    bool understood = true;
    for (std::string line; std::getline(page, line);) {
        if (line.rfind(".SH", 0) == 0) {
            inExamples = line == ".SH EXAMPLES";
            continue;
        }
        if (!inExamples || (pending.empty() && line.rfind("korvel ", 0) != 0)) {
            continue;
        }
        const std::optional<std::string> text = unroff(line);
        understood = understood && text.has_value();
        pending += text.value_or(line);
        if (pending.back() == '\\') {
            pending.back() = ' ';  // the shell drops backslash and newline
            continue;
        }
        Example example;
        example.name = "Manual" + std::to_string(examples.size() + 1);
        example.command = pending;
        if (understood) {
            example.args = argumentsOf(pending);
        }
        examples.push_back(example);
        pending.clear();
        understood = true;
    }
    return examples;
}

std::vector<Example> allExamples()
{
    std::vector<Example> all = readmeExamples();
    const std::vector<Example> manual = manualExamples();
    all.insert(all.end(), manual.begin(), manual.end());
    return all;
}

// What the arguments ask for: the symbol's data and structured append, and
// where the image goes: the output file, the first argument that is neither
// an option nor its value, or standard output. The program ignores
// everything after the file name, and so does this; a shell pipe ends the
// program's arguments.
struct Request {
    testing::SymbolInput input{"1234567"};
    std::string file;
    bool toStdout = false;
    std::string type;     // --type, else the file name's ending; png when neither says
    int dotsPerInch = 0;  // --dpi
    std::string problem;  // an argument this reading does not know
    // Data the program frames or converts itself (GS1, HIBC, UTF-8): what a
    // reader returns is what the library means for these options.
    std::optional<SymbolOptions> framed;
    std::string dataFile;  // --batch or --input: the data is in a file the example does not show
};

// The long names and their short letters; 0 for the long-only ones. The
// extended options that change what the symbol holds (GS1, UTF-8, data from
// files) are not known here: an example using them is reported until they are.
struct LongOption {
    char letter;
    bool takesValue;
};

const std::map<std::string, LongOption, std::less<>> kLongOptions{
    {"xsize", {'x', true}},   {"ysize", {'y', true}},  {"xdim", {'n', true}},   {"data", {'d', true}},
    {"fmt", {'f', true}},     {"mode", {'m', true}},   {"orient", {'o', true}}, {"bcolor", {'b', true}},
    {"fcolor", {'r', true}},  {"qzone", {'q', true}},  {"alignh", {'z', true}}, {"alignv", {'v', true}},
    {"sapp", {'s', true}},    {"spos", {'p', true}},   {"stot", {'t', true}},   {"sid", {'i', true}},
    {"qsize", {'e', true}},   {"type", {0, true}},     {"module-mm", {0, true}}, {"dpi", {0, true}},
    {"time", {0, true}},      {"shape", {0, true}},    {"palette", {0, false}}, {"stdout", {0, false}},
    {"dmre", {0, false}},     {"minimal", {0, false}},  {"gs1", {0, false}},     {"gs1-nocheck", {0, false}},
    {"gs1-separator", {0, true}}, {"hibc", {0, false}},  {"hri", {0, false}},     {"utf8", {0, false}},
    {"verify", {0, false}},   {"report", {0, true}},   {"batch", {0, true}},    {"input", {0, true}},
    {"jobs", {0, true}},      {"cmyk", {0, false}},    {"no-background", {0, false}}, {"dots", {0, true}},
    {"ink-spread", {0, true}}, {"hri-text", {0, false}},
};

// The symbol options of the framed syntaxes, as the example gives them.
void noteFraming(const std::string& name, const std::optional<std::string>& value, Request& request)
{
    if (name == "gs1" || name == "gs1-nocheck" || name == "hibc" || name == "utf8" || name == "gs1-separator") {
        SymbolOptions& options = request.framed ? *request.framed : request.framed.emplace();
        if (name == "gs1" || name == "gs1-nocheck") {
            options.syntax = DataSyntax::Gs1;
            options.gs1.contentChecks = name == "gs1";
        } else if (name == "hibc") {
            options.syntax = DataSyntax::Hibc;
        } else if (name == "utf8") {
            options.utf8 = true;
        } else if (value == "gs") {
            options.gs1Separator = Gs1Separator::GroupSeparator;
        }
    } else if (name == "batch" || name == "input") {
        request.dataFile = *value;
    }
}

Request requestOf(const std::vector<std::string>& args)
{
    Request request;
    for (std::size_t k = 0; k < args.size() && request.file.empty() && args[k] != "|"; ++k) {
        const std::string& arg = args[k];
        std::string name;
        std::optional<std::string> value;
        if (arg == "--") {
            request.file = k + 1 < args.size() ? args[k + 1] : "";
            break;
        }
        if (arg.rfind("--", 0) == 0) {
            const std::size_t equals = arg.find('=');
            name = arg.substr(2, equals - 2);
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            const auto named = std::find_if(kLongOptions.begin(), kLongOptions.end(),
                                            [&](const auto& o) { return o.second.letter == arg[1]; });
            name = named == kLongOptions.end() ? arg : named->first;
            if (arg.size() > 2) {
                value = arg.substr(2);
            }
        } else {
            request.file = arg;
            break;
        }
        const auto option = kLongOptions.find(name);
        const bool valueMissing = option != kLongOptions.end() && option->second.takesValue && !value &&
                                  k + 1 >= args.size();
        const bool valueRefused = option != kLongOptions.end() && !option->second.takesValue && value;
        if (option == kLongOptions.end() || valueMissing || valueRefused) {
            request.problem = "unknown option " + arg;
            break;
        }
        if (option->second.takesValue && !value) {
            value = args[++k];
        }
        noteFraming(name, value, request);
        const auto number = [&] { return std::atoi(value->c_str()); };
        if (name == "data") {
            request.input.data = *value;
        } else if (name == "sapp") {
            request.input.structuredAppend = number() != 0;
        } else if (name == "spos") {
            request.input.position = number();
        } else if (name == "stot") {
            request.input.total = number();
        } else if (name == "sid") {
            request.input.fileId = number();
        } else if (name == "type") {
            request.type = *value;
        } else if (name == "dpi") {
            request.dotsPerInch = number();
        } else if (name == "stdout") {
            request.toStdout = true;
        }
    }
    if (request.type.empty()) {
        const std::string ending = fs::path(request.file).extension().string();
        for (const char* vector : {"svg", "eps", "pdf"}) {
            request.type = ending.size() == 4 && strcasecmp(ending.c_str() + 1, vector) == 0 ? vector : request.type;
        }
        request.type = request.type.empty() ? "png" : request.type;
    }
    return request;
}

// The image the program wrote, as pixels: a PNG decoded, a vector document
// rendered (at its --dpi, else 300 dots per inch; an SVG at the size it
// states in millimetres).
struct Picture {
    std::unique_ptr<RasterImage> image;
    bool rendererMissing = false;
    std::string problem;
};

Picture pictureOf(const Request& request, const std::string& bytes)
{
    Picture picture;
    if (request.type == "text") {
        picture.image = testing::textPreviewImage(bytes);
        return picture;
    }
    if (request.type == "png") {
        const auto png = testing::decodePng(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                                            testing::PngPixels::Rgb);
        picture.image = png ? testing::toRaster(*png) : nullptr;
        picture.problem = picture.image ? "" : "no PNG image";
        return picture;
    }
    const int dpi = request.dotsPerInch > 0 ? request.dotsPerInch : 300;
    const auto millimetres = [&](const char* attribute) {
        const std::size_t at = bytes.find(std::string(attribute) + "=\"");
        const double mm = at == std::string::npos ? 0 : std::atof(bytes.c_str() + at + std::strlen(attribute) + 2);
        return static_cast<int>(mm / 25.4 * dpi + 0.5);
    };
    const auto format = request.type == "svg"   ? testing::VectorFormat::Svg
                        : request.type == "eps" ? testing::VectorFormat::Eps
                                                : testing::VectorFormat::Pdf;
    testing::Rendering rendering =
        testing::renderDocument(format, bytes, dpi, millimetres("width"), millimetres("height"));
    picture.image = std::move(rendering.image);
    picture.rendererMissing = rendering.rendererMissing;
    picture.problem = rendering.problem;
    return picture;
}

// The documentation has examples in both places, and each is understood.
TEST(DocumentedExamples, AreFoundAndUnderstood)
{
    EXPECT_GE(readmeExamples().size(), 4U);
    EXPECT_GE(manualExamples().size(), 6U);
    for (const Example& example : allExamples()) {
        EXPECT_FALSE(example.args.empty()) << example.command;
        const Request request = requestOf(example.args);
        EXPECT_EQ(request.problem, "") << example.command;
        EXPECT_TRUE(request.toStdout || !request.file.empty()) << example.command;
    }
}

class DocumentedExample : public ::testing::TestWithParam<Example> {};

TEST_P(DocumentedExample, WritesWhatItSaysAndReadsBack)
{
    const Example& example = GetParam();
    const Request request = requestOf(example.args);
    ASSERT_EQ(request.problem, "");
    if (!request.dataFile.empty()) {
        GTEST_SKIP() << "the data is in " << request.dataFile << ", which the example does not show";
    }
    const std::vector<std::string> args(example.args.begin(),
                                        std::find(example.args.begin(), example.args.end(), "|"));
    const testing::ScratchDirectory dir;
    const testing::ProcessResult run = testing::runKorvel(args, dir);
    ASSERT_TRUE(run.exited) << "signal " << run.signal;
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(request.toStdout || run.out.empty() || request.framed);

    const Picture picture = pictureOf(request, request.toStdout ? run.out : dir.read(request.file));
    if (picture.rendererMissing) {
        GTEST_SKIP() << "the renderer of " << request.type << " is not installed";
    }
    ASSERT_NE(picture.image, nullptr) << picture.problem;
    if (request.framed) {
        SymbolOptions options = *request.framed;
        options.data = request.input.data;
        const SymbolReading meant = korvel::expectedReading(options, SymbolFormat{}, {}).reading;
        const testing::ZxingReading read = testing::readWithZxing(*picture.image);
        EXPECT_EQ(read.bytes, meant.bytes);
        EXPECT_EQ(read.symbologyId, meant.symbologyId);
        return;
    }
    const testing::ExpectedReading expected = testing::expectReading(request.input, {});
    EXPECT_EQ(testing::zxingMismatch(testing::readWithZxing(*picture.image), expected), "");
    if (expected.dmtxOutputComparable) {
        const testing::DmtxReading dmtx = testing::readWithDmtx(*picture.image);
        EXPECT_TRUE(dmtx.found);
        EXPECT_EQ(testing::printable(dmtx.output), testing::printable(expected.dmtxOutput));
    }

    if (example.picture) {
        const auto shown = testing::decodePng(testing::readFileBytes(*example.picture), testing::PngPixels::Rgb);
        ASSERT_TRUE(shown.has_value()) << "no picture at " << *example.picture;
        const auto image = testing::toRaster(*shown);
        ASSERT_NE(image, nullptr);
        bool same = image->width() == picture.image->width() && image->height() == picture.image->height();
        for (std::int32_t y = 0; same && y < image->height(); ++y) {
            same = std::equal(image->row(y), image->row(y) + image->rowBytes(), picture.image->row(y));
        }
        EXPECT_TRUE(same) << *example.picture << " is not the image of " << example.command;
    }
}

INSTANTIATE_TEST_SUITE_P(ReadmeAndManual, DocumentedExample, ::testing::ValuesIn(allExamples()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace korvel
